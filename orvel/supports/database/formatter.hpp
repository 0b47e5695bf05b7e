#pragma once

#include <map>
#include <memory>

#include "orvel/contracts/database/formattable.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Database {

class Formatter;
using FormatterPtr = std::shared_ptr<Formatter>;

// The SQL beautifier and minifier. Both keep every token of the text as the
// engine reads it: string literals, quoted names, blobs and comments are
// passed through byte for byte, a line comment keeps its line end, no two
// tokens are run together and none is cut; only white space changes, and the
// beautifier writes the keywords of its layout rules in capitals.
//
// The beautifier lays each statement out by a fixed chain of whole-text
// regular expressions (compiled once per process, shared by every formatter),
// run over a skeleton of the statement in which every literal, name and
// comment is a stand-in: clauses on lines of their own, continuation keywords
// indented, select lists one item a line, sub-queries indented by depth.
// Comments go back beside the code they were beside: one that followed code on
// its line stays there, one that stood on a line of its own gets a line of its
// own.
//
// `beautify` and `minify` keep no state and may run on any thread at the same
// time; set options before handing a formatter to other threads.
class ORVEL_API Formatter final : public Core::Object, public Contracts::Database::IFormattable {
  TOLVANE_OBJECT(Formatter)

  // Sub-queries nested deeper than this are indented as deep as this.
  static constexpr int max_depth = 100;

  // The error domain of the checked operations, and its codes.
  static constexpr const char* error_domain = "Formatter";
  enum ErrorCode : int {
    NotUtf8 = 1,        // the text is not valid UTF-8
    TokensChanged = 2,  // the result would not hold the text's tokens (a fault of the formatter)
  };

  Formatter() = default;
  static FormatterPtr create() { return std::make_shared<Formatter>(); }
  // A formatter set up the way a connection sets up its own: the options
  // "LINE_START" and "LINE_BREAK", in that order.
  static FormatterPtr configured();

  void option(std::optional<std::string_view> name, std::optional<std::string_view> value) override;
  // The text stored under `name`, or none.
  std::optional<std::string> get_option(std::string_view name) const;

  // The input unchanged when it is not valid UTF-8 or cannot be laid out
  // without changing its tokens (the latter is logged as a warning).
  std::optional<std::string> beautify(std::optional<std::string_view> statements) const override;
  // On a failure, logs a warning and returns the input unchanged.
  std::optional<std::string> minify(std::optional<std::string_view> statements) const override;

  // The same two, checked: the result, or an error in `error_domain` when the
  // text is not valid UTF-8 or the result would not hold the text's tokens
  // (with the first difference in the message). For callers that would rather
  // refuse than hand back the text as it was. Options play no part, so these
  // need no formatter.
  static Core::Result<std::string> beautify_checked(std::string_view statements);
  static Core::Result<std::string> minify_checked(std::string_view statements);

 private:
  std::map<std::string, std::string, std::less<>> m_options;
};

}  // namespace Tolvane::Orvel::Supports::Database
