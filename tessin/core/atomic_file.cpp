#include "tessin/core/atomic_file.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <gio/gio.h>

#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Core {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// "<what failed> '<file>': <reason>", the way GIO words its own file errors.
Error io_error(const std::string& path, const char* action, int error_number) {
  GCharPtr shown(g_filename_display_name(path.c_str()));
  std::string message = std::string(std::string_view(action) == "create" ? _("Failed to create file")
                                                                          : _("Failed to write file")) +
                        " '" + shown.get() + "': " + g_strerror(error_number);
  return Error{Error::gio_domain(), static_cast<int>(g_io_error_from_errno(error_number)), std::move(message)};
}

std::string folder_of(const std::string& path) { return take_std(g_path_get_dirname(path.c_str())); }
std::string name_of(const std::string& path) { return take_std(g_path_get_basename(path.c_str())); }

bool write_all(int fd, const char* data, std::size_t size, int& error_number) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      error_number = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporarySuffix = 6;

// ".<name>.tmp-": hidden, and recognisably a temporary of <name>.
std::string temporary_prefix(std::string_view name) {
  std::string prefix = ".";
  prefix.append(name);
  prefix.append(kTemporaryInfix);
  return prefix;
}

// A name beside the target that nothing else uses.
std::string temporary_pattern(const std::string& path) {
  return folder_of(path) + G_DIR_SEPARATOR_S + temporary_prefix(name_of(path)) + std::string(kTemporarySuffix, 'X');
}

// Gives an unnamed temporary a name, so it can be renamed over the target
// (a link cannot replace an existing file).
bool link_unnamed(int fd, const std::string& path, std::string& linked, int& error_number) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = temporary_pattern(path);
    GCharPtr random(g_strdup_printf("%06x", g_random_int_range(0, 0xffffff)));
    candidate.replace(candidate.size() - kTemporarySuffix, kTemporarySuffix, random.get());
    int result = ::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
    if (result != 0 && errno == ENOENT) {
      // No /proc: the empty-path form needs a capability, but try it.
      result = ::linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
    }
    if (result == 0) {
      linked = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) {
      error_number = errno;
      return false;
    }
  }
  error_number = EEXIST;
  return false;
}

void sync_folder(const std::string& path) {
  const int folder = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    // Best effort: the rename is already visible; this only makes it durable.
    (void)::fsync(folder);
    ::close(folder);
  }
}

}  // namespace

AtomicFile::AtomicFile(std::string path, int fd, std::string temporary) noexcept
    : m_path(std::move(path)), m_fd(fd), m_temporary(std::move(temporary)) {}

AtomicFile::~AtomicFile() { discard(); }

Result<std::unique_ptr<AtomicFile>> AtomicFile::open(const std::string& path, unsigned mode) {
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  const std::string folder = folder_of(path);
  std::string temporary;
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) {
    const int unnamed_error = errno;
    if (unnamed_error != EOPNOTSUPP && unnamed_error != EISDIR && unnamed_error != EINVAL) {
      // The folder itself is the problem (missing, not writable): say so.
      return fail(io_error(path, "create", unnamed_error));
    }
    std::string pattern = temporary_pattern(path);
    fd = g_mkstemp_full(pattern.data(), O_WRONLY | O_CLOEXEC, static_cast<int>(mode));
    if (fd < 0) {
      return fail(io_error(path, "create", errno));
    }
    temporary = std::move(pattern);
  }
  if (exists && ::fchmod(fd, existing.st_mode & 07777 & mode) != 0) {
    const int error_number = errno;
    ::close(fd);
    if (!temporary.empty()) {
      ::unlink(temporary.c_str());
    }
    return fail(io_error(path, "create", error_number));
  }
  auto file = std::unique_ptr<AtomicFile>(new AtomicFile(path, fd, std::move(temporary)));
  file->m_buffer.reserve(kBufferSize);
  return file;
}

Status AtomicFile::failure(const char* action, int error_number) {
  if (!m_error) {
    m_error = std::make_unique<Error>(io_error(m_path, action, error_number));
  }
  return fail(*m_error);
}

Status AtomicFile::flush() {
  if (m_buffer.empty()) {
    return {};
  }
  int error_number = 0;
  if (!write_all(m_fd, m_buffer.data(), m_buffer.size(), error_number)) {
    return failure("write", error_number);
  }
  m_buffer.clear();
  return {};
}

Status AtomicFile::write(std::string_view bytes) {
  if (m_error) {
    return fail(*m_error);
  }
  if (m_done || m_fd < 0) {
    return failure("write", EBADF);
  }
  m_size += bytes.size();
  if (m_buffer.size() + bytes.size() > kBufferSize) {
    if (auto flushed = flush(); !flushed) {
      return flushed;
    }
    if (bytes.size() >= kBufferSize) {
      int error_number = 0;
      if (!write_all(m_fd, bytes.data(), bytes.size(), error_number)) {
        return failure("write", error_number);
      }
      return {};
    }
  }
  m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
  return {};
}

Status AtomicFile::commit() {
  if (m_error) {
    discard();
    return fail(*m_error);
  }
  if (m_done || m_fd < 0) {
    return failure("write", EBADF);
  }
  if (auto flushed = flush(); !flushed) {
    discard();
    return flushed;
  }
  if (::fsync(m_fd) != 0) {
    auto status = failure("write", errno);
    discard();
    return status;
  }
  if (m_temporary.empty()) {
    int error_number = 0;
    if (!link_unnamed(m_fd, m_path, m_temporary, error_number)) {
      auto status = failure("write", error_number);
      discard();
      return status;
    }
  }
  if (::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
    auto status = failure("write", errno);
    discard();
    return status;
  }
  m_temporary.clear();
  ::close(m_fd);
  m_fd = -1;
  m_done = true;
  sync_folder(m_path);
  return {};
}

void AtomicFile::discard() noexcept {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temporary.empty()) {
    ::unlink(m_temporary.c_str());
    m_temporary.clear();
  }
  m_buffer.clear();
  m_done = true;
}

Status write_file_atomically(const std::string& path, std::string_view content, unsigned mode) {
  auto file = AtomicFile::open(path, mode);
  if (!file) {
    return fail(std::move(file.error()));
  }
  if (auto written = (*file)->write(content); !written) {
    return written;
  }
  return (*file)->commit();
}

bool is_temporary_of(std::string_view name, std::string_view target_name) {
  const std::string prefix = temporary_prefix(target_name);
  return name.size() == prefix.size() + kTemporarySuffix && name.starts_with(prefix);
}

void remove_stale_temporaries(const std::string& path) {
  const std::string target = name_of(path);
  DIR* listing = ::opendir(folder_of(path).c_str());
  if (listing == nullptr) {
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (is_temporary_of(entry->d_name, target)) {
      ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

}  // namespace Tolvane::Core
