#include "tests/tools/cli_fixture.hpp"

#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace Tolvane::Testing {

namespace {

void redirect_input(gpointer file) {
  FILE* in = std::fopen(static_cast<const char*>(file), "rb");
  if (in != nullptr) {
    dup2(fileno(in), 0);
  }
}

}  // namespace

Ran run_program(const std::string& program, std::vector<std::string> arguments, const std::string& input,
                const Environment& extra, const TempDir& home) {
  std::string name = program;
  std::vector<char*> argv;
  argv.push_back(name.data());
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  gchar** envp = g_get_environ();
  envp = g_environ_setenv(envp, "XDG_STATE_HOME", home.file("state").c_str(), TRUE);
  envp = g_environ_setenv(envp, "XDG_CONFIG_HOME", home.file("config").c_str(), TRUE);
  envp = g_environ_setenv(envp, "XDG_DATA_HOME", home.file("data").c_str(), TRUE);
  for (const char* secret : {"TOLVANE_KEY", "TOLVANE_PASSWORD", "TOLVANE_NEW_KEY"}) {
    envp = g_environ_unsetenv(envp, secret);
  }
  for (const auto& [variable, value] : extra) {
    envp = g_environ_setenv(envp, variable.c_str(), value.c_str(), TRUE);
  }
  // Standard input comes from a file, set up in the child before it starts.
  const std::string input_file = home.file("stdin.txt");
  write_text(input_file, input);
  Ran run;
  gchar* out = nullptr;
  gchar* err = nullptr;
  gint status = 0;
  GError* error = nullptr;
  const gboolean ran = g_spawn_sync(nullptr, argv.data(), envp, G_SPAWN_SEARCH_PATH, redirect_input,
                                    const_cast<char*>(input_file.c_str()), &out, &err, &status, &error);
  g_strfreev(envp);
  EXPECT_TRUE(ran) << program << ": " << (error != nullptr ? error->message : "");
  g_clear_error(&error);
  // Output may hold NUL bytes; g_spawn_sync gives it as a C string, so the
  // tests that need bytes read files instead.
  run.out = out != nullptr ? out : "";
  run.err = err != nullptr ? err : "";
  g_free(out);
  g_free(err);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string TolvaneCli::make_database(const std::string& name, const std::string& sql) {
  const std::string path = m_home.file(name);
  Ran made = sqlite3(path, sql);
  EXPECT_EQ(made.exit_code, 0) << made.err;
  return path;
}

std::string TolvaneCli::database() {
  const std::string path = m_home.file("t.db");
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) {
    make_database("t.db",
                  "CREATE TABLE t(id INTEGER, name TEXT, price REAL, data BLOB);"
                  "INSERT INTO t VALUES (1, 'O''Brien', 1.5, x'00ff'), (2, NULL, 0.1, NULL),"
                  " (3, 'tab' || char(9) || 'here', 2, 'x');");
  }
  return path;
}

}  // namespace Tolvane::Testing
