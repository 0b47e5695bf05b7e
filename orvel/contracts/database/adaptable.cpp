#include "orvel/contracts/database/adaptable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IAdaptable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIAdaptable", {});
  return info;
}

IAdaptable::~IAdaptable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
