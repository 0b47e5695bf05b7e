#include "orvel/version.hpp"

namespace Tolvane::Orvel {

const char* version() { return TOLVANE_VERSION; }

}  // namespace Tolvane::Orvel
