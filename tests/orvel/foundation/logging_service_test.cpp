#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <thread>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/supports/log/log_handler.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tessin/core/main_context.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Orvel::Foundation {
namespace {

using Contracts::Log::ILogger;
using Contracts::Log::LogLevel;
using Testing::read_text;
using Testing::TempDir;

constexpr const char* kMain = "main-0000";

Host::Options options_for(const TempDir& dir, LogLevel threshold = LogLevel::PLAIN, std::int64_t slice_size = 0) {
  Host::Options options;
  options.default_uuid = kMain;
  options.threshold = threshold;
  options.log_folder = dir.file("log");
  options.slice_size = slice_size;
  return options;
}

// Lines wait in memory for a moment; tests read what has been logged so far.
std::string main_log(const TempDir& dir) {
  LoggingService::flush();
  return read_text(dir.file("log/main-0000-000.log"));
}

// Every slice of the main log, in order.
std::string all_slices(const TempDir& dir, std::size_t* count = nullptr) {
  LoggingService::flush();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("log"))) {
    names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  if (count != nullptr) {
    *count = names.size();
  }
  std::string text;
  for (const std::string& name : names) {
    text += read_text(name);
  }
  return text;
}

std::string temp_file_of(const std::shared_ptr<ILogger>& logger) {
  for (const auto& handler : logger->get_handlers()) {
    if (auto file = std::dynamic_pointer_cast<Supports::Log::TempFileLogHandler>(handler)) {
      return file->get_file_name();
    }
  }
  return {};
}

// A connection logger as the connection sets it up, and its temporary file,
// removed at the end.
struct Connection {
  std::shared_ptr<ILogger> logger;
  std::string path;
  Connection(const char* uuid, const char* server, const char* name)
      : logger(LoggingService::get_manager()->open(uuid)), path(temp_file_of(logger)) {
    logger->initialize(server, name);
  }
  ~Connection() { std::filesystem::remove(path); }
  std::string text() const {
    LoggingService::flush();
    return read_text(path);
  }
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(start, text.size()) << "a line without its end";
  return lines;
}

TEST(LoggingService, ALineWithoutUuidGoesToTheMainLogOnlyAsSys) {
  TempDir dir;
  Host::Startup startup(options_for(dir));
  LoggingService::info(nullptr, "opened %s with %d%%", "a.db", 50);
  LoggingService::warning(kMain, "default uuid %s", "too");
  std::vector<std::string> lines = lines_of(main_log(dir));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{8} \d\d:\d\d:\d\d\.\d{3} \[SYS\]\[SYS\]\[PLAIN\] opened a\.db with 50%)")))
      << lines[0];
  EXPECT_TRUE(lines[1].ends_with("[SYS][SYS][RISKY] default uuid too"));
  EXPECT_EQ(LoggingService::get_manager()->get_main()->get_handlers().size(), 1u);
}

TEST(LoggingService, AConnectionLineGoesToItsTemporaryLogAndToTheMainLogUnderItsName) {
  TempDir dir;
  Host::Startup startup(options_for(dir));
  Connection connection("conn-1111", "local%s", "my %d db");
  LoggingService::message("conn-1111", "SQL: %s", "SELECT '%d'");
  LoggingService::debug("conn-1111", "dropped %d", 1);
  std::vector<std::string> own = lines_of(connection.text());
  ASSERT_EQ(own.size(), 1u);
  EXPECT_TRUE(std::regex_match(own[0], std::regex(R"(\d\d:\d\d:\d\d\.\d{3} SQL: SELECT '%d')"))) << own[0];
  EXPECT_EQ(connection.logger->recent(0), connection.text());
  std::vector<std::string> main = lines_of(main_log(dir));
  ASSERT_EQ(main.size(), 1u);
  EXPECT_TRUE(main[0].ends_with(" [local%s][my %d db][PLAIN] SQL: SELECT '%d'")) << main[0];
}

TEST(LoggingService, DebugLinesReachOnlyTheMainLogAndOnlyWhenItsThresholdAllows) {
  TempDir dir;
  {
    Host::Startup startup(options_for(dir));
    LoggingService::debug(nullptr, "quiet");
    EXPECT_EQ(main_log(dir), "");
  }
  TempDir verbose;
  Host::Startup startup(options_for(verbose, LogLevel::DEBUG));
  Connection connection("conn-2222", "srv", "name");
  LoggingService::debug("conn-2222", "detail %d", 7);
  EXPECT_TRUE(main_log(verbose).ends_with("[srv][name][DEBUG] detail 7\n"));
  EXPECT_EQ(connection.text(), "");
}

TEST(LoggingService, NothingIsWrittenAfterShutdownNorBeforeTheNextInitialize) {
  TempDir dir;
  {
    Host::Startup startup(options_for(dir));
    LoggingService::info(nullptr, "before");
  }
  LoggingService::info(nullptr, "after");
  LoggingService::info("conn-3333", "after");
  EXPECT_EQ(lines_of(main_log(dir)).size(), 1u);
  // The shut-down manager made no logger (and so no temporary file) for it.
  Host::Startup again(options_for(dir));
  auto manager = LoggingService::get_manager();
  auto main = manager->get_main();
  EXPECT_EQ(main->get_uuid(), kMain);
  LoggingService::info(nullptr, "again");
  std::vector<std::string> lines = lines_of(main_log(dir));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].ends_with(" again"));
}

