#include "orvel/supports/log/slice_file_log_handler.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "orvel/supports/log/formatters.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/regex.hpp"

namespace Tolvane::Orvel::Supports::Log {

namespace {

Core::Error io_error(int code, const std::string& what) {
  return Core::Error{Core::Error::gio_domain(), g_io_error_from_errno(code), what + ": " + g_strerror(code)};
}

bool is_regular_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Writes all of `text`, going on after interruptions and short writes.
int write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

const Core::TypeInfo& SliceFileLogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogSliceFileLogHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<SliceFileLogHandler>(), {});
  return info;
}

SliceFileLogHandler::~SliceFileLogHandler() {
  if (m_fd >= 0) {
    ::close(m_fd);
  }
}

std::string SliceFileLogHandler::slice_path(std::int64_t index) const {
  // Built by concatenation: a '%' in the name stays a '%'.
  char number[24];
  g_snprintf(number, sizeof number, "-%03" G_GINT64_FORMAT ".log", static_cast<gint64>(index));
  return m_folder + G_DIR_SEPARATOR_S + m_name + number;
}

Core::Status SliceFileLogHandler::initialize(const char* name, const char* folder, std::int64_t max_size) {
  TOLVANE_RETURN_VAL_IF_FAIL(name != nullptr, "name != NULL",
                             Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT, "no name"));
  TOLVANE_RETURN_VAL_IF_FAIL(folder != nullptr, "folder != NULL",
                             Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT, "no folder"));
  set_formatter(DefaultFormatter::create());

  // Only whole names count: "<name>-<digits>.log", the name taken literally.
  Core::GCharPtr escaped(g_regex_escape_string(name, -1));
  std::string pattern = std::string("^") + escaped.get() + "-(?<index>[0-9]+)\\.log$";
  Core::Regex slice_name(pattern.c_str());

  GError* error = nullptr;
  GDir* dir = g_dir_open(folder, 0, &error);
  if (dir == nullptr) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  std::int64_t highest = 0;
  while (const gchar* entry = g_dir_read_name(dir)) {
    Core::GMatchInfoPtr match = slice_name.match(entry);
    if (std::optional<std::string> digits = Core::Regex::named_group(match.get(), "index")) {
      std::int64_t index = g_ascii_strtoll(digits->c_str(), nullptr, 10);
      if (index > highest) {
        highest = index;
      }
    }
  }
  g_dir_close(dir);

  std::string warning;
  Core::Status status;
  {
    std::lock_guard lock(m_mutex);
    m_folder = folder;
    m_name = name;
    m_max_size = max_size;
    m_index = highest;
    status = rotate_locked(0, warning);
  }
  if (!warning.empty()) {
    g_warning("handler_file_slice:134: query file info failed: %s", warning.c_str());
  }
  return status;
}

Core::Status SliceFileLogHandler::rotate_locked(std::int64_t incoming, std::string& warning) {
  Core::Status closed = close_locked();
  std::int64_t index = m_index;
  while (is_regular_file(slice_path(index))) {
    ++index;
  }
  if (index > 0) {
    --index;
  }
  std::string path = slice_path(index);
  bool exists = is_regular_file(path);
  if (exists && m_max_size > 0) {
    GStatBuf info{};
    if (g_stat(path.c_str(), &info) != 0) {
      warning = path;
    } else {
      std::int64_t size = static_cast<std::int64_t>(info.st_size);
      // A slice with content never grows past the maximum; a single line larger
      // than the maximum still gets a slice of its own.
      if (size > 0 && size + incoming > m_max_size) {
        ++index;
        path = slice_path(index);
        exists = is_regular_file(path);
      }
    }
  }
  int fd = exists ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)
                  : ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    return Core::fail(io_error(errno, path));
  }
  std::int64_t size = 0;
  if (exists) {
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
      size = static_cast<std::int64_t>(info.st_size);
    }
  }
  m_fd = fd;
  m_index = index;
  m_size = size;
  m_path = std::move(path);
  return closed;
}

Core::Status SliceFileLogHandler::close_locked() {
  if (m_fd < 0) {
    return {};
  }
  int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) {
    return Core::fail(io_error(errno, m_path));
  }
  return {};
}

void SliceFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                  const char* format, va_list args) {
  if (!accepts(level) || format == nullptr) {
    return;
  }
  std::string failure;
  std::string warning;
  {
    std::lock_guard lock(m_mutex);
    if (m_fd < 0 && m_folder.empty()) {
      return;  // Not initialised, or closed: nowhere to write.
    }
    std::string line = render_locked(level, server, name, format, args);
    auto length = static_cast<std::int64_t>(line.size());
    bool full = m_max_size > 0 && m_size > 0 && m_size + length > m_max_size;
    if (full || m_fd < 0) {
      // Also retries a slice that could not be opened the last time.
      Core::Status rotated = rotate_locked(length, warning);
      if (!rotated) {
        failure = rotated.error().message;
      }
    }
    if (m_fd >= 0) {
      if (int code = write_all(m_fd, line); code != 0) {
        failure += failure.empty() ? "" : "; ";
        failure += io_error(code, m_path).message;
      } else {
        m_size += length;
      }
    }
  }
  if (!warning.empty()) {
    g_warning("handler_file_slice:134: query file info failed: %s", warning.c_str());
  }
  if (!failure.empty()) {
    g_critical("handler_file_slice:76: Error in FileHandler.publish: %s\n", failure.c_str());
  }
}

std::string SliceFileLogHandler::recent(int) { return {}; }

void SliceFileLogHandler::close() {
  Core::Status closed;
  {
    std::lock_guard lock(m_mutex);
    closed = close_locked();
    m_folder.clear();
  }
  if (!closed) {
    g_critical("handler_file_slice:85: Error in FileHandler.close: %s\n", closed.error().message.c_str());
  }
}

std::string SliceFileLogHandler::get_file_name() const {
  std::lock_guard lock(m_mutex);
  return m_path;
}

std::int64_t SliceFileLogHandler::get_max_size() const {
  std::lock_guard lock(m_mutex);
  return m_max_size;
}

}  // namespace Tolvane::Orvel::Supports::Log
