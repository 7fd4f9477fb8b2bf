#include "platform/Version.h"

namespace vellumo {

const char* ProgramVersion() { return VELLUMO_VERSION; }

}  // namespace vellumo
