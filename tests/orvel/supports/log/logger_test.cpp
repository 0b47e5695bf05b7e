#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "orvel/supports/log/delegate_handler.hpp"
#include "orvel/supports/log/glib_log_handler.hpp"
#include "orvel/supports/log/log_manager.hpp"
#include "orvel/supports/log/logger.hpp"
#include "orvel/supports/log/slice_file_log_handler.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tests/orvel/supports/log/log_calls.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Orvel::Supports::Log {
namespace {

using Testing::Call;
using Testing::GLibLogCapture;
using Testing::log;
using Testing::publish;
using Testing::read_text;
using Testing::TempDir;

// Removes the temporary file a handler made; the library leaves them.
struct TempFileGuard {
  std::vector<std::string> paths;
  ~TempFileGuard() {
    for (const std::string& path : paths) {
      std::filesystem::remove(path);
    }
  }
};

std::string temp_file_of(const ILogger& logger) {
  for (const auto& handler : logger.get_handlers()) {
    if (auto file = std::dynamic_pointer_cast<TempFileLogHandler>(handler)) {
      return file->get_file_name();
    }
  }
  return {};
}

struct Seen {
  LogLevel level;
  std::string message;
};

DelegateHandlerPtr recorder(std::vector<Seen>& seen) {
  return DelegateHandler::create(
      [&seen](LogLevel level, const std::string& message, const Core::ObjectPtr&) { seen.push_back({level, message}); },
      Logger::create("user"));
}

TEST(TempFileLogHandler, KeepsAPrivateFileWhoseWholeContentIsRecent) {
  TempFileGuard guard;
  auto handler = TempFileLogHandler::create();
  handler->initialize("conn%s");
  guard.paths.push_back(handler->get_file_name());
  ASSERT_FALSE(handler->get_file_name().empty());
  EXPECT_TRUE(std::filesystem::path(handler->get_file_name()).filename().string().starts_with("conn%s-"));
  struct stat info {};
  ASSERT_EQ(::stat(handler->get_file_name().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  EXPECT_EQ(handler->recent(0), "");
  publish(*handler, LogLevel::PLAIN, "srv", "name", "one %s", "%d");
  publish(*handler, LogLevel::DEBUG, "srv", "name", "hidden");
  std::string first = handler->recent(0);
  EXPECT_TRUE(first.ends_with(" one %d\n")) << first;
  // Reading does not move the writing position.
  publish(*handler, LogLevel::RISKY, "srv", "name", "two");
  std::string both = handler->recent(0);
  EXPECT_TRUE(both.starts_with(first));
  EXPECT_TRUE(both.ends_with(" two\n"));
  EXPECT_EQ(read_text(handler->get_file_name()), both);
  handler->close();
  EXPECT_EQ(handler->recent(0), "");
}

TEST(TempFileLogHandler, ANameThatCannotMakeAFileIsReported) {
  GLibLogCapture captured;
  auto handler = TempFileLogHandler::create();
  handler->initialize("no/slash");
  EXPECT_TRUE(captured.contains(G_LOG_LEVEL_WARNING, "handler_file_temp:27: Failed to open file: "));
  publish(*handler, LogLevel::RISKY, "s", "n", "dropped");
  EXPECT_EQ(handler->recent(0), "");
}

TEST(Logger, MapsOperationsToLevelsAndPublishesToEveryHandler) {
  std::vector<Seen> seen;
  auto logger = Logger::create("uuid");
  auto handler = recorder(seen);
  handler->set_threshold(LogLevel::DEBUG);
  logger->append_handler(handler);
  logger->append_handler(handler);  // a set: not twice
  EXPECT_EQ(logger->get_handlers().size(), 1u);
  log(*logger, Call::Error, "s", "n", "e%d", 1);
  log(*logger, Call::Critical, "s", "n", "c");
  log(*logger, Call::Warning, "s", "n", "w");
  log(*logger, Call::Message, "s", "n", "m");
  log(*logger, Call::Info, "s", "n", "i");
  log(*logger, Call::Debug, "s", "n", "d");
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].message, "e1");
  std::vector<LogLevel> levels;
  for (const Seen& line : seen) {
    levels.push_back(line.level);
  }
  EXPECT_EQ(levels, (std::vector<LogLevel>{LogLevel::RISKY, LogLevel::RISKY, LogLevel::RISKY, LogLevel::PLAIN,
                                           LogLevel::PLAIN, LogLevel::DEBUG}));

  GLibLogCapture captured;
  log(*logger, Call::Info, nullptr, "n", "x");
  log(*logger, Call::Info, "s", nullptr, "x");
  EXPECT_TRUE(captured.has_critical("t_server != NULL"));
  EXPECT_TRUE(captured.has_critical("t_name != NULL"));
  EXPECT_EQ(seen.size(), 6u);
}

TEST(Logger, RecentComesFromTheFirstTemporaryFileHandler) {
  TempFileGuard guard;
  std::vector<Seen> seen;
  auto logger = Logger::create("uuid");
  logger->append_handler(recorder(seen));
  EXPECT_EQ(logger->recent(0), "");
  auto file = TempFileLogHandler::create();
  file->initialize("logger-test");
  guard.paths.push_back(file->get_file_name());
  logger->append_handler(file);
  log(*logger, Call::Message, "s", "n", "kept");
  EXPECT_TRUE(logger->recent(0).ends_with(" kept\n"));

  // Removing without closing leaves the handler usable; close closes it.
  logger->remove_handler_all();
  EXPECT_TRUE(logger->get_handlers().empty());
  EXPECT_TRUE(file->recent(0).ends_with(" kept\n"));
  logger->append_handler(file);
  logger->close();
  EXPECT_TRUE(logger->get_handlers().empty());
  EXPECT_EQ(file->recent(0), "");
}

TEST(Logger, AHandlerCallbackMayLogAgainOnTheSameThread) {
  auto logger = Logger::create("uuid");
  std::vector<std::string> lines;
  auto handler = DelegateHandler::create(
      [&](LogLevel, const std::string& message, const Core::ObjectPtr&) {
        lines.push_back(message);
        if (lines.size() == 1) {
          log(*logger, Call::Info, "s", "n", "echo of %s", message.c_str());
        }
      },
      Logger::create("user"));
  logger->append_handler(handler);
  log(*logger, Call::Info, "s", "n", "first");
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "echo of first"}));
}

