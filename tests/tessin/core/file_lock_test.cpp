#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "tessin/core/atomic_file.hpp"
#include "tessin/core/file_lock.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Core {
namespace {

using Testing::read_text;
using Testing::TempDir;

// Increments the number in `file` `times` times, each a read-modify-write
// under the file's lock, in a child process; returns its pid.
pid_t start_counter(const std::string& file, int times) {
  const pid_t child = ::fork();
  if (child == 0) {
    for (int i = 0; i < times; ++i) {
      auto lock = FileLock::acquire(file);
      if (!lock) {
        ::_exit(2);
      }
      const int value = std::stoi("0" + read_text(file));
      if (!write_file_atomically(file, std::to_string(value + 1), 0600)) {
        ::_exit(3);
      }
    }
    ::_exit(0);
  }
  return child;
}

TEST(FileLock, ProcessesThatUpdateOneFileUnderTheLockLoseNoUpdate) {
  TempDir dir;
  const std::string file = dir.file("counter");
  constexpr int kProcesses = 4;
  constexpr int kTimes = 40;
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    children.push_back(start_counter(file, kTimes));
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(read_text(file), std::to_string(kProcesses * kTimes));
}

TEST(FileLock, IsHeldUntilItGoesAndNeedsAFolder) {
  TempDir dir;
  const std::string file = dir.file("settings.json");
  {
    auto held = FileLock::acquire(file);
    ASSERT_TRUE(held.has_value()) << held.error().message;
    EXPECT_FALSE(FileLock::try_acquire(file).has_value()) << "busy while held";
    FileLock moved = std::move(*held);
    EXPECT_FALSE(FileLock::try_acquire(file).has_value()) << "a moved lock is still held";
  }
  EXPECT_TRUE(FileLock::try_acquire(file).has_value());
  EXPECT_TRUE(g_file_test(FileLock::lock_path(file).c_str(), G_FILE_TEST_EXISTS)) << "the lock file stays";

  auto missing = FileLock::acquire(dir.file("no/folder/settings.json"));
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().domain, Error::gio_domain());
  EXPECT_NE(missing.error().message.find("no/folder/settings.json.lock"), std::string::npos);
}

}  // namespace
}  // namespace Tolvane::Core
