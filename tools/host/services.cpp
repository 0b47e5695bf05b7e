#include "orvel/contracts/crypto/asymmetric_cipher.hpp"
#include "orvel/contracts/crypto/symmetric_cipher.hpp"
#include "orvel/contracts/log/logger.hpp"
#include "orvel/contracts/setting/user_setting.hpp"
#include "orvel/foundation/services.hpp"
#include "orvel/supports/crypto/openssl_asymmetric_cipher.hpp"
#include "orvel/supports/crypto/openssl_symmetric_cipher.hpp"
#include "orvel/supports/log/log_manager.hpp"
#include "tessin/contracts/server_setting.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Host {

void register_services() {
  using Orvel::Foundation::Services;
  Services::initialize();
  Services::register_type(Orvel::Contracts::Log::ILogManager::static_type(),
                          Orvel::Supports::Log::LogManager::static_type());
  Services::register_type(Orvel::Contracts::Crypto::ISymmetricCipher::static_type(),
                          Orvel::Supports::Crypto::OpenSSLSymmetricCipher::static_type());
  Services::register_type(Orvel::Contracts::Crypto::IAsymmetricCipher::static_type(),
                          Orvel::Supports::Crypto::OpenSSLAsymmetricCipher::static_type());
  Services::register_type(Orvel::Contracts::Setting::UserSetting::static_type(),
                          Orvel::Contracts::Setting::UserSetting::static_type());
  Services::register_type(Providers::Contracts::ServerSetting::static_type(),
                          Providers::Contracts::ServerSetting::static_type());
}

}  // namespace Tolvane::Host
