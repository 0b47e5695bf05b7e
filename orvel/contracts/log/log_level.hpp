#pragma once

#include <string>

#include "orvel/orvel_api.hpp"
#include "tessin/core/enum_info.hpp"

namespace Tolvane::Orvel::Contracts::Log {

// Severity of a log line; lower is more severe. A handler with threshold t
// accepts a line of level l when l <= t.
enum class LogLevel { RISKY = 0, PLAIN = 1, DEBUG = 2 };

// The nick: "risky", "plain", "debug" ("" for other values).
ORVEL_API std::string to_string(LogLevel level);
// The number as "%i" writes it.
ORVEL_API std::string to_number(LogLevel level);
// "red", "blue", "green"; "black" for other values.
ORVEL_API std::string to_color(LogLevel level);

}  // namespace Tolvane::Orvel::Contracts::Log

template <>
struct ORVEL_API Tolvane::Core::EnumTraits<Tolvane::Orvel::Contracts::Log::LogLevel> {
  static const EnumInfo& info();
};
