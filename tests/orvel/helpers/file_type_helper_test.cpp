#include <gtest/gtest.h>

#include <thread>

#include "orvel/helpers/database_helper.hpp"
#include "orvel/helpers/encoding_helper.hpp"
#include "orvel/helpers/file_type_helper.hpp"
#include "tessin/contracts/value_binary.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Orvel::Helpers {
namespace {

std::string guess(const FileTypeHelper& helper, std::string_view bytes) {
  return helper.guess_file_type(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(FileTypeHelper, MatchesSignaturesThatEndBeforeTheData) {
  auto helper = FileTypeHelper::from_json(R"({"x": {"mime": "a/x", "signs": ["0,41424344"]},
                                             "y": {"mime": "a/y", "signs": ["2,4344", "0,6162"]},
                                             "z": "not an object"})");
  ASSERT_EQ(helper.records().size(), 2u);
  EXPECT_EQ(guess(helper, "ABCD"), "unknown/unknown");  // the end must be less than the length
  EXPECT_EQ(guess(helper, "ABCDE"), "a/x");
  EXPECT_EQ(guess(helper, "..CD."), "a/y");
  EXPECT_EQ(guess(helper, "abc"), "a/y");
  EXPECT_EQ(guess(helper, ""), "unknown/unknown");
}

TEST(FileTypeHelper, LeavesOutSignaturesThatCouldReadOutsideTheData) {
  Tolvane::Testing::GLibLogCapture log;
  auto helper = FileTypeHelper::from_json(R"({"bad": {"mime": "bad/bad",
      "signs": ["-1,41", "18446744073709551615,41", "99999999999,41", "0,414", "0,4G", "0,", ",41", "x,41",
                "0,4142zz", "0,6162", "0,6e6f"]},
      "good": {"mime": "good/good", "signs": ["1,42"]}})");
  ASSERT_EQ(helper.records().size(), 2u);
  EXPECT_EQ(guess(helper, "ABC"), "good/good");
  EXPECT_EQ(guess(helper, "abc"), "bad/bad");
  EXPECT_EQ(guess(helper, "noX"), "unknown/unknown");  // lower-case hex never matches
  EXPECT_TRUE(log.contains(G_LOG_LEVEL_WARNING, "ignored file type signature -1,41"));

  Tolvane::Testing::GLibLogCapture empty_log;
  EXPECT_EQ(guess(FileTypeHelper::from_json("{}"), "ABCDEF"), "unknown/unknown");
  EXPECT_TRUE(empty_log.contains(G_LOG_LEVEL_WARNING, "Root object is empty object"));
  EXPECT_EQ(guess(FileTypeHelper::from_json("[1]"), "ABCDEF"), "unknown/unknown");
  EXPECT_TRUE(empty_log.contains(G_LOG_LEVEL_WARNING, "Failed to load and get file type json root object."));
}

TEST(FileTypeHelper, ReadsTheTableTheHostRegistered) {
  Tolvane::Testing::TempDir dir;
  Host::Options options;
  options.log_folder = dir.file("log");
  Host::Startup host(options);
  // Asked for from several threads at once, the table is loaded once.
  std::vector<std::thread> threads;
  std::vector<const FileTypeHelper*> seen(4);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &FileTypeHelper::get_singleton(); });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  for (const auto* helper : seen) {
    EXPECT_EQ(helper, seen[0]);
  }
  const FileTypeHelper& helper = FileTypeHelper::get_singleton();
  EXPECT_GT(helper.records().size(), 20u);
  EXPECT_EQ(guess(helper, std::string_view("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), "image/png");
  EXPECT_EQ(guess(helper, std::string("SQLite format 3\0\x10\0", 19)), "application/vnd.sqlite3");
  EXPECT_EQ(guess(helper, "%PDF-1.7\n"), "application/pdf");
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13};
  auto cell = Providers::Contracts::ValueBinary::create(png, sizeof png);
  EXPECT_EQ(DatabaseHelper::summary(cell.get(), ""), "image/png(12 Byte)");
}

TEST(EncodingHelper, DetectsBuffersAndFileStarts) {
  auto& helper = EncodingHelper::get_singleton();
  EXPECT_EQ(&helper, &EncodingHelper::get_singleton());
  EXPECT_EQ(helper.detect_file("/etc/hostname"), "");

  std::string japanese;
  for (int i = 0; i < 20; ++i) {
    japanese += "東京都の天気は晴れです。日本語のテキストを判定します。\n";
  }
  gsize length = 0;
  Core::GCharPtr sjis(g_convert(japanese.c_str(), -1, "SHIFT_JIS", "UTF-8", nullptr, &length, nullptr));
  ASSERT_NE(sjis, nullptr);
  EXPECT_EQ(helper.detect_buffer(sjis.get(), length), "SHIFT_JIS");

  // Calls from several threads share the one detector without mixing buffers.
  std::vector<std::thread> threads;
  std::vector<std::string> results(4);
  for (std::size_t i = 0; i < results.size(); ++i) {
    threads.emplace_back([&, i] { results[i] = helper.detect_buffer(sjis.get(), length); });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  for (const auto& result : results) {
    EXPECT_EQ(result, "SHIFT_JIS");
  }

  Tolvane::Testing::TempDir dir;
  const auto file_with = [&](const std::string& name, const std::string& bytes) {
    Tolvane::Testing::write_text(dir.file(name), bytes);
    std::string error;
    return helper.detect_file_start(dir.file(name), 65536, &error);
  };
  EXPECT_EQ(file_with("le.csv", std::string("\xFF\xFE" "a\0,\0b\0", 8)), "UTF-16LE");
  EXPECT_EQ(file_with("be.csv", std::string("\xFE\xFF\0a\0,\0b", 8)), "UTF-16BE");
  EXPECT_EQ(file_with("bom.csv", "\xEF\xBB\xBF" "a,b\n"), "UTF-8");
  EXPECT_EQ(file_with("plain.csv", "a,b\n1,2\n"), "UTF-8");
  EXPECT_EQ(file_with("utf8.csv", japanese), "UTF-8");
  EXPECT_EQ(file_with("sjis.csv", std::string(sjis.get(), length)), "SHIFT_JIS");
  std::string error;
  EXPECT_EQ(helper.detect_file_start(dir.file("missing.csv"), 100, &error), "");
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace Tolvane::Orvel::Helpers
