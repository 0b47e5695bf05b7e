// Ctrl-C under a real terminal: tmux runs the command in a shell, send-keys
// types the keys and capture-pane reads the screen.

#include <gtest/gtest.h>

#include <glib.h>
#include <unistd.h>

#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {

namespace {

class Interrupt : public TolvaneCli {
 protected:
  Interrupt() : m_socket("tolvane-test-" + std::to_string(getpid())) {}
  ~Interrupt() override { tmux({"kill-server"}); }

  Ran tmux(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-L", m_socket});
    return run_program("tmux", std::move(arguments), "", {}, m_home);
  }

  // Starts `command` in a shell in a detached terminal; its exit code shows as "exit=N".
  void start(const std::string& command) {
    const std::string line = "export XDG_STATE_HOME=" + file("state") + " XDG_CONFIG_HOME=" + file("config") +
                             " XDG_DATA_HOME=" + file("data") + "; " + command + "; echo \"exit=$?\"; sleep 60";
    Ran started = tmux({"new-session", "-d", "-s", "t", "-x", "160", "-y", "40", "bash", "--norc", "-c", line});
    ASSERT_EQ(started.exit_code, 0) << started.err;
  }

  // The screen once "exit=" shows on it, or after `seconds`.
  std::string screen_when_done(int seconds) {
    std::string screen;
    for (int i = 0; i < seconds * 10; ++i) {
      screen = tmux({"capture-pane", "-p", "-t", "t"}).out;
      if (screen.find("exit=") != std::string::npos) {
        break;
      }
      g_usleep(100000);
    }
    return screen;
  }

  std::string m_socket;
};

}  // namespace

TEST_F(Interrupt, CtrlCDuringALongInsertRollsBackAndLeavesNoJournal) {
  const std::string db = make_database("big.db", "CREATE TABLE big(i, b);");
  write_text(file("long.sql"),
             "INSERT INTO big WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000000) "
             "SELECT i, randomblob(64) FROM n;\n");
  start(std::string(TOLVANE_BINARY) + " script " + db + " " + file("long.sql"));
  g_usleep(2500000);
  tmux({"send-keys", "-t", "t", "C-c"});
  const std::string screen = screen_when_done(30);
  EXPECT_NE(screen.find("interrupted"), std::string::npos) << screen;
  EXPECT_NE(screen.find("exit=130"), std::string::npos) << screen;
  tmux({"kill-server"});
  EXPECT_FALSE(g_file_test((db + "-journal").c_str(), G_FILE_TEST_EXISTS));
  EXPECT_EQ(sqlite3(db, "SELECT count(*) FROM big;").out, "0\n");
}

TEST_F(Interrupt, CtrlCStopsAStreamingQuery) {
  const std::string db = make_database("n.db", "CREATE TABLE a(x);");
  start(std::string(TOLVANE_BINARY) + " query " + db +
        " 'WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n' --csv > /dev/null");
  g_usleep(1500000);
  tmux({"send-keys", "-t", "t", "C-c"});
  const std::string screen = screen_when_done(30);
  EXPECT_NE(screen.find("interrupted"), std::string::npos) << screen;
  EXPECT_NE(screen.find("exit=130"), std::string::npos) << screen;
}

TEST_F(Interrupt, ALongScriptShowsItsProgressOnTheTerminalAndErasesIt) {
  const std::string db = make_database("p.db", "CREATE TABLE a(x);");
  std::string script;
  for (int i = 0; i < 40; ++i) {
    script +=
        "SELECT count(*) FROM (WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
        "SELECT i FROM n);\n";
  }
  write_text(file("slow.sql"), script);
  start(std::string(TOLVANE_BINARY) + " script " + db + " " + file("slow.sql") + " --csv > /dev/null");
  std::string during;
  for (int i = 0; i < 100 && during.find("bytes of SQL") == std::string::npos; ++i) {
    g_usleep(100000);
    during = tmux({"capture-pane", "-p", "-t", "t"}).out;
  }
  const std::string size = std::to_string(script.size());
  const std::string total = size.substr(0, size.size() - 3) + "," + size.substr(size.size() - 3);
  EXPECT_NE(during.find(" of " + total + " bytes of SQL"), std::string::npos) << during;
  const std::string after = screen_when_done(120);
  EXPECT_NE(after.find("exit=0"), std::string::npos) << after;
  EXPECT_EQ(after.find("bytes of SQL"), std::string::npos) << "the line is erased at the end:\n" << after;
}

}  // namespace Tolvane::Testing
