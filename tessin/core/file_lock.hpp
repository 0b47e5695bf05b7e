#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tessin/core/error.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// An advisory lock that guards one file against other processes (and other
// objects of this process) that read, change and write it back. The lock is
// `flock` on "<file>.lock" beside the file, created readable by its owner only
// and never removed: removing it would let two processes hold locks on two
// different lock files. Every writer of the guarded file takes the lock and
// re-reads the file under it, so two updates at once both survive.
//
// The lock belongs to this object's descriptor: it is released when the object
// goes, also when the process dies. Not for sharing between threads.
class TESSIN_API FileLock {
 public:
  // Waits until the lock on `guarded_file` is held. Fails when the lock file
  // cannot be made (a missing or read-only folder), in GIO's domain.
  static Result<FileLock> acquire(const std::string& guarded_file);
  // The lock when nobody holds it now; nothing when it is busy or cannot be made.
  static std::optional<FileLock> try_acquire(const std::string& guarded_file);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  // "<guarded_file>.lock".
  static std::string lock_path(const std::string& guarded_file);

 private:
  explicit FileLock(int descriptor) noexcept : m_descriptor(descriptor) {}

  int m_descriptor = -1;
};

// Runs `work` while holding the lock of `guarded_file`, after removing what
// writers killed half-way left beside it (see `remove_stale_temporaries`).
TESSIN_API Status with_file_lock(const std::string& guarded_file, const std::function<Status()>& work);

// Read-modify-write of `guarded_file` under its lock: `read` (only when the
// file exists), then `change`, then `write`, stopping at the first failure, so
// nothing is written unless the file was read and changed.
TESSIN_API Status update_file(const std::string& guarded_file, const std::function<Status()>& read,
                              const std::function<Status()>& change, const std::function<Status()>& write);

}  // namespace Tolvane::Core
