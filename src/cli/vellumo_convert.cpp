#include <unistd.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ConvertCommand.h"
#include "cli/StandardStreams.h"

int main(int argc, char** argv) {
    vellumo::OccupyClosedStandardDescriptors();
    // --info and the drawings' reports go through a buffer that keeps a failed write's
    // error (a full disk, a closed output), so that it is reported, not taken for success.
    vellumo::DescriptorOutput output(STDOUT_FILENO);
    std::ostream out(&output);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv, argv + argc);
    return vellumo::RunConvertCommand(args, out, std::cerr);
}
