#pragma once

#include <memory>

#include "orvel/contracts/crypto/asymmetric_cipher.hpp"
#include "orvel/contracts/crypto/symmetric_cipher.hpp"
#include "orvel/contracts/setting/user_setting.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/server_setting.hpp"

namespace Tolvane::Orvel::Helpers {

// One-call access to the services the core library needs from the
// process-wide container (`Foundation::Services`). Each call asks the
// container anew; its rules apply: the first call builds or finds the object
// and keeps it, later calls return the same one, and a service nobody
// registered comes back null. The first call for each service must not race
// with another.
class ORVEL_API ServiceHelper : public Core::Object {
  TOLVANE_OBJECT(ServiceHelper)

  static Contracts::Setting::UserSettingPtr setting();
  static Providers::Contracts::ServerSettingPtr servers();
  static std::shared_ptr<Contracts::Crypto::ISymmetricCipher> cipher();
  static std::shared_ptr<Contracts::Crypto::IAsymmetricCipher> pubkey();
};

}  // namespace Tolvane::Orvel::Helpers
