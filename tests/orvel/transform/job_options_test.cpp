#include "orvel/transform/job_options.hpp"

#include <gtest/gtest.h>

#include <thread>

#include "orvel/contracts/thread/progress.hpp"

namespace Tolvane::Orvel::Transform {
namespace {

TEST(JobOptions, ReadsTheThreeWordKeysWithTheirDefaults) {
  JobOptions options(Options{{"OPTION|SOURCE|DATABASE", "main"},
                      {"OPTION|TARGET|SCHEMA", "aux"},
                      {"OPTION|table|orders", "ignored"},
                      {"table|orders|BATCH", "500"}});
  EXPECT_EQ(options.side_database("SOURCE"), "main");
  EXPECT_EQ(options.side_schema("SOURCE"), "");
  EXPECT_EQ(options.side_schema("TARGET"), "aux");
  EXPECT_TRUE(options.selected("table", "orders"));
  EXPECT_FALSE(options.selected("table", "Orders"));
  EXPECT_FALSE(options.selected("view", "orders"));
  EXPECT_EQ(options.get("table", "orders", "BATCH", "1000"), "500");
  EXPECT_EQ(options.get("table", "items", "BATCH", "1000"), "1000");
  EXPECT_FALSE(options.continue_on_failure());
  EXPECT_FALSE(options.drop_objects());
}

TEST(JobOptions, ContinuesOnlyForExactlyTrue) {
  EXPECT_TRUE(JobOptions(Options{{"OPTION|RESULT|CONTINUE", "true"}}).continue_on_failure());
  EXPECT_FALSE(JobOptions(Options{{"OPTION|RESULT|CONTINUE", "TRUE"}}).continue_on_failure());
  EXPECT_FALSE(JobOptions(Options{{"OPTION|RESULT|CONTINUE", "1"}}).continue_on_failure());
  EXPECT_TRUE(JobOptions(Options{{"OPTION|RESULT|DROP_OBJECT", "true"}}).drop_objects());
}

TEST(Progress, CountsStepsAndQueuesStampedLinesInOrder) {
  Contracts::Thread::Progress progress;
  progress.report_success(std::chrono::microseconds(5));
  progress.report_success(std::chrono::microseconds(7), "Load meta data......[done]");
  progress.report_failure(std::chrono::microseconds(9), "line with its own stamp");
  progress.queue("uncounted");
  auto state = progress.snapshot();
  EXPECT_EQ(state.processed, 3);
  EXPECT_EQ(state.failed, 1);
  EXPECT_EQ(state.elapsed.count(), 9);
  EXPECT_FALSE(state.finished);
  auto lines = progress.take_messages();
  ASSERT_EQ(lines.size(), 3u);
  // "YYYY-MM-DD HH:MM:SS.mmm text"
  ASSERT_GT(lines[0].size(), 24u);
  EXPECT_EQ(lines[0][4], '-');
  EXPECT_EQ(lines[0][19], '.');
  EXPECT_EQ(lines[0].substr(23), " Load meta data......[done]");
  EXPECT_EQ(lines[1], "line with its own stamp");
  EXPECT_EQ(lines[2], "uncounted");
  EXPECT_TRUE(progress.take_messages().empty());
}

TEST(Progress, APollerOnAnotherThreadSeesCountsWithTheirLines) {
  Contracts::Thread::Progress progress;
  std::thread job([&] {
    for (int i = 0; i < 2000; ++i) progress.report_success(std::chrono::microseconds(i), "step");
    progress.set_finished(true);
  });
  size_t seen = 0;
  while (!progress.finished() || seen < 2000) {
    seen += progress.take_messages().size();
    EXPECT_LE(static_cast<int64_t>(seen), progress.processed());
  }
  job.join();
  EXPECT_EQ(seen, 2000u);
}

}  // namespace
}  // namespace Tolvane::Orvel::Transform
