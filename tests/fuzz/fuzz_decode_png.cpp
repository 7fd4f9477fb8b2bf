// Feeds arbitrary bytes to the decoder from memory (no file is written) as a PNG file would
// reach it, as the 32-bit picture, as the one-bit palette load and as the viewer's
// two-colour load. A clear decode error is a correct answer; a crash, a leak, a hang or a
// huge allocation is not.

#include "fuzz_decode_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vellumo::fuzz::DecodeEveryWay(data, size, "a.png");
    return 0;
}