TEST(LoggingService, ThreadsLoggingAtOnceLoseNoLineAndMixNone) {
  TempDir dir;
  constexpr std::int64_t kSlice = 8192;
  Host::Startup startup(options_for(dir, LogLevel::PLAIN, kSlice));
  Connection connection("conn-4444", "srv", "worker");
  constexpr int kThreads = 6;
  constexpr int kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) {
        // Odd threads log for the connection, even ones for the process; DEBUG
        // lines are filtered on the way; every 50th line is RISKY and written
        // at once from this thread while the flusher writes the others.
        const char* uuid = t % 2 != 0 ? "conn-4444" : nullptr;
        if (i % 50 == 49) {
          LoggingService::warning(uuid, "thread %d line %04d %s", t, i, "payload-with-some-length");
        } else {
          LoggingService::info(uuid, "thread %d line %04d %s", t, i, "payload-with-some-length");
        }
        LoggingService::debug("conn-4444", "filtered %d", i);
      }
    });
  }
  // A host asking for everything to be written meanwhile.
  std::atomic<bool> done{false};
  std::thread flushing([&done] {
    while (!done.load()) {
      LoggingService::flush();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  for (auto& thread : threads) {
    thread.join();
  }
  done.store(true);
  flushing.join();

  std::size_t slices = 0;
  std::vector<std::string> main = lines_of(all_slices(dir, &slices));
  EXPECT_GT(slices, 1u);
  for (const auto& entry : std::filesystem::directory_iterator(dir.file("log"))) {
    EXPECT_LE(std::filesystem::file_size(entry.path()), static_cast<std::uintmax_t>(kSlice));
  }
  std::regex shape(R"(\d{8} \d\d:\d\d:\d\d\.\d{3} \[(SYS|srv)\]\[(SYS|worker)\]\[(PLAIN|RISKY)\] thread (\d) line (\d{4}) payload-with-some-length)");
  std::map<int, int> next;  // per thread, lines arrive in order
  for (const std::string& line : main) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
    int thread = std::stoi(match[4]);
    EXPECT_EQ(match[1] == "srv", thread % 2 != 0) << line;
    EXPECT_EQ(std::stoi(match[5]), next[thread]++) << line;
    EXPECT_EQ(match[3] == "RISKY", next[thread] % 50 == 0) << line;
  }
  EXPECT_EQ(main.size(), static_cast<std::size_t>(kThreads * kLines));
  std::vector<std::string> own = lines_of(connection.text());
  EXPECT_EQ(own.size(), static_cast<std::size_t>(kThreads / 2 * kLines));
  const std::regex own_shape(R"(\d\d:\d\d:\d\d\.\d{3} thread [135] line \d{4} payload-with-some-length)");
  for (const std::string& line : own) {
    EXPECT_TRUE(std::regex_match(line, own_shape)) << line;
  }
}

// A handler a host writes against the seven operations alone: it never tells
// the facade which levels it takes and filters by its own threshold.
class HostHandler : public Contracts::Log::ILogHandler {
 public:
  void publish(LogLevel level, std::string_view, std::string_view, const char* format, va_list args) override {
    if (static_cast<int>(level) <= static_cast<int>(m_threshold)) {
      lines.push_back(Supports::Log::LogHandler::expand(format, args));
    }
  }
  std::string recent(int) override { return {}; }
  void close() override {}
  std::shared_ptr<Contracts::Log::IFormatter> get_formatter() const override { return nullptr; }
  void set_formatter(std::shared_ptr<Contracts::Log::IFormatter>) override {}
  LogLevel get_threshold() const override { return m_threshold; }
  void set_threshold(LogLevel threshold) override { m_threshold = threshold; }

  std::vector<std::string> lines;

 private:
  LogLevel m_threshold = LogLevel::PLAIN;
};

TEST(LoggingService, AHostHandlerThatNeverReportsItsLevelReceivesDebugLines) {
  TempDir dir;
  Host::Startup startup(options_for(dir));
  auto handler = std::make_shared<HostHandler>();
  handler->set_threshold(LogLevel::DEBUG);
  LoggingService::get_manager()->get_main()->append_handler(handler);
  LoggingService::debug(nullptr, "detail %d", 1);
  LoggingService::info(nullptr, "plain %s", "too");
  EXPECT_EQ(handler->lines, (std::vector<std::string>{"detail 1", "plain too"}));
  // The built-in handler beside it still keeps to its own threshold.
  EXPECT_EQ(main_log(dir).find("detail"), std::string::npos);
  EXPECT_NE(main_log(dir).find("[PLAIN] plain too"), std::string::npos);
}

TEST(LoggingService, StartingOpensNoLogFileAndTheFolderKeepsTheSlicesTheHostAsks) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("log"));
  for (int i = 0; i < 6; ++i) {
    char name[32];
    g_snprintf(name, sizeof name, "log/main-0000-%03d.log", i);
    Testing::write_text(dir.file(name), std::string(600, 'x'));
  }
  Host::Options options = options_for(dir, LogLevel::PLAIN, 512);
  options.max_slices = 3;
  Host::Startup startup(options);
  // The three newest are kept; the next line starts a slice of its own.
  std::size_t count = 0;
  all_slices(dir, &count);
  EXPECT_EQ(count, 3u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("log/main-0000-006.log")));
  for (int i = 0; i < 40; ++i) {
    LoggingService::info(nullptr, "line %02d of a slice that fills up soon", i);
  }
  std::string text = all_slices(dir, &count);
  EXPECT_EQ(count, 3u);
  EXPECT_TRUE(text.ends_with(" line 39 of a slice that fills up soon\n"));
}

TEST(HostStartup, RunsTheDefaultMainContextUntilTheConditionHolds) {
  bool done = false;
  Core::invoke_idle(nullptr, G_PRIORITY_DEFAULT, [&done] { done = true; });
  EXPECT_TRUE(Host::run_until([&done] { return done; }, 5000));
  EXPECT_FALSE(Host::run_until([] { return false; }, 10));
}

}  // namespace
}  // namespace Tolvane::Orvel::Foundation
