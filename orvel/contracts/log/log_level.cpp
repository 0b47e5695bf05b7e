#include "orvel/contracts/log/log_level.hpp"

namespace Tolvane::Orvel::Contracts::Log {

std::string to_string(LogLevel level) { return Core::nick_of(level); }

std::string to_number(LogLevel level) { return std::to_string(static_cast<int>(level)); }

std::string to_color(LogLevel level) {
  switch (level) {
    case LogLevel::RISKY:
      return "red";
    case LogLevel::PLAIN:
      return "blue";
    case LogLevel::DEBUG:
      return "green";
  }
  return "black";
}

}  // namespace Tolvane::Orvel::Contracts::Log

using Tolvane::Orvel::Contracts::Log::LogLevel;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<LogLevel>::info() {
  static const EnumInfo info("TolvaneOrvelContractsLogLogLevel", "TOLVANE_ORVEL_CONTRACTS_LOG_LOG_LEVEL_", false,
                             {{0, "risky"}, {1, "plain"}, {2, "debug"}});
  return info;
}
