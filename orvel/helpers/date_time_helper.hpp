#pragma once

#include <cstdint>
#include <string>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Helpers {

// Time stamps of the current local time and durations as text. Formats are
// GLib date-time formats. The milliseconds are those of the same clock reading
// the date-time comes from, so a stamp never mixes two seconds.
class ORVEL_API DateTimeHelper : public Core::Object {
  TOLVANE_OBJECT(DateTimeHelper)

  static std::string datetime_as_string(const std::string& format);
  // `format`, ".", then the milliseconds (0-999) written by `ms_format`. Only its
  // integer conversions (d, i, u, o, x, X with flags, width, precision and any
  // length modifier) take the number; any other conversion is copied as text,
  // so the format can never read beyond its one argument.
  static std::string datetime_as_string_ms(const std::string& format, const std::string& ms_format);
  // "%Y-%m-%d %H:%M:%S", "%Y%m%d%H%M%S", "%Y-%m-%dT%H:%M:%S".
  static std::string datetime_as_normal();
  static std::string datetime_as_compact();
  static std::string datetime_as_iso8601();
  // The same followed by ".%03lli" with the milliseconds; progress lines use the normal one.
  static std::string datetime_with_ms_normal();
  static std::string datetime_with_ms_compact();
  static std::string datetime_with_ms_iso8601();

  // A span in microseconds as "HH:MM:SS", "HH:MM:SS.mmm", or in units
  // ("1H 2M 3S 4ms", "1M 1S 0ms", "5S 12ms", "999ms"; translated patterns).
  static std::string format_time_span(std::int64_t span);
  static std::string format_time_span_micro(std::int64_t span);
  static std::string format_time_span_unit(std::int64_t span);
};

}  // namespace Tolvane::Orvel::Helpers
