#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "orvel/supports/log/formatters.hpp"
#include "orvel/supports/log/slice_file_log_handler.hpp"
#include "tests/orvel/supports/log/log_calls.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Orvel::Supports::Log {
namespace {

using Testing::publish;
using Testing::read_text;
using Testing::TempDir;
using Testing::write_text;

constexpr const char* kName = "0b6c6f7e-5a1d-4c8e-9f00-1a2b3c4d5e6f";

std::string slice(const TempDir& dir, int index) {
  char name[16];
  g_snprintf(name, sizeof name, "-%03d.log", index);
  return dir.file(std::string(kName) + name);
}

std::vector<std::string> slice_names(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SliceFileLogHandler, AppendsToTheLastExistingSliceWhileItIsNotOverTheMaximum) {
  TempDir dir;
  for (int i = 0; i < 5; ++i) {
    write_text(slice(dir, i), "old\n");
  }
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100));
  EXPECT_EQ(handler->get_file_name(), slice(dir, 4));
  publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "new %d", 1);
  handler->flush_pending();
  EXPECT_TRUE(read_text(slice(dir, 4)).starts_with("old\n"));
  EXPECT_TRUE(read_text(slice(dir, 4)).ends_with("[SYS][SYS][PLAIN] new 1\n"));
}

TEST(SliceFileLogHandler, StartsTheNextSliceWhenTheLastIsOverTheMaximum) {
  TempDir dir;
  for (int i = 0; i < 5; ++i) {
    write_text(slice(dir, i), std::string(i == 4 ? 101 : 10, 'x'));
  }
  // Names that only resemble slices do not count.
  write_text(dir.file(std::string(kName) + "-009.log.bak"), "");
  write_text(dir.file(std::string("x") + kName + "-012.log"), "");
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100));
  EXPECT_EQ(handler->get_file_name(), slice(dir, 5));
  publish(*handler, LogLevel::RISKY, "SYS", "SYS", "first");
  EXPECT_TRUE(read_text(slice(dir, 5)).ends_with("[RISKY] first\n"));
  struct stat info {};
  ASSERT_EQ(::stat(slice(dir, 5).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SliceFileLogHandler, StartsFromTheHighestNumberEvenAfterAGap) {
  TempDir dir;
  write_text(slice(dir, 3), "three\n");
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 0));
  EXPECT_EQ(handler->get_file_name(), slice(dir, 3));
}

TEST(SliceFileLogHandler, RotatesBySizeSoNoSliceGrowsPastTheMaximum) {
  TempDir dir;
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100));
  // "hh:mm:ss.mmm " + 20 bytes + "\n": 34 bytes, so two lines fit in 100 and three do not.
  handler->set_formatter(SimpleFormatter::create());
  for (int i = 0; i < 10; ++i) {
    publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "line %02d ............", i);
  }
  handler->flush_pending();
  EXPECT_EQ(slice_names(dir).size(), 5u);
  std::string all;
  for (int i = 0; i < 5; ++i) {
    std::string content = read_text(slice(dir, i));
    EXPECT_EQ(content.size(), 68u);
    all += content;
  }
  for (int i = 0; i < 10; ++i) {
    char expected[32];
    g_snprintf(expected, sizeof expected, " line %02d ............\n", i);
    EXPECT_NE(all.find(expected), std::string::npos) << expected;
  }
  // A line larger than the maximum still gets written, in a slice of its own.
  publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "%s", std::string(150, 'y').c_str());
  EXPECT_EQ(handler->get_file_name(), slice(dir, 5));
  publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "after");
  EXPECT_EQ(handler->get_file_name(), slice(dir, 6));
}

TEST(SliceFileLogHandler, MaximumZeroNeverRotates) {
  TempDir dir;
  write_text(slice(dir, 0), std::string(5000, 'x'));
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 0));
  for (int i = 0; i < 200; ++i) {
    publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "line %d", i);
  }
  handler->flush_pending();
  EXPECT_EQ(slice_names(dir), std::vector<std::string>{std::string(kName) + "-000.log"});
  EXPECT_TRUE(read_text(slice(dir, 0)).ends_with("[PLAIN] line 199\n"));
}

