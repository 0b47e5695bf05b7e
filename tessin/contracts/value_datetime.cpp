#include "tessin/contracts/value_datetime.hpp"

#include <cstdio>
#include <tuple>

#include "tessin/core/error.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

namespace {

Core::DateTime to_local(const Core::DateTime& value) {
  return value ? Core::DateTime::adopt(g_date_time_to_local(value.get())) : Core::DateTime();
}

Core::DateTime local_epoch() { return Core::DateTime::adopt(g_date_time_new_from_unix_local(0)); }

Core::DateTime now_local() { return Core::DateTime::adopt(g_date_time_new_now_local()); }

bool all_digits(std::string_view text) {
  for (char c : text) {
    if (!g_ascii_isdigit(c)) {
      return false;
    }
  }
  return !text.empty();
}

int number(std::string_view digits) {
  int result = 0;
  for (char c : digits) {
    result = result * 10 + (c - '0');
  }
  return result;
}

}  // namespace

Core::DateTime parse_iso8601(std::string_view text, GTimeZone* default_zone) {
  std::string owned(text);
  if (GDateTime* parsed = g_date_time_new_from_iso8601(owned.c_str(), default_zone)) {
    return Core::DateTime::adopt(parsed);
  }
  // GLib insists on a time part; a bare date means the start of that day.
  if (text.size() == 10 && text[4] == '-' && text[7] == '-' && all_digits(text.substr(0, 4)) &&
      all_digits(text.substr(5, 2)) && all_digits(text.substr(8, 2))) {
    GTimeZone* zone = default_zone != nullptr ? g_time_zone_ref(default_zone) : g_time_zone_new_local();
    GDateTime* day = g_date_time_new(zone, number(text.substr(0, 4)), number(text.substr(5, 2)),
                                     number(text.substr(8, 2)), 0, 0, 0);
    g_time_zone_unref(zone);
    return Core::DateTime::adopt(day);
  }
  return {};
}

std::optional<std::tuple<int, int, double>> parse_time_of_day(std::string_view text) {
  GTimeZone* utc = g_time_zone_new_utc();
  Core::DateTime parsed = parse_iso8601(text, utc);
  g_time_zone_unref(utc);
  if (parsed) {
    return std::tuple<int, int, double>(g_date_time_get_hour(parsed.get()), g_date_time_get_minute(parsed.get()),
                                        g_date_time_get_seconds(parsed.get()));
  }
  // A time without a date ("10:30", "10:30:15.25").
  if (text.size() >= 5 && text[2] == ':' && all_digits(text.substr(0, 2)) && all_digits(text.substr(3, 2))) {
    int hour = number(text.substr(0, 2));
    int minute = number(text.substr(3, 2));
    double seconds = 0;
    std::string_view rest = text.substr(5);
    if (!rest.empty()) {
      if (rest.size() < 3 || rest[0] != ':' || !all_digits(rest.substr(1, 2))) {
        return std::nullopt;
      }
      seconds = number(rest.substr(1, 2));
      rest.remove_prefix(3);
      if (!rest.empty()) {
        if (rest[0] != '.' || !all_digits(rest.substr(1))) {
          return std::nullopt;
        }
        seconds += g_ascii_strtod(std::string("0").append(rest).c_str(), nullptr);
      }
    }
    if (hour < 24 && minute < 60 && seconds < 60) {
      return std::tuple<int, int, double>(hour, minute, seconds);
    }
  }
  return std::nullopt;
}

#define TOLVANE_DATETIME_TYPE(Class, parent)                                                                \
  const Core::TypeInfo& Class::static_type() {                                                           \
    static const Core::TypeInfo info("TolvaneProvidersContracts" #Class, &parent::static_type(), {},      \
                                     Core::factory_of<Class>(),                                           \
                                     {Core::property("itsvalue", &Class::get_itsvalue, &Class::set_itsvalue)}); \
    return info;                                                                                         \
  }

TOLVANE_DATETIME_TYPE(ValueDateTime, ValueObject)
TOLVANE_DATETIME_TYPE(ValueDate, ValueDateTime)
TOLVANE_DATETIME_TYPE(ValueTime, ValueDateTime)

#undef TOLVANE_DATETIME_TYPE

// ValueDateTime

std::shared_ptr<ValueDateTime> ValueDateTime::create() { return std::make_shared<ValueDateTime>(now_local()); }

std::shared_ptr<ValueDateTime> ValueDateTime::datetime(const Core::DateTime& value) {
  TOLVANE_RETURN_VAL_IF_FAIL(value, "datetime != NULL", nullptr);
  return std::make_shared<ValueDateTime>(to_local(value));
}

