#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <glib.h>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// A compiled GRegex (PCRE). Compile each pattern once per process, typically as
// a function-local static; matching on a compiled expression is thread-safe.
//
// Pass G_REGEX_OPTIMIZE for expressions that run over long texts. Without it,
// GLib re-checks the UTF-8 of the whole remaining text before every match, so
// replacing all matches is quadratic in the text's length. The optimised
// (JIT) matcher skips that check and must never see invalid UTF-8; such an
// expression therefore validates each text once and hands invalid text to an
// unoptimised copy, which reports GRegex's own error.
class TESSIN_API Regex {
 public:
  // A pattern that does not compile gives an invalid expression, which matches
  // nothing; the compile error is kept for the caller.
  explicit Regex(const char* pattern, int compile_flags = 0, int match_flags = 0);

  bool valid() const noexcept { return static_cast<bool>(m_regex); }
  const std::string& error() const noexcept { return m_error; }
  // The compiled expression itself; with G_REGEX_OPTIMIZE, only for valid UTF-8.
  GRegex* get() const noexcept { return m_regex.get(); }

  bool matches(std::string_view text) const;
  // The first match, kept for group lookups; g_match_info_next walks on to the
  // following ones. The match info points into `text`, which must outlive it.
  GMatchInfoPtr match(std::string_view text) const;

  // Replaces every match; `replacement` may refer to groups ("\\1", "\\g<name>").
  std::string replace(std::string_view text, const char* replacement) const;
  // Replaces every match with `replacement` taken literally.
  std::string replace_literal(std::string_view text, std::string_view replacement) const;

  // The same two, for callers that must tell a failed match (invalid UTF-8, a
  // PCRE limit) from "no match": GRegex's error comes back instead. An expression
  // that did not compile fails with its compile error.
  Result<bool> try_matches(std::string_view text) const;
  Result<std::string> try_replace_literal(std::string_view text, const char* replacement) const;

  static std::optional<std::string> group(const GMatchInfo* info, int index);
  static std::optional<std::string> named_group(const GMatchInfo* info, const char* name);

 private:
  // The expression to run on `text`.
  GRegex* for_text(std::string_view text) const noexcept;

  GRef<GRegex> m_regex;
  // Set for optimised expressions: the same pattern without JIT, for invalid text.
  GRef<GRegex> m_checked;
  std::string m_error;
};

}  // namespace Tolvane::Core
