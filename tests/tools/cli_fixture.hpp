#pragma once

// Runs the tolvane command (and the sqlite3 shell as an oracle) the way users
// run it: arguments in, text and an exit code out, with its own folders under
// a temporary home.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/program.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Testing {

using Ran = ProgramRun;

// Runs `program` with `arguments`, `input` on standard input and the
// environment of the test less the tolvane secrets, plus `extra`.
Ran run_program(const std::string& program, std::vector<std::string> arguments, const std::string& input,
                const Environment& extra, const TempDir& home);

class TolvaneCli : public ::testing::Test {
 protected:
  Ran tolvane(std::vector<std::string> arguments, const std::string& input = "", const Environment& extra = {}) {
    return run_program(TOLVANE_BINARY, std::move(arguments), input, extra, m_home);
  }
  // The sqlite3 shell on `database`, SQL on standard input.
  Ran sqlite3(const std::string& database, const std::string& sql, std::vector<std::string> options = {}) {
    options.push_back(database);
    return run_program("sqlite3", std::move(options), sql, {}, m_home);
  }
  // A database made by the sqlite3 shell from `sql`.
  std::string make_database(const std::string& name, const std::string& sql);
  // A small table t(id, name, price, data) with a quote, a NULL and a tab.
  std::string database();
  std::string file(const std::string& name) const { return m_home.file(name); }

  TempDir m_home;
};

}  // namespace Tolvane::Testing
