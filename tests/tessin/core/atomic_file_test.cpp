#include "tessin/core/atomic_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_dir.hpp"

namespace Tolvane::Core {
namespace {

using Testing::read_text;
using Testing::TempDir;
using Testing::write_text;

std::size_t entries_in(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
    ++count;
  }
  return count;
}

TEST(AtomicFile, ReplacesTheTargetOnlyOnCommit) {
  TempDir dir;
  const std::string path = dir.file("out.csv");
  write_text(path, "old content");
  auto file = AtomicFile::open(path);
  ASSERT_TRUE(file.has_value()) << file.error().message;
  std::string big(200 * 1024, 'x');  // more than one buffer
  ASSERT_TRUE((*file)->write("new ").has_value());
  ASSERT_TRUE((*file)->write(big).has_value());
  EXPECT_EQ(read_text(path), "old content");
  ASSERT_TRUE((*file)->commit().has_value());
  EXPECT_EQ(read_text(path), "new " + big);
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(AtomicFile, LeavesTheOldFileAndNoTemporaryWhenDiscarded) {
  TempDir dir;
  const std::string path = dir.file("keep.txt");
  write_text(path, "precious");
  {
    auto file = AtomicFile::open(path);
    ASSERT_TRUE(file.has_value());
    ASSERT_TRUE((*file)->write(std::string(100000, 'y')).has_value());
  }
  EXPECT_EQ(read_text(path), "precious");
  EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(AtomicFile, NamesTheFileWhenItsFolderIsMissing) {
  TempDir dir;
  const std::string path = dir.file("sub/out.txt");
  auto missing = AtomicFile::open(path);
  ASSERT_FALSE(missing.has_value());
  EXPECT_NE(missing.error().message.find("out.txt"), std::string::npos) << missing.error().message;
}

TEST(AtomicFile, KeepsTheTargetsPermissionsNeverWidened) {
  TempDir dir;
  const std::string path = dir.file("secret.json");
  write_text(path, "{}");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(write_file_atomically(path, "{\"a\":1}").has_value());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(read_text(path), "{\"a\":1}");

  const std::string fresh = dir.file("fresh.pem");
  ASSERT_TRUE(write_file_atomically(fresh, "key", 0600).has_value());
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace Tolvane::Core
