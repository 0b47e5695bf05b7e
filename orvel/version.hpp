#pragma once

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel {

// The version of the libraries, "major.minor.patch".
ORVEL_API const char* version();

}  // namespace Tolvane::Orvel
