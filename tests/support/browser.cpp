#include "tests/support/browser.hpp"

#include <gtest/gtest.h>

#include <glib.h>

#include <atomic>

namespace Tolvane::Testing {

std::string find_chromium() {
  gchar* found = g_find_program_in_path("chromium");
  std::string path = found != nullptr ? found : "";
  g_free(found);
  return path;
}

std::string dump_dom(const std::string& chromium, const std::string& file) {
  static std::atomic<int> profiles{0};
  gchar* folder = g_path_get_dirname(file.c_str());
  const std::string user_data = std::string("--user-data-dir=") + folder + "/chromium-profile" +
                                std::to_string(++profiles);
  g_free(folder);
  const std::string url = "file://" + file;
  // No network, no updates, no first-run pages: the browser only loads the file.
  const char* argv[] = {chromium.c_str(),
                        "--headless",
                        "--no-sandbox",
                        "--disable-gpu",
                        "--disable-background-networking",
                        "--disable-component-update",
                        "--disable-sync",
                        "--no-first-run",
                        user_data.c_str(),
                        "--dump-dom",
                        url.c_str(),
                        nullptr};
  gchar* out = nullptr;
  gint status = 0;
  GError* error = nullptr;
  const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_STDERR_TO_DEV_NULL, nullptr,
                                nullptr, &out, nullptr, &status, &error);
  EXPECT_TRUE(ran) << (error != nullptr ? error->message : "");
  g_clear_error(&error);
  std::string dom = out != nullptr ? out : "";
  g_free(out);
  EXPECT_FALSE(dom.empty()) << "chromium printed no DOM for " << file;
  return dom;
}

}  // namespace Tolvane::Testing
