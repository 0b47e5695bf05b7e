#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "orvel/contracts/log/formatter.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Log {

using Contracts::Log::LogLevel;

class DefaultFormatter;
class SimpleFormatter;
class ColorFormatter;
using DefaultFormatterPtr = std::shared_ptr<DefaultFormatter>;
using SimpleFormatterPtr = std::shared_ptr<SimpleFormatter>;
using ColorFormatterPtr = std::shared_ptr<ColorFormatter>;

// "20240301 12:00:00.042 [server][name][PLAIN] message\n": local time with the
// milliseconds of the real-time clock, server, name and level name.
class ORVEL_API DefaultFormatter : public Core::Object, public Contracts::Log::IFormatter {
  TOLVANE_OBJECT(DefaultFormatter)

  DefaultFormatter() = default;
  static DefaultFormatterPtr create() { return std::make_shared<DefaultFormatter>(); }

  // "RISKY", "PLAIN", "DEBUG"; the number for other values.
  virtual std::string get_level_name(LogLevel level) const;
  std::string format(LogLevel level, std::string_view server, std::string_view name,
                     std::string_view message_format) const override;
};

// "12:00:00.042 message\n".
class ORVEL_API SimpleFormatter : public DefaultFormatter {
  TOLVANE_OBJECT(SimpleFormatter)

  SimpleFormatter() = default;
  static SimpleFormatterPtr create() { return std::make_shared<SimpleFormatter>(); }

  std::string format(LogLevel level, std::string_view server, std::string_view name,
                     std::string_view message_format) const override;
};

// For terminals: "12:00:00.042 [server      ][name        ][<coloured level>   ] message\n",
// server and name padded to 12 bytes, the coloured level name to 20.
class ORVEL_API ColorFormatter : public DefaultFormatter {
  TOLVANE_OBJECT(ColorFormatter)

  ColorFormatter() = default;
  static ColorFormatterPtr create() { return std::make_shared<ColorFormatter>(); }

  // The level name between an ANSI colour sequence (bold red, blue, green; white
  // for other values) and "\033[00m".
  std::string get_level_name(LogLevel level) const override;
  std::string format(LogLevel level, std::string_view server, std::string_view name,
                     std::string_view message_format) const override;
};

}  // namespace Tolvane::Orvel::Supports::Log