std::shared_ptr<ValueDateTime> ValueDateTime::iso8601(std::string_view text) {
  GTimeZone* utc = g_time_zone_new_utc();
  Core::DateTime parsed = parse_iso8601(text, utc);
  g_time_zone_unref(utc);
  return std::make_shared<ValueDateTime>(parsed ? std::move(parsed) : local_epoch());
}

std::shared_ptr<ValueDateTime> ValueDateTime::utc(int year, int month, int day, int hour, int minute, int seconds) {
  return std::make_shared<ValueDateTime>(Core::DateTime::adopt(g_date_time_new_utc(year, month, day, hour, minute, seconds)));
}

void ValueDateTime::set_itsvalue(Core::DateTime value) {
  m_itsvalue = std::move(value);
  notify("itsvalue");
}

std::string ValueDateTime::format(const std::string& format) const {
  return m_itsvalue ? Core::take_std(g_date_time_format(m_itsvalue.get(), format.c_str())) : std::string();
}

Core::GValueHolder ValueDateTime::to_value() const {
  Core::GValueHolder value(G_TYPE_DATE_TIME);
  if (m_itsvalue) {
    GDateTime* local = g_date_time_new_from_unix_local(g_date_time_to_unix(m_itsvalue.get()));
    g_value_take_boxed(value.get(), local);
  }
  return value;
}

std::string ValueDateTime::to_string() const { return m_itsvalue ? format(text_format()) : "(NULL)"; }

ValueObjectPtr ValueDateTime::clone() const { return clone_as<ValueDateTime>(); }
std::string ValueDateTime::get_name() const { return "datetime"; }
DataType ValueDateTime::get_data_type() const { return DataType::DateTime; }

// ValueDate

std::shared_ptr<ValueDate> ValueDate::create() { return std::make_shared<ValueDate>(now_local()); }

std::shared_ptr<ValueDate> ValueDate::dmy(int year, int month, int day) {
  if (!g_date_valid_dmy(static_cast<GDateDay>(day), static_cast<GDateMonth>(month), static_cast<GDateYear>(year))) {
    return std::make_shared<ValueDate>(Core::DateTime());
  }
  return std::make_shared<ValueDate>(Core::DateTime::adopt(g_date_time_new_local(year, month, day, 0, 0, 0)));
}

std::shared_ptr<ValueDate> ValueDate::date(const GDate& date) {
  if (!g_date_valid(&date)) {
    return std::make_shared<ValueDate>(Core::DateTime());
  }
  return dmy(g_date_get_year(&date), g_date_get_month(&date), g_date_get_day(&date));
}

std::shared_ptr<ValueDate> ValueDate::iso8601(std::string_view text) {
  GTimeZone* local = g_time_zone_new_local();
  Core::DateTime parsed = parse_iso8601(text, local);
  g_time_zone_unref(local);
  return std::make_shared<ValueDate>(parsed ? std::move(parsed) : local_epoch());
}

Core::GValueHolder ValueDate::to_value() const {
  Core::GValueHolder value(G_TYPE_DATE);
  if (m_itsvalue) {
    int year = 0;
    int month = 0;
    int day = 0;
    g_date_time_get_ymd(m_itsvalue.get(), &year, &month, &day);
    g_value_take_boxed(value.get(), g_date_new_dmy(static_cast<GDateDay>(day), static_cast<GDateMonth>(month),
                                                   static_cast<GDateYear>(year)));
  }
  return value;
}

std::string ValueDate::get_name() const { return "date"; }
DataType ValueDate::get_data_type() const { return DataType::Date; }

// ValueTime

std::shared_ptr<ValueTime> ValueTime::create() { return std::make_shared<ValueTime>(now_local()); }

std::shared_ptr<ValueTime> ValueTime::hms(int hour, int minute, double seconds) {
  GTimeZone* local = g_time_zone_new_local();
  auto value = Core::DateTime::adopt(g_date_time_new(local, 1970, 1, 1, hour, minute, seconds));
  g_time_zone_unref(local);
  return std::make_shared<ValueTime>(std::move(value));
}

std::shared_ptr<ValueTime> ValueTime::time(const Core::DateTime& value) {
  TOLVANE_RETURN_VAL_IF_FAIL(value, "datetime != NULL", nullptr);
  return std::make_shared<ValueTime>(Core::DateTime::adopt(g_date_time_to_utc(value.get())));
}

std::string ValueTime::get_name() const { return "time"; }
DataType ValueTime::get_data_type() const { return DataType::Time; }

}  // namespace Tolvane::Providers::Contracts
