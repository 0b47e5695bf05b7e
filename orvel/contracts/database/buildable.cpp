#include "orvel/contracts/database/buildable.hpp"

namespace Tolvane::Orvel::Contracts::Database {

const Core::TypeInfo& IBuildable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDatabaseIBuildable", {});
  return info;
}

IBuildable::~IBuildable() = default;

}  // namespace Tolvane::Orvel::Contracts::Database
