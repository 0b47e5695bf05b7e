#pragma once

#include <cstdint>
#include <memory>

#include "orvel/contracts/setting/setting_property.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Setting {

class LoggingSetting;
using LoggingSettingPtr = std::shared_ptr<LoggingSetting>;

// Logging: the largest log file and the threshold, as numbers the host gives
// meaning to.
class ORVEL_API LoggingSetting final : public Core::Object {
  TOLVANE_OBJECT(LoggingSetting)

  LoggingSetting() = default;
  static LoggingSettingPtr create() { return std::make_shared<LoggingSetting>(); }

  TOLVANE_SETTING(std::uint32_t, file_size_max, "file-size-max", 0)
  TOLVANE_SETTING(std::uint32_t, logger_level, "logger-level", 0)
};

}  // namespace Tolvane::Orvel::Contracts::Setting
