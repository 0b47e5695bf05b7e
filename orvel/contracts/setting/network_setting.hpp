#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class NetworkSetting;
using NetworkSettingPtr = std::shared_ptr<NetworkSetting>;

// The network proxy. The settings file holds the proxy password as it is: the file
// is readable by its owner only.
class ORVEL_API NetworkSetting final : public Core::Object {
  TOLVANE_OBJECT(NetworkSetting)

  NetworkSetting() = default;
  static NetworkSettingPtr create() { return std::make_shared<NetworkSetting>(); }

  TOLVANE_SETTING(bool, proxy_using, "proxy-using", false)
  TOLVANE_SETTING(std::uint32_t, proxy_type, "proxy-type", 0)
  TOLVANE_SETTING(std::string, proxy_host, "proxy-host", "")
  TOLVANE_SETTING(std::uint32_t, proxy_port, "proxy-port", 8080)
  TOLVANE_SETTING(std::string, proxy_username, "proxy-username", "")
  TOLVANE_SETTING(std::string, proxy_password, "proxy-password", "")
};

}  // namespace Tolvane::Orvel::Contracts::Setting
