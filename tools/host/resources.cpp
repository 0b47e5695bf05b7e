#include <mutex>

#include "orvel/helpers/file_type_helper.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Host {

void register_resources() {
  // Registering a bundle twice would make its files appear twice; hosts may
  // start up more than once in a process (the test programs do).
  static std::once_flag once;
  std::call_once(once, [] { g_resources_register(Orvel::Helpers::orvel_resource()); });
}

}  // namespace Tolvane::Host