TEST(DelegateHandler, NeedsAUserObjectAndStopsAfterClose) {
  GLibLogCapture captured;
  EXPECT_EQ(DelegateHandler::create([](LogLevel, const std::string&, const Core::ObjectPtr&) {}, nullptr), nullptr);
  EXPECT_TRUE(captured.has_critical("user_object != NULL"));

  std::vector<Seen> seen;
  auto handler = recorder(seen);
  publish(*handler, LogLevel::DEBUG, "s", "n", "filtered");
  publish(*handler, LogLevel::PLAIN, "s", "n", "%s %d", "a", 2);
  handler->close();
  publish(*handler, LogLevel::PLAIN, "s", "n", "after close");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, "a 2");
}

TEST(GLibLogHandler, PassesEveryLevelToGLibsLog) {
  GLibLogCapture captured;
  auto handler = GLibLogHandler::create();
  publish(*handler, LogLevel::RISKY, "s", "n", "bad %d", 1);
  publish(*handler, LogLevel::PLAIN, "s", "n", "plain");
  publish(*handler, LogLevel::DEBUG, "s", "n", "detail");
  EXPECT_TRUE(captured.contains(G_LOG_LEVEL_WARNING, "handler_console:23: bad 1"));
  EXPECT_TRUE(captured.contains(G_LOG_LEVEL_MESSAGE, "handler_console:26: plain"));
  EXPECT_TRUE(captured.contains(G_LOG_LEVEL_DEBUG, "handler_console:29: detail"));
  EXPECT_TRUE(Contracts::Log::ILogHandler::some_handler_accepts(LogLevel::DEBUG));
}

TEST(LogManager, MakesTheMainLoggerWithSlicesAndOneTemporaryLogPerUuid) {
  TempDir dir;
  TempFileGuard guard;
  auto manager = LogManager::create();
  std::string folder = dir.file("logs");
  manager->initialize("main-uuid", LogLevel::DEBUG, folder.c_str(), 0);
  struct stat info {};
  ASSERT_EQ(::stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  auto main = manager->get_main();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->get_uuid(), "main-uuid");
  EXPECT_EQ(main->get_server(), "SYS");
  EXPECT_EQ(main->get_name(), "SYS");
  ASSERT_EQ(main->get_handlers().size(), 1u);
  auto slices = std::dynamic_pointer_cast<SliceFileLogHandler>(main->get_handlers()[0]);
  ASSERT_NE(slices, nullptr);
  EXPECT_EQ(slices->get_threshold(), LogLevel::DEBUG);
  EXPECT_EQ(slices->get_file_name(), folder + "/main-uuid-000.log");
  EXPECT_EQ(manager->open("main-uuid"), main);

  auto connection = manager->open("conn-uuid");
  guard.paths.push_back(temp_file_of(*connection));
  EXPECT_EQ(manager->open("conn-uuid"), connection);
  EXPECT_EQ(connection->get_uuid(), "conn-uuid");
  ASSERT_EQ(connection->get_handlers().size(), 1u);
  EXPECT_EQ(connection->get_handlers()[0]->get_threshold(), LogLevel::PLAIN);

  manager->close("conn-uuid");
  EXPECT_TRUE(connection->get_handlers().empty());
  auto reopened = manager->open("conn-uuid");
  guard.paths.push_back(temp_file_of(*reopened));
  EXPECT_NE(reopened, connection);

  manager->shutdown();
  EXPECT_TRUE(main->get_handlers().empty());
  EXPECT_TRUE(reopened->get_handlers().empty());
}

TEST(LogManager, WithoutAUsableFolderTheMainLoggerHasNoFileHandler) {
  TempDir dir;
  GLibLogCapture captured;
  auto manager = LogManager::create();
  manager->initialize("main-uuid", LogLevel::PLAIN, dir.file("a/b").c_str(), 0);
  EXPECT_TRUE(captured.contains(G_LOG_LEVEL_WARNING, "manager:52: *** Failed creating FileHandler: "));
  ASSERT_NE(manager->get_main(), nullptr);
  EXPECT_TRUE(manager->get_main()->get_handlers().empty());

  manager->initialize(nullptr, LogLevel::PLAIN, dir.path().c_str(), 0);
  manager->initialize("x", LogLevel::PLAIN, nullptr, 0);
  EXPECT_EQ(manager->open(nullptr), nullptr);
  EXPECT_TRUE(captured.has_critical("uuid_default != NULL"));
  EXPECT_TRUE(captured.has_critical("log_file_dir != NULL"));
  EXPECT_TRUE(captured.has_critical("uuid != NULL"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Log
