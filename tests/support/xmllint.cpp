#include "tests/support/xmllint.hpp"

#include <glib.h>

#include "tests/support/temp_dir.hpp"

namespace Tolvane::Testing {

std::string xmllint(const std::string& document, bool html) {
  TempDir dir;
  const std::string file = dir.file(html ? "page.html" : "document.xml");
  write_text(file, document);
  std::string program = "xmllint";
  const char* argv[] = {program.c_str(), "--noout", html ? "--html" : "--nonet", file.c_str(), nullptr};
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  GError* error = nullptr;
  if (!g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &out, &err,
                    &status, &error)) {
    std::string message = std::string("cannot run xmllint: ") + error->message;
    g_error_free(error);
    return message;
  }
  std::string said = std::string(out != nullptr ? out : "") + (err != nullptr ? err : "");
  g_free(out);
  g_free(err);
  if (said.empty() && !g_spawn_check_wait_status(status, nullptr)) {
    said = "xmllint failed";
  }
  return said;
}

}  // namespace Tolvane::Testing
