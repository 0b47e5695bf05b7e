#pragma once

#include <map>
#include <memory>

#include "orvel/contracts/database/formattable.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

class Formatter;
using FormatterPtr = std::shared_ptr<Formatter>;

// The SQL beautifier and minifier: a fixed chain of whole-text regular
// expressions, compiled once per process and shared by every formatter.
// `beautify` and `minify` keep no state and may run on any thread at the same
// time; set options before handing a formatter to other threads.
class ORVEL_API Formatter final : public Core::Object, public Contracts::Database::IFormattable {
  TOLVANE_OBJECT(Formatter)

  // Sub-queries nested deeper than this are indented as deep as this.
  static constexpr int max_depth = 100;

  Formatter() = default;
  static FormatterPtr create() { return std::make_shared<Formatter>(); }
  // A formatter set up the way a connection sets up its own: the options
  // "LINE_START" and "LINE_BREAK", in that order.
  static FormatterPtr configured();

  void option(std::optional<std::string_view> name, std::optional<std::string_view> value) override;
  // The text stored under `name`, or none.
  std::optional<std::string> get_option(std::string_view name) const;

  // The input unchanged when a regular expression fails (invalid UTF-8).
  std::optional<std::string> beautify(std::optional<std::string_view> statements) const override;
  // On a regular-expression failure, logs a warning and returns the text as far
  // as it was processed.
  std::optional<std::string> minify(std::optional<std::string_view> statements) const override;

 private:
  std::map<std::string, std::string, std::less<>> m_options;
};

}  // namespace Tolvane::Orvel::Supports::Database
