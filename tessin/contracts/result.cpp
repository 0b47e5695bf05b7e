#include "tessin/contracts/result.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& IResult::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsIResult", {});
  return info;
}

IResult::~IResult() = default;

}  // namespace Tolvane::Providers::Contracts
