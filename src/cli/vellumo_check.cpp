#include <iostream>

#include "cli/CheckCommand.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return vellumo::RunCheckCommand(argc, argv, std::cout, std::cerr);
}
