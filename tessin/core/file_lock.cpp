#include "tessin/core/file_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "tessin/core/atomic_file.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Core {

namespace {

int open_lock_file(const std::string& path) {
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

int lock_descriptor(int descriptor, int operation) {
  int result = -1;
  do {
    result = ::flock(descriptor, operation);
  } while (result < 0 && errno == EINTR);
  return result;
}

// Worded and coded as the atomic writer words its file errors (GIO's domain),
// so a save reports a missing or read-only folder the same way whichever
// step meets it first.
Error lock_error(const std::string& path, int code) {
  GCharPtr shown(g_filename_display_name(path.c_str()));
  GCharPtr text(g_strdup_printf(g_dgettext(kGettextDomain, "Failed to lock file '%s': %s"), shown.get(),
                                g_strerror(code)));
  return Error{Error::gio_domain(), static_cast<int>(g_io_error_from_errno(code)), text.get()};
}

}  // namespace

std::string FileLock::lock_path(const std::string& guarded_file) { return guarded_file + ".lock"; }

Result<FileLock> FileLock::acquire(const std::string& guarded_file) {
  const std::string path = lock_path(guarded_file);
  const int descriptor = open_lock_file(path);
  if (descriptor < 0) {
    return fail(lock_error(path, errno));
  }
  if (lock_descriptor(descriptor, LOCK_EX) < 0) {
    const int code = errno;
    ::close(descriptor);
    return fail(lock_error(path, code));
  }
  return FileLock(descriptor);
}

std::optional<FileLock> FileLock::try_acquire(const std::string& guarded_file) {
  const int descriptor = open_lock_file(lock_path(guarded_file));
  if (descriptor < 0) {
    return std::nullopt;
  }
  if (lock_descriptor(descriptor, LOCK_EX | LOCK_NB) < 0) {
    ::close(descriptor);
    return std::nullopt;
  }
  return FileLock(descriptor);
}

FileLock::FileLock(FileLock&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    FileLock released(std::move(*this));
    m_descriptor = std::exchange(other.m_descriptor, -1);
  }
  return *this;
}

FileLock::~FileLock() {
  if (m_descriptor >= 0) {
    // Closing the only descriptor of the open file releases the lock.
    ::close(m_descriptor);
  }
}

Status with_file_lock(const std::string& guarded_file, const std::function<Status()>& work) {
  auto lock = FileLock::acquire(guarded_file);
  if (!lock) {
    return fail(std::move(lock.error()));
  }
  // Under the lock no writer is at work: what lies there was left by one
  // that was killed.
  remove_stale_temporaries(guarded_file);
  return work();
}

Status update_file(const std::string& guarded_file, const std::function<Status()>& read,
                   const std::function<Status()>& change, const std::function<Status()>& write) {
  return with_file_lock(guarded_file, [&]() -> Status {
    if (g_file_test(guarded_file.c_str(), G_FILE_TEST_EXISTS)) {
      if (Status done = read(); !done) {
        return done;
      }
    }
    if (change) {
      if (Status done = change(); !done) {
        return done;
      }
    }
    return write();
  });
}

}  // namespace Tolvane::Core
