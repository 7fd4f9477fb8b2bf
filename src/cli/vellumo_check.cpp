#include <unistd.h>

#include <iostream>
#include <ostream>

#include "cli/CheckCommand.h"
#include "cli/StandardStreams.h"

int main(int argc, char** argv) {
    vellumo::OccupyClosedStandardDescriptors();
    // The report goes through a buffer that keeps a failed write's error, so that a full
    // disk or a closed output is reported, not taken for success.
    vellumo::DescriptorOutput output(STDOUT_FILENO);
    std::ostream out(&output);
    std::ios::sync_with_stdio(false);
    return vellumo::RunCheckCommand(argc, argv, out, std::cerr);
}
