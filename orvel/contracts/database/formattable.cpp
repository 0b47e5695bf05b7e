#include "orvel/contracts/database/formattable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IFormattable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIFormattable", {});
  return info;
}

IFormattable::~IFormattable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
