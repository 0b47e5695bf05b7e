// Writers killed while they save: the file is always the old or the new
// content, and nothing of theirs stays behind once the next writer cleans up.

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "tessin/core/atomic_file.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Core {
namespace {

using Testing::read_text;
using Testing::TempDir;

std::set<std::string> names_in(const std::string& folder) {
  std::set<std::string> names;
  DIR* listing = ::opendir(folder.c_str());
  while (const dirent* entry = listing != nullptr ? ::readdir(listing) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.insert(name);
    }
  }
  if (listing != nullptr) {
    ::closedir(listing);
  }
  return names;
}

TEST(StaleTemporaries, OnlyTheTemporariesOfTheFileAreRemoved) {
  TempDir dir;
  const std::string file = dir.file("servers.json");
  for (const char* name : {".servers.json.tmp-a1B2c3", ".servers.json.tmp-00ff00", ".servers.json.tmp-abc",
                           ".servers.json.tmp-abcdefg", "servers.json.backup", ".other.json.tmp-a1B2c3"}) {
    Testing::write_text(dir.file(name), "secret");
  }
  remove_stale_temporaries(file);
  EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{".servers.json.tmp-abc", ".servers.json.tmp-abcdefg",
                                                          "servers.json.backup", ".other.json.tmp-a1B2c3"}));
  EXPECT_TRUE(is_temporary_of(".f.tmp-XXXXXX", "f"));
  EXPECT_FALSE(is_temporary_of("f.tmp-XXXXXX", "f"));
}

TEST(StaleTemporaries, AWriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string file = dir.file("servers.json");
  const std::string old_content(1 << 20, 'o');
  const std::string new_content(4 << 20, 'n');
  ASSERT_TRUE(write_file_atomically(file, old_content, 0600).has_value());
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    if (child == 0) {
      while (true) {
        (void)write_file_atomically(file, new_content, 0600);
        (void)write_file_atomically(file, old_content, 0600);
      }
    }
    ::usleep(static_cast<useconds_t>(1000 + round * 997 % 20000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string content = read_text(file);
    EXPECT_TRUE(content == old_content || content == new_content) << "round " << round << ": " << content.size();
    remove_stale_temporaries(file);
    EXPECT_EQ(names_in(dir.path()), std::set<std::string>{"servers.json"}) << "round " << round;
  }
}

}  // namespace
}  // namespace Tolvane::Core