TEST(SliceFileLogHandler, DropsLinesAboveTheThreshold) {
  TempDir dir;
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 0));
  EXPECT_EQ(handler->get_threshold(), LogLevel::PLAIN);
  publish(*handler, LogLevel::DEBUG, "SYS", "SYS", "hidden");
  publish(*handler, LogLevel::RISKY, "SYS", "SYS", "shown");
  handler->set_threshold(LogLevel::DEBUG);
  publish(*handler, LogLevel::DEBUG, "SYS", "SYS", "detail");
  handler->set_threshold(LogLevel::RISKY);
  publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "plain");
  handler->flush_pending();
  std::string content = read_text(slice(dir, 0));
  EXPECT_EQ(content.find("hidden"), std::string::npos);
  EXPECT_EQ(content.find("plain"), std::string::npos);
  EXPECT_NE(content.find("[RISKY] shown"), std::string::npos);
  EXPECT_NE(content.find("[DEBUG] detail"), std::string::npos);
}

TEST(SliceFileLogHandler, OpensNoFileBeforeTheFirstLine) {
  TempDir dir;
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100));
  EXPECT_EQ(handler->get_file_name(), slice(dir, 0));
  EXPECT_TRUE(slice_names(dir).empty());
  publish(*handler, LogLevel::DEBUG, "SYS", "SYS", "filtered");
  EXPECT_TRUE(slice_names(dir).empty());
  publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "first");
  EXPECT_EQ(slice_names(dir), std::vector<std::string>{std::string(kName) + "-000.log"});
}

TEST(SliceFileLogHandler, KeepsOnlyTheNewestSlicesAndRemovesNothingElse) {
  TempDir dir;
  for (int i = 0; i < 25; ++i) {
    write_text(slice(dir, i), "old\n");
  }
  // Names the handler does not write itself stay, whatever they resemble.
  const std::vector<std::string> others = {std::string(kName) + "-7.log", std::string(kName) + "-0001.log",
                                           std::string(kName) + "-003.log.bak", std::string("x") + kName + "-001.log",
                                           "other-000.log", std::string(kName) + "-002.txt"};
  for (const std::string& name : others) {
    write_text(dir.file(name), "");
  }
  auto expected = [&](int from, int to) {
    std::vector<std::string> names = others;
    for (int i = from; i <= to; ++i) {
      names.push_back(std::filesystem::path(slice(dir, i)).filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };

  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100, 20));
  EXPECT_EQ(handler->get_max_slices(), 20);
  EXPECT_EQ(slice_names(dir), expected(5, 24));

  // Each new slice takes the place of the oldest.
  handler->set_formatter(SimpleFormatter::create());
  for (int i = 0; i < 6; ++i) {
    publish(*handler, LogLevel::PLAIN, "SYS", "SYS", "line %02d ............", i);
  }
  handler->flush_pending();
  EXPECT_EQ(handler->get_file_name(), slice(dir, 26));
  EXPECT_EQ(slice_names(dir), expected(7, 26));
  EXPECT_TRUE(read_text(slice(dir, 24)).starts_with("old\n"));
}

TEST(SliceFileLogHandler, ZeroKeepsEverySlice) {
  TempDir dir;
  for (int i = 0; i < 30; ++i) {
    write_text(slice(dir, i), std::string(200, 'x'));
  }
  auto handler = SliceFileLogHandler::create();
  ASSERT_TRUE(handler->initialize(kName, dir.path().c_str(), 100, 0));
  publish(*handler, LogLevel::RISKY, "SYS", "SYS", "new slice");
  EXPECT_EQ(handler->get_file_name(), slice(dir, 30));
  EXPECT_EQ(slice_names(dir).size(), 31u);
}

TEST(SliceFileLogHandler, FailuresStayWithTheHandler) {
  TempDir dir;
  auto handler = SliceFileLogHandler::create();
  EXPECT_FALSE(handler->initialize(kName, dir.file("missing").c_str(), 0));
  publish(*handler, LogLevel::RISKY, "SYS", "SYS", "goes nowhere");

  // The folder disappears under an open handler: the line is reported and dropped.
  TempDir gone;
  auto orphan = SliceFileLogHandler::create();
  ASSERT_TRUE(orphan->initialize(kName, gone.path().c_str(), 10));
  publish(*orphan, LogLevel::RISKY, "SYS", "SYS", "fills the slice");
  std::filesystem::remove_all(gone.path());
  Testing::GLibLogCapture log;
  publish(*orphan, LogLevel::RISKY, "SYS", "SYS", "cannot rotate");
  EXPECT_TRUE(log.has_critical("handler_file_slice:76: Error in FileHandler.publish: "));
  orphan->close();
  publish(*orphan, LogLevel::RISKY, "SYS", "SYS", "after close");
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Log
