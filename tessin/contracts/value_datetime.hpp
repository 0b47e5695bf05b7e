#pragma once

#include <optional>
#include <string_view>
#include <tuple>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// ISO 8601 text as a date-time; texts without a zone are read in `default_zone`.
// Besides what GLib reads, a bare date ("2024-03-01") is read as midnight of
// that day. Null when the text does not parse.
TESSIN_API Core::DateTime parse_iso8601(std::string_view text, GTimeZone* default_zone);

// A GLib date-time, possibly absent. Shown as "%Y-%m-%d %H:%M:%S" in its own
// zone, "(NULL)" when absent. The year always has four digits ("0999"), as
// ISO 8601 wants and the factory needs to read it back; GLib's "%Y" would
// write "999", so the formats spell it "%C%y".
class TESSIN_API ValueDateTime : public ValueObject {
  TOLVANE_OBJECT(ValueDateTime)

  explicit ValueDateTime(Core::DateTime value) : m_itsvalue(std::move(value)) {}
  // Now, in the local zone.
  static std::shared_ptr<ValueDateTime> create();
  // The date-time converted to the local zone.
  static std::shared_ptr<ValueDateTime> datetime(const Core::DateTime& value);
  // UTC for texts without a zone; the Unix epoch (local time) when it does not parse.
  static std::shared_ptr<ValueDateTime> iso8601(std::string_view text);
  // That UTC date-time in whole seconds; absent when invalid.
  static std::shared_ptr<ValueDateTime> utc(int year, int month, int day, int hour, int minute, int seconds);

  const Core::DateTime& get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(Core::DateTime value);

  // GLib date-time format codes; "" when absent.
  std::string format(const std::string& format) const;

  Core::GValueHolder to_value() const override;
  std::string to_string() const override;
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  virtual const char* text_format() const { return "%C%y-%m-%d %H:%M:%S"; }
  // A clone keeps the instant and the zone it is shown in, so its text form is
  // the same as the source's.
  template <class T>
  std::shared_ptr<T> clone_as() const {
    return std::make_shared<T>(m_itsvalue);
  }

  Core::DateTime m_itsvalue;
};

// A calendar date: shown as "%Y-%m-%d", converts to a GLib date.
class TESSIN_API ValueDate final : public ValueDateTime {
  TOLVANE_OBJECT(ValueDate)

  using ValueDateTime::ValueDateTime;
  static std::shared_ptr<ValueDate> create();
  // Local midnight of that day; absent when the day does not exist.
  static std::shared_ptr<ValueDate> dmy(int year, int month, int day);
  static std::shared_ptr<ValueDate> date(const GDate& date);
  // The local zone for texts without a zone; the Unix epoch when it does not parse.
  static std::shared_ptr<ValueDate> iso8601(std::string_view text);

  Core::GValueHolder to_value() const override;
  ValueObjectPtr clone() const override { return clone_as<ValueDate>(); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  const char* text_format() const override { return "%C%y-%m-%d"; }
};

// A time of day: shown as "%H:%M:%S".
class TESSIN_API ValueTime final : public ValueDateTime {
  TOLVANE_OBJECT(ValueTime)

  using ValueDateTime::ValueDateTime;
  static std::shared_ptr<ValueTime> create();
  // That time of day on 1970-01-01 in the local zone.
  static std::shared_ptr<ValueTime> hms(int hour, int minute, double seconds);
  // The date-time converted to UTC.
  static std::shared_ptr<ValueTime> time(const Core::DateTime& value);

  ValueObjectPtr clone() const override { return clone_as<ValueTime>(); }
  std::string get_name() const override;
  DataType get_data_type() const override;

 protected:
  const char* text_format() const override { return "%H:%M:%S"; }
};

// Reads a time of day from text: ISO 8601 (UTC when no zone) or a bare
// "HH:MM[:SS[.fff]]"; nothing when neither parses.
TESSIN_API std::optional<std::tuple<int, int, double>> parse_time_of_day(std::string_view text);

}  // namespace Tolvane::Providers::Contracts
