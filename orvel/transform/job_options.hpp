#pragma once

#include <map>
#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Transform {

// The option map every transform job is made with. A key is three words
// joined by "|": "OPTION|SOURCE|DATABASE", "OPTION|RESULT|CONTINUE",
// "table|orders|MODE", "OPTION|view|recent" ...
using Options = std::map<std::string, std::string, std::less<>>;

namespace OptionWord {
inline constexpr std::string_view kOption = "OPTION";
inline constexpr std::string_view kSource = "SOURCE";
inline constexpr std::string_view kTarget = "TARGET";
inline constexpr std::string_view kDatabase = "DATABASE";
inline constexpr std::string_view kSchema = "SCHEMA";
inline constexpr std::string_view kResult = "RESULT";
inline constexpr std::string_view kContinue = "CONTINUE";
inline constexpr std::string_view kDropObject = "DROP_OBJECT";
inline constexpr std::string_view kMode = "MODE";
inline constexpr std::string_view kName = "NAME";
inline constexpr std::string_view kFields = "FIELDS";
inline constexpr std::string_view kViewToTable = "VIEW2TABLE";
inline constexpr std::string_view kBatch = "BATCH";
inline constexpr std::string_view kRecords = "RECORDS";
}  // namespace OptionWord

// "%s|%s|%s".
ORVEL_API std::string option_key(std::string_view first, std::string_view second, std::string_view third);

// Read access with the jobs' defaults.
class ORVEL_API JobOptions {
 public:
  explicit JobOptions(Options options) : options_(std::move(options)) {}

  const Options& map() const noexcept { return options_; }
  bool has(std::string_view first, std::string_view second, std::string_view third) const;
  // The value, or `fallback` when the key is absent.
  std::string get(std::string_view first, std::string_view second, std::string_view third,
                  std::string_view fallback = {}) const;
  // "OPTION|<side>|DATABASE" / "OPTION|<side>|SCHEMA", default "".
  std::string side_database(std::string_view side) const;
  std::string side_schema(std::string_view side) const;
  // "OPTION|RESULT|CONTINUE" is exactly "true" (so "TRUE" stops at the first failure).
  bool continue_on_failure() const;
  // "OPTION|RESULT|DROP_OBJECT" is exactly "true".
  bool drop_objects() const;
  // The selection key "OPTION|<kind>|<name>" is present (its value is not read).
  bool selected(std::string_view kind, std::string_view name) const;

 private:
  const std::string* find(std::string_view first, std::string_view second, std::string_view third) const;

  Options options_;
};

}  // namespace Tolvane::Orvel::Transform
