#include "tessin/core/regex.hpp"

namespace Tolvane::Core {

namespace {

// UTF-8 as PCRE reads it: unlike g_utf8_validate, NUL is an ordinary character.
bool valid_utf8(std::string_view text) noexcept {
  const char* start = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const char* end = nullptr;
    if (g_utf8_validate_len(start, left, &end) != FALSE) {
      return true;
    }
    if (*end != '\0') {
      return false;
    }
    left -= static_cast<std::size_t>(end - start) + 1;
    start = end + 1;
  }
  return true;
}

}  // namespace

Regex::Regex(const char* pattern, int compile_flags, int match_flags) {
  // GLib hands the pattern to PCRE without checking its UTF-8, and PCRE
  // crashes on a broken sequence (a pattern holding "\xff" takes the process
  // down); patterns built from user text must fail instead.
  if ((compile_flags & G_REGEX_RAW) == 0 && g_utf8_validate(pattern, -1, nullptr) == FALSE) {
    m_error = "the pattern is not valid UTF-8";
    return;
  }
  GError* error = nullptr;
  GRegex* regex = g_regex_new(pattern, static_cast<GRegexCompileFlags>(compile_flags),
                              static_cast<GRegexMatchFlags>(match_flags), &error);
  if (regex == nullptr) {
    m_error = error != nullptr ? error->message : "invalid pattern";
    g_clear_error(&error);
    return;
  }
  m_regex = GRef<GRegex>::adopt(regex);
  if ((compile_flags & G_REGEX_OPTIMIZE) != 0 && (compile_flags & G_REGEX_RAW) == 0) {
    const int unoptimised = compile_flags & ~G_REGEX_OPTIMIZE;
    m_checked = GRef<GRegex>::adopt(g_regex_new(pattern, static_cast<GRegexCompileFlags>(unoptimised),
                                                static_cast<GRegexMatchFlags>(match_flags), nullptr));
  }
}

GRegex* Regex::for_text(std::string_view text) const noexcept {
  if (m_checked && !valid_utf8(text)) {
    return m_checked.get();
  }
  return m_regex.get();
}

bool Regex::matches(std::string_view text) const {
  if (!valid()) {
    return false;
  }
  return g_regex_match_full(for_text(text), text.data(), static_cast<gssize>(text.size()), 0,
                            static_cast<GRegexMatchFlags>(0), nullptr, nullptr) != FALSE;
}

GMatchInfoPtr Regex::match(std::string_view text) const {
  if (!valid()) {
    return nullptr;
  }
  GMatchInfo* info = nullptr;
  g_regex_match_full(for_text(text), text.data(), static_cast<gssize>(text.size()), 0,
                     static_cast<GRegexMatchFlags>(0), &info, nullptr);
  return GMatchInfoPtr(info);
}

std::string Regex::replace(std::string_view text, const char* replacement) const {
  if (!valid()) {
    return std::string(text);
  }
  GError* error = nullptr;
  gchar* result = g_regex_replace(for_text(text), text.data(), static_cast<gssize>(text.size()), 0, replacement,
                                  static_cast<GRegexMatchFlags>(0), &error);
  if (result == nullptr) {
    g_clear_error(&error);
    return std::string(text);
  }
  return take_std(result);
}

std::string Regex::replace_literal(std::string_view text, std::string_view replacement) const {
  if (!valid()) {
    return std::string(text);
  }
  std::string owned(replacement);
  GError* error = nullptr;
  gchar* result = g_regex_replace_literal(for_text(text), text.data(), static_cast<gssize>(text.size()), 0,
                                          owned.c_str(), static_cast<GRegexMatchFlags>(0), &error);
  if (result == nullptr) {
    g_clear_error(&error);
    return std::string(text);
  }
  return take_std(result);
}

Result<bool> Regex::try_matches(std::string_view text) const {
  if (!valid()) {
    return fail(g_quark_to_string(G_REGEX_ERROR), G_REGEX_ERROR_COMPILE, m_error);
  }
  GError* error = nullptr;
  const bool found = g_regex_match_full(for_text(text), text.data(), static_cast<gssize>(text.size()), 0,
                                        static_cast<GRegexMatchFlags>(0), nullptr, &error) != FALSE;
  if (error != nullptr) {
    return fail(Error::take_gerror(error));
  }
  return found;
}

Result<std::string> Regex::try_replace_literal(std::string_view text, const char* replacement) const {
  if (!valid()) {
    return fail(g_quark_to_string(G_REGEX_ERROR), G_REGEX_ERROR_COMPILE, m_error);
  }
  GError* error = nullptr;
  gchar* result = g_regex_replace_literal(for_text(text), text.data(), static_cast<gssize>(text.size()), 0,
                                          replacement, static_cast<GRegexMatchFlags>(0), &error);
  if (result == nullptr) {
    return fail(error != nullptr ? Error::take_gerror(error)
                                 : Error{g_quark_to_string(G_REGEX_ERROR), G_REGEX_ERROR_REPLACE, "replace failed"});
  }
  return take_std(result);
}

std::optional<std::string> Regex::group(const GMatchInfo* info, int index) {
  if (info == nullptr || g_match_info_matches(info) == FALSE) {
    return std::nullopt;
  }
  gchar* text = g_match_info_fetch(info, index);
  if (text == nullptr) {
    return std::nullopt;
  }
  return take_std(text);
}

std::optional<std::string> Regex::named_group(const GMatchInfo* info, const char* name) {
  if (info == nullptr || g_match_info_matches(info) == FALSE) {
    return std::nullopt;
  }
  gchar* text = g_match_info_fetch_named(info, name);
  if (text == nullptr) {
    return std::nullopt;
  }
  return take_std(text);
}

}  // namespace Tolvane::Core
