#include "orvel/helpers/date_time_helper.hpp"

#include <glib.h>

#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Helpers {

namespace {

constexpr std::int64_t kHour = 3600000000;
constexpr std::int64_t kMinute = 60000000;
constexpr std::int64_t kSecond = 1000000;
constexpr std::int64_t kMilli = 1000;

struct Now {
  std::string text;
  long long milliseconds;
};

Now now(const char* format) {
  gint64 clock = g_get_real_time();
  Core::GRef<GDateTime> local = Core::GRef<GDateTime>::adopt(g_date_time_new_from_unix_local(clock / G_USEC_PER_SEC));
  Now result{std::string(), static_cast<long long>((clock % G_USEC_PER_SEC) / 1000)};
  if (local) {
    result.text = Core::take_std(g_date_time_format(local.get(), format));
  }
  return result;
}

std::string with_millis(const char* format) {
  Now stamp = now(format);
  char millis[8];
  g_snprintf(millis, sizeof millis, ".%03lli", stamp.milliseconds);
  return stamp.text + millis;
}

// Integer conversions of a caller's format, each given `value`; everything else
// is copied, so no conversion reads an argument that is not there.
std::string format_integer(const std::string& format, long long value) {
  std::string out;
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    std::string spec = "%";
    while (j < format.size() && std::string_view("-+ #0").find(format[j]) != std::string_view::npos) {
      spec += format[j++];
    }
    while (j < format.size() && g_ascii_isdigit(format[j])) {
      spec += format[j++];
    }
    if (j < format.size() && format[j] == '.') {
      spec += format[j++];
      while (j < format.size() && g_ascii_isdigit(format[j])) {
        spec += format[j++];
      }
    }
    while (j < format.size() && std::string_view("hlLqjzt").find(format[j]) != std::string_view::npos) {
      ++j;
    }
    if (j < format.size() && std::string_view("diuoxX").find(format[j]) != std::string_view::npos && spec.size() < 40) {
      spec += "ll";
      spec += format[j];
      char number[128];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
      g_snprintf(number, sizeof number, spec.c_str(), value);
#pragma GCC diagnostic pop
      out += number;
      i = j + 1;
    } else {
      out.append(format, i, j - i);
      i = j;
    }
  }
  return out;
}

// The message catalogue returns a format with the same conversions.
const char* translated(const char* pattern) G_GNUC_FORMAT(1);
const char* translated(const char* pattern) { return Core::_(pattern); }

}  // namespace

const Core::TypeInfo& DateTimeHelper::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelHelpersDateTimeHelper", &Core::Object::static_type(), {},
                                   Core::factory_of<DateTimeHelper>(), {});
  return info;
}

std::string DateTimeHelper::datetime_as_string(const std::string& format) { return now(format.c_str()).text; }

std::string DateTimeHelper::datetime_as_string_ms(const std::string& format, const std::string& ms_format) {
  Now stamp = now(format.c_str());
  return stamp.text + "." + format_integer(ms_format, stamp.milliseconds);
}

std::string DateTimeHelper::datetime_as_normal() { return now("%Y-%m-%d %H:%M:%S").text; }
std::string DateTimeHelper::datetime_as_compact() { return now("%Y%m%d%H%M%S").text; }
std::string DateTimeHelper::datetime_as_iso8601() { return now("%Y-%m-%dT%H:%M:%S").text; }
std::string DateTimeHelper::datetime_with_ms_normal() { return with_millis("%Y-%m-%d %H:%M:%S"); }
std::string DateTimeHelper::datetime_with_ms_compact() { return with_millis("%Y%m%d%H%M%S"); }
std::string DateTimeHelper::datetime_with_ms_iso8601() { return with_millis("%Y-%m-%dT%H:%M:%S"); }

std::string DateTimeHelper::format_time_span(std::int64_t span) {
  return Core::take_std(g_strdup_printf("%02lli:%02lli:%02lli", static_cast<long long>(span / kHour),
                                        static_cast<long long>(span / kMinute % 60),
                                        static_cast<long long>(span / kSecond % 60)));
}

std::string DateTimeHelper::format_time_span_micro(std::int64_t span) {
  return Core::take_std(g_strdup_printf("%02lli:%02lli:%02lli.%03lli", static_cast<long long>(span / kHour),
                                        static_cast<long long>(span / kMinute % 60),
                                        static_cast<long long>(span / kSecond % 60),
                                        static_cast<long long>(span / kMilli % 1000)));
}

std::string DateTimeHelper::format_time_span_unit(std::int64_t span) {
  auto ms = static_cast<long long>(span / kMilli % 1000);
  if (span >= kHour) {
    return Core::take_std(g_strdup_printf(translated("%lliH %lliM %lliS %llims"), static_cast<long long>(span / kHour),
                                          static_cast<long long>(span / kMinute % 60),
                                          static_cast<long long>(span / kSecond % 60), ms));
  }
  if (span >= kMinute) {
    return Core::take_std(g_strdup_printf(translated("%lliM %lliS %llims"), static_cast<long long>(span / kMinute),
                                          static_cast<long long>(span / kSecond % 60), ms));
  }
  if (span < kSecond) {
    return Core::take_std(g_strdup_printf(translated("%llims"), static_cast<long long>(span / kMilli)));
  }
  return Core::take_std(
      g_strdup_printf(translated("%lliS %llims"), static_cast<long long>(span / kSecond), ms));
}

}  // namespace Tolvane::Orvel::Helpers
