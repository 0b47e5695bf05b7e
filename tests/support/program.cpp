#include "tests/support/program.hpp"

#include <gtest/gtest.h>

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace Tolvane::Testing {

namespace {

// Runs in the child before it starts: standard input from the given file.
void redirect_input(gpointer file) {
  FILE* in = std::fopen(static_cast<const char*>(file), "rb");
  if (in != nullptr) {
    dup2(fileno(in), 0);
  }
}

}  // namespace

ProgramRun run_program(std::vector<std::string> arguments, const ProgramSetup& setup) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  gchar** envp = g_get_environ();
  for (const std::string& name : setup.unset) {
    envp = g_environ_unsetenv(envp, name.c_str());
  }
  for (const auto& [name, value] : setup.environment) {
    envp = g_environ_setenv(envp, name.c_str(), value.c_str(), TRUE);
  }
  ProgramRun ran;
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  GError* error = nullptr;
  const bool from_file = !setup.input_file.empty();
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | (from_file ? 0 : G_SPAWN_STDIN_FROM_DEV_NULL));
  const gboolean started =
      g_spawn_sync(nullptr, argv.data(), envp, flags, from_file ? redirect_input : nullptr,
                   from_file ? const_cast<char*>(setup.input_file.c_str()) : nullptr, &out, &err, &status, &error);
  EXPECT_TRUE(started) << (arguments.empty() ? "" : arguments[0]) << ": " << (error != nullptr ? error->message : "");
  g_clear_error(&error);
  g_strfreev(envp);
  ran.out = out != nullptr ? out : "";
  ran.err = err != nullptr ? err : "";
  g_free(out);
  g_free(err);
  if (started) {
    ran.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return ran;
}

}  // namespace Tolvane::Testing
