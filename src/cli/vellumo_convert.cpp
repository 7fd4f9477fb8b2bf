#include <iostream>
#include <string>
#include <vector>

#include "cli/ConvertCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv, argv + argc);
    return vellumo::RunConvertCommand(args, std::cout, std::cerr);
}
