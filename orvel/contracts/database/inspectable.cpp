#include "orvel/contracts/database/inspectable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IInspectable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIInspectable", {});
  return info;
}

IInspectable::~IInspectable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
