#pragma once

#include <string>
#include <string_view>

#include "orvel/contracts/log/log_level.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts::Log {

// Builds one log line around the caller's format. The result is itself a printf
// format: the caller's format is embedded unchanged, everything else the
// formatter adds (time, server, name, level) has each '%' doubled, so only the
// caller's conversions take arguments when the handler substitutes them.
class ORVEL_API IFormatter {
  TOLVANE_INTERFACE(IFormatter)

  virtual ~IFormatter();

  virtual std::string format(LogLevel level, std::string_view server, std::string_view name,
                             std::string_view message_format) const = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Log
