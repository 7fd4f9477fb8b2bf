#include <iostream>
#include <string>
#include <vector>

#include "cli/ConvertCommand.h"
#include "platform/Version.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv, argv + argc);
    if (args.size() == 2 && args[1] == "--version") {
        std::cout << "vellumo-convert " << vellumo::ProgramVersion() << "\n";
        return 0;
    }
    return vellumo::RunConvertCommand(args, std::cout, std::cerr);
}
