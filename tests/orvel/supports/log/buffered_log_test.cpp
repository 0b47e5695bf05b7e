#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "orvel/supports/log/log_flusher.hpp"
#include "orvel/supports/log/slice_file_log_handler.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tests/orvel/supports/log/log_calls.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Orvel::Supports::Log {
namespace {

using Testing::publish;
using Testing::read_text;
using Testing::TempDir;

// A connection log whose file is removed afterwards; the library leaves them.
struct TempLog {
  TempFileLogHandlerPtr handler = TempFileLogHandler::create();
  std::string path;
  TempLog() {
    handler->initialize("buffered-test");
    path = handler->get_file_name();
  }
  ~TempLog() { std::filesystem::remove(path); }
};

// Waits, without running any main loop, until `path` holds `text`.
bool appears(const std::string& path, const std::string& text) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (read_text(path).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > give_up) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(BufferedLogFiles, ARiskyLineWritesItselfAndEveryLineBeforeItAtOnce) {
  TempLog log;
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "first %d", 1);
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "second");
  publish(*log.handler, LogLevel::RISKY, "s", "n", "trouble");
  std::string text = read_text(log.path);
  std::size_t first = text.find(" first 1\n");
  std::size_t second = text.find(" second\n");
  ASSERT_NE(first, std::string::npos) << text;
  ASSERT_NE(second, std::string::npos) << text;
  EXPECT_LT(first, second);
  EXPECT_TRUE(text.ends_with(" trouble\n")) << text;
}

TEST(BufferedLogFiles, TheFlusherWritesWaitingLinesWithoutAMainLoop) {
  TempDir dir;
  auto slices = SliceFileLogHandler::create();
  ASSERT_TRUE(slices->initialize("flushed", dir.path().c_str(), 0));
  TempLog log;
  publish(*slices, LogLevel::PLAIN, "SYS", "SYS", "main line");
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "connection line");
  EXPECT_TRUE(LogFlusher::is_started());
  EXPECT_TRUE(appears(dir.file("flushed-000.log"), "[SYS][SYS][PLAIN] main line\n"));
  EXPECT_TRUE(appears(log.path, " connection line\n"));
}

TEST(BufferedLogFiles, CloseRecentAndDestructionWriteWhatIsWaiting) {
  TempLog log;
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "seen by recent");
  EXPECT_TRUE(log.handler->recent(0).ends_with(" seen by recent\n"));
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "kept by close");
  log.handler->close();
  std::string text = read_text(log.path);
  EXPECT_NE(text.find(" seen by recent\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with(" kept by close\n")) << text;

  TempDir dir;
  auto slices = SliceFileLogHandler::create();
  ASSERT_TRUE(slices->initialize("dropped", dir.path().c_str(), 0));
  publish(*slices, LogLevel::PLAIN, "SYS", "SYS", "kept by the destructor");
  slices.reset();
  EXPECT_TRUE(read_text(dir.file("dropped-000.log")).ends_with("[PLAIN] kept by the destructor\n"));
}

TEST(BufferedLogFiles, LongLinesAreWrittenWhole) {
  TempLog log;
  const std::string big(200 * 1024, 'b');
  const std::string medium(300, 'm');
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "%s|%s", medium.c_str(), "%d");
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "<%s>", big.c_str());
  publish(*log.handler, LogLevel::PLAIN, "s", "n", "after %d%%", 100);
  std::string text = log.handler->recent(0);
  EXPECT_NE(text.find(" " + medium + "|%d\n"), std::string::npos);
  EXPECT_NE(text.find(" <" + big + ">\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with(" after 100%\n"));
}

// The end of the process writes what waits, even for a handler nobody closes
// or destroys (as the logging facade's are).
void log_and_exit(const std::string& folder) {
  static auto* kept = new SliceFileLogHandlerPtr(SliceFileLogHandler::create());
  if (!(*kept)->initialize("exit", folder.c_str(), 0)) {
    std::_Exit(3);
  }
  publish(**kept, LogLevel::PLAIN, "SYS", "SYS", "last words");
  std::exit(0);
}

TEST(BufferedLogFilesDeathTest, TheEndOfTheProcessWritesWhatIsWaiting) {
  // A fresh process, in which the flusher starts with this test's line.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr const char* kFolder = "TOLVANE_TEST_EXIT_LOG_FOLDER";
  // The child runs this test again from the start; it takes the parent's folder.
  std::optional<TempDir> dir;
  if (g_getenv(kFolder) == nullptr) {
    dir.emplace();
    g_setenv(kFolder, dir->path().c_str(), TRUE);
  }
  const std::string folder = g_getenv(kFolder);
  EXPECT_EXIT(log_and_exit(folder), testing::ExitedWithCode(0), "");
  g_unsetenv(kFolder);
  EXPECT_TRUE(read_text(folder + "/exit-000.log").ends_with("[SYS][SYS][PLAIN] last words\n"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Log
