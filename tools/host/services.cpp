#include "orvel/contracts/log/logger.hpp"
#include "orvel/foundation/services.hpp"
#include "orvel/supports/log/log_manager.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Host {

void register_services() {
  using Orvel::Foundation::Services;
  Services::initialize();
  Services::register_type(Orvel::Contracts::Log::ILogManager::static_type(),
                          Orvel::Supports::Log::LogManager::static_type());
}

}  // namespace Tolvane::Host
