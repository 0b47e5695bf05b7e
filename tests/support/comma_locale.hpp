#pragma once

#include <optional>
#include <string>

namespace Tolvane::Testing {

// Switches the numeric locale to German ("de_DE.UTF-8", a comma before the
// decimals) while it lives, and back afterwards. A machine without that locale
// gets it compiled once per test process into a temporary folder (localedef
// and the locale sources are needed); `active()` is false when neither works,
// and `why()` says what was missing.
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool active() const { return m_active; }
  const std::string& why() const { return m_why; }

 private:
  std::string m_previous;
  bool m_set_locpath = false;
  std::optional<std::string> m_previous_locpath;
  bool m_active = false;
  std::string m_why;
};

}  // namespace Tolvane::Testing
