#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tessin/core/error.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// Writes a file so that it is either the complete new content or the old one:
// the bytes go to a temporary file in the target's folder, which replaces the
// target only on `commit`. Until then, and after any failure, the target keeps
// its old content, and the temporary goes away with the writer. Where the file
// system allows it the temporary has no name at all (`O_TMPFILE`), so even a
// process killed mid-write leaves nothing behind; elsewhere it is named
// ".<name>.tmp-XXXXXX" beside the target.
//
// Writes are buffered; every failure (a full disk, a vanished folder) is
// reported by the call that meets it, and sticks: later writes and the commit
// fail with the same error. Errors are in GIO's domain with GIO's codes.
// One thread at a time.
class TESSIN_API AtomicFile {
 public:
  // `mode` is the new file's permission (lessened by the umask); when the
  // target exists, its own permission bits are kept, never widened.
  static Result<std::unique_ptr<AtomicFile>> open(const std::string& path, unsigned mode = 0666);

  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  Status write(std::string_view bytes);
  // Flushes, syncs and puts the file in place of the target.
  Status commit();
  // Drops what was written; the target is untouched. Idempotent.
  void discard() noexcept;

  const std::string& path() const noexcept { return m_path; }
  // Bytes accepted by `write` so far.
  std::size_t size() const noexcept { return m_size; }

 private:
  AtomicFile(std::string path, int fd, std::string temporary) noexcept;
  Status flush();
  Status failure(const char* action, int error_number);

  std::string m_path;
  int m_fd = -1;
  // Empty for an unnamed temporary.
  std::string m_temporary;
  std::vector<char> m_buffer;
  std::size_t m_size = 0;
  std::unique_ptr<Error> m_error;
  bool m_done = false;
};

// The whole content at once, with the same guarantees.
TESSIN_API Status write_file_atomically(const std::string& path, std::string_view content, unsigned mode = 0666);

// Removes the named temporaries (".<name>.tmp-XXXXXX") that writers of `path`
// killed between naming their temporary and renaming it left beside it. Only
// safe while no other writer of `path` can be at work: callers hold the file's
// `FileLock`.
TESSIN_API void remove_stale_temporaries(const std::string& path);
// Whether `name` (a name inside a folder, not a path) is what a writer of the
// file named `target_name` calls its temporary.
TESSIN_API bool is_temporary_of(std::string_view name, std::string_view target_name);

}  // namespace Tolvane::Core
