#include "tests/support/comma_locale.hpp"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <glib.h>

#include "tests/support/temp_dir.hpp"

namespace Tolvane::Testing {

namespace {

constexpr const char* kLocale = "de_DE.UTF-8";

// The folder holding a compiled copy of the locale, made on first use; "" when
// it could not be made. Kept for the whole process.
const std::string& compiled_locale_folder(std::string& why) {
  static TempDir folder;
  static const std::string made = [] {
    const std::string target = folder.file(kLocale);
    const char* argv[] = {"localedef", "-c", "-i", "de_DE", "-f", "UTF-8", target.c_str(), nullptr};
    gchar* error_text = nullptr;
    const gboolean ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                                      nullptr, nullptr, &error_text, nullptr, nullptr);
    g_free(error_text);
    // localedef exits non-zero for mere warnings; the compiled folder is what counts.
    return ran != FALSE && std::filesystem::exists(target + "/LC_NUMERIC") ? folder.path() : std::string();
  }();
  if (made.empty()) {
    why = std::string("the machine has no ") + kLocale + " locale and localedef could not compile one";
  }
  return made;
}

}  // namespace

CommaLocale::CommaLocale() {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  m_previous = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, kLocale) == nullptr) {
    const std::string& folder = compiled_locale_folder(m_why);
    if (folder.empty()) {
      return;
    }
    const char* locpath = g_getenv("LOCPATH");
    m_previous_locpath = locpath != nullptr ? std::optional<std::string>(locpath) : std::nullopt;
    m_set_locpath = true;
    g_setenv("LOCPATH", folder.c_str(), TRUE);
    if (std::setlocale(LC_NUMERIC, kLocale) == nullptr) {
      m_why = std::string("the compiled ") + kLocale + " locale could not be selected";
      return;
    }
  }
  char probe[8];
  std::snprintf(probe, sizeof probe, "%.1f", 2.5);
  m_active = std::string(probe) == "2,5";
  if (!m_active) {
    m_why = std::string(kLocale) + " does not write a decimal comma here";
  }
}

CommaLocale::~CommaLocale() {
  std::setlocale(LC_NUMERIC, m_previous.c_str());
  if (m_set_locpath) {
    if (m_previous_locpath) {
      g_setenv("LOCPATH", m_previous_locpath->c_str(), TRUE);
    } else {
      g_unsetenv("LOCPATH");
    }
  }
}

}  // namespace Tolvane::Testing
