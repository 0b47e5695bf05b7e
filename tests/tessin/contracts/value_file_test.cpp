#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tessin/contracts/values.hpp"
#include "tessin/core/main_context.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Providers::Contracts {
namespace {

// Runs one asynchronous file operation to completion on the default main context.
template <class Start>
Core::Status run(Start start) {
  std::optional<Core::Status> outcome;
  start([&](Core::Status status) { outcome = std::move(status); });
  EXPECT_TRUE(Core::iterate_until([&] { return outcome.has_value(); }, 5000));
  return outcome.value_or(Core::fail("test", -1, "timed out"));
}

TEST(ValueFiles, LoadingAMissingFileSucceedsAndKeepsTheText) {
  Testing::TempDir dir;
  auto text = ValueString::create("kept");
  auto status = run([&](auto done) { text->load(dir.file("missing.txt"), done); });
  EXPECT_TRUE(status.has_value());
  EXPECT_EQ(text->get_itsvalue(), "kept");
}

TEST(ValueFiles, LoadEndsEveryLineWithALineFeed) {
  Testing::TempDir dir;
  Testing::write_text(dir.file("a.txt"), "a\nb");
  auto text = ValueXml::create("");
  ASSERT_TRUE(run([&](auto done) { text->load(dir.file("a.txt"), done); }).has_value());
  EXPECT_EQ(text->get_itsvalue(), "a\nb\n");

  Testing::write_text(dir.file("b.txt"), "x\r\n\n");
  ASSERT_TRUE(run([&](auto done) { text->load(dir.file("b.txt"), done); }).has_value());
  EXPECT_EQ(text->get_itsvalue(), "x\r\n\n");
}

TEST(ValueFiles, ReadErrorsReachTheCallbackAndLeaveTheValue) {
  Testing::TempDir dir;
  auto text = ValueString::create("kept");
  // A folder exists but cannot be read as a file.
  auto status = run([&](auto done) { text->load(dir.path(), done); });
  ASSERT_FALSE(status.has_value());
  EXPECT_EQ(status.error().domain, Core::Error::gio_domain());
  EXPECT_EQ(text->get_itsvalue(), "kept");
}

TEST(ValueFiles, SaveAndLoadRoundTripTextAndBytes) {
  Testing::TempDir dir;
  std::string big(5000, 'q');
  auto text = ValueString::create(big + "\n");
  ASSERT_TRUE(run([&](auto done) { text->save(dir.file("t.txt"), done); }).has_value());
  EXPECT_EQ(Testing::read_text(dir.file("t.txt")), big + "\n");

  std::vector<std::uint8_t> bytes(3000);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 7);
  }
  auto blob = ValueBlob::create(bytes.data(), bytes.size());
  ASSERT_TRUE(run([&](auto done) { blob->save(dir.file("b.bin"), done); }).has_value());
  auto loaded = ValueBlob::create();
  ASSERT_TRUE(run([&](auto done) { loaded->load(dir.file("b.bin"), done); }).has_value());
  EXPECT_EQ(loaded->to_bytes(), bytes);
}

TEST(ValueFiles, SavingIntoAMissingFolderFailsWithoutAFile) {
  Testing::TempDir dir;
  auto text = ValueString::create("x");
  auto status = run([&](auto done) { text->save(dir.file("no/such/folder.txt"), done); });
  ASSERT_FALSE(status.has_value());
  EXPECT_FALSE(g_file_test(dir.file("no/such/folder.txt").c_str(), G_FILE_TEST_EXISTS));
}

TEST(ValueFiles, CallbackRunsInTheCallersThreadDefaultContext) {
  Testing::TempDir dir;
  GMainContext* mine = g_main_context_new();
  g_main_context_push_thread_default(mine);
  auto text = ValueString::create("x");
  bool done = false;
  text->save(dir.file("c.txt"), [&](Core::Status status) {
    EXPECT_TRUE(status.has_value());
    EXPECT_EQ(g_main_context_get_thread_default(), mine);
    done = true;
  });
  EXPECT_TRUE(Core::iterate_until([&] { return done; }, 5000, mine));
  g_main_context_pop_thread_default(mine);
  g_main_context_unref(mine);
}

TEST(ValueFiles, WriteCopiesAllBytesToAStream) {
  const std::uint8_t bytes[] = {0, 1, 2, 255};
  GOutputStream* memory = g_memory_output_stream_new_resizable();
  ASSERT_TRUE(ValueBinary::create(bytes, 4)->write(memory).has_value());
  EXPECT_EQ(g_memory_output_stream_get_data_size(G_MEMORY_OUTPUT_STREAM(memory)), 4u);
  g_object_unref(memory);
}

}  // namespace
}  // namespace Tolvane::Providers::Contracts
