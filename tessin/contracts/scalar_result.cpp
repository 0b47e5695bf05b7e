#include "tessin/contracts/scalar_result.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ScalarResult::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsScalarResult", &Core::Object::static_type(),
                                   {&IResult::static_type()}, Core::factory_of<ScalarResult>(),
                                   {Core::property("rows", &ScalarResult::get_rows, &ScalarResult::set_rows)});
  return info;
}

}  // namespace Tolvane::Providers::Contracts
