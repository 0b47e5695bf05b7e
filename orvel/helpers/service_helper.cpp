#include "orvel/helpers/service_helper.hpp"

#include "orvel/foundation/services.hpp"

namespace Tolvane::Orvel::Helpers {

using Foundation::Services;

const Core::TypeInfo& ServiceHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersServiceHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<ServiceHelper>(), {});
  return info;
}

Contracts::Setting::UserSettingPtr ServiceHelper::setting() { return Services::get<Contracts::Setting::UserSetting>(); }

Providers::Contracts::ServerSettingPtr ServiceHelper::servers() {
  return Services::get<Providers::Contracts::ServerSetting>();
}

std::shared_ptr<Contracts::Crypto::ISymmetricCipher> ServiceHelper::cipher() {
  return Services::get<Contracts::Crypto::ISymmetricCipher>();
}

std::shared_ptr<Contracts::Crypto::IAsymmetricCipher> ServiceHelper::pubkey() {
  return Services::get<Contracts::Crypto::IAsymmetricCipher>();
}

}  // namespace Tolvane::Orvel::Helpers
