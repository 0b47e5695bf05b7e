#include "orvel/contracts/database/cachable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& ICachable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseICachable", {});
  return info;
}

ICachable::~ICachable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
