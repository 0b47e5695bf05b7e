#include "orvel/contracts/setting/network_setting.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

const Core::TypeInfo& NetworkSetting::static_type() {
  using Self = NetworkSetting;
  using Core::property;
  static const Core::TypeInfo info(
      "TolvaneOrvelContractsSettingNetworkSetting", &Core::Object::static_type(), {}, Core::factory_of<NetworkSetting>(),
      {property("proxy-using", &Self::get_proxy_using, &Self::set_proxy_using),
       property("proxy-type", &Self::get_proxy_type, &Self::set_proxy_type),
       property("proxy-host", &Self::get_proxy_host, &Self::set_proxy_host),
       property("proxy-port", &Self::get_proxy_port, &Self::set_proxy_port).with_default(std::uint64_t{8080}),
       property("proxy-username", &Self::get_proxy_username, &Self::set_proxy_username),
       property("proxy-password", &Self::get_proxy_password, &Self::set_proxy_password)});
  return info;
}

}  // namespace Tolvane::Orvel::Contracts::Setting
