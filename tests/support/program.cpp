#include "tests/support/program.hpp"

#include <gtest/gtest.h>

#include <glib.h>
#include <sys/wait.h>

namespace Tolvane::Testing {

ProgramRun run_program(std::vector<std::string> arguments,
                       const std::vector<std::pair<std::string, std::string>>& environment) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  gchar** envp = g_get_environ();
  for (const auto& [name, value] : environment) {
    envp = g_environ_setenv(envp, name.c_str(), value.c_str(), TRUE);
  }
  ProgramRun ran;
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  GError* error = nullptr;
  const auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL);
  const gboolean started = g_spawn_sync(nullptr, argv.data(), envp, flags, nullptr, nullptr, &out, &err, &status, &error);
  EXPECT_TRUE(started) << (arguments.empty() ? "" : arguments[0]) << ": " << (error != nullptr ? error->message : "");
  g_clear_error(&error);
  g_strfreev(envp);
  ran.out = out != nullptr ? out : "";
  ran.err = err != nullptr ? err : "";
  g_free(out);
  g_free(err);
  ran.exit_code = started && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return ran;
}

}  // namespace Tolvane::Testing
