#include "orvel/contracts/codegen/app_code_buildable.hpp"
#include "orvel/contracts/codegen/sql_code_buildable.hpp"

namespace Tolvane::Orvel::Contracts::CodeGen {

const Core::TypeInfo& ISqlCodeBuildable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsCodeGenISqlCodeBuildable", {});
  return info;
}
ISqlCodeBuildable::~ISqlCodeBuildable() = default;

const Core::TypeInfo& IAppCodeBuildable::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsCodeGenIAppCodeBuildable", {});
  return info;
}
IAppCodeBuildable::~IAppCodeBuildable() = default;

}  // namespace Tolvane::Orvel::Contracts::CodeGen
