#include "tests/tools/cli_fixture.hpp"

#include <glib.h>

namespace Tolvane::Testing {

Ran run_program(const std::string& program, std::vector<std::string> arguments, const std::string& input,
                const Environment& extra, const TempDir& home) {
  arguments.insert(arguments.begin(), program);
  ProgramSetup setup;
  setup.environment = {{"XDG_STATE_HOME", home.file("state")},
                       {"XDG_CONFIG_HOME", home.file("config")},
                       {"XDG_DATA_HOME", home.file("data")}};
  setup.environment.insert(setup.environment.end(), extra.begin(), extra.end());
  setup.unset = {"TOLVANE_KEY", "TOLVANE_PASSWORD", "TOLVANE_NEW_KEY"};
  setup.input_file = home.file("stdin.txt");
  write_text(setup.input_file, input);
  return run_program(std::move(arguments), setup);
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
