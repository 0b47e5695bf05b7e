#include "orvel/contracts/database/explorable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IExplorable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIExplorable", {});
  return info;
}

IExplorable::~IExplorable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
