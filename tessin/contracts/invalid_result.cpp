#include "tessin/contracts/invalid_result.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& InvalidResult::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsInvalidResult", &Core::Object::static_type(), {&IResult::static_type()},
      Core::factory_of<InvalidResult>(),
      {Core::property("code", &InvalidResult::get_code, &InvalidResult::set_code),
       Core::property("message", &InvalidResult::get_message, &InvalidResult::set_message)});
  return info;
}

}  // namespace Tolvane::Providers::Contracts
