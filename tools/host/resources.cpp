#include "orvel/helpers/file_type_helper.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Host {

void register_resources() { Orvel::Helpers::register_orvel_resources(); }

}  // namespace Tolvane::Host
