#include "orvel/supports/log/slice_file_log_handler.hpp"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "orvel/supports/log/formatters.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/source_log.hpp"

namespace Tolvane::Orvel::Supports::Log {

namespace {

// The texts log readers know these failures by; the numbers are not positions
// in our sources.
constexpr const char* kPublishFailed = "handler_file_slice:76: Error in FileHandler.publish: %s\n";
constexpr const char* kCloseFailed = "handler_file_slice:85: Error in FileHandler.close: %s\n";
constexpr const char* kQueryFailed = "handler_file_slice:134: query file info failed: %s";

Core::Error io_error(int code, const std::string& what) {
  return Core::Error{Core::Error::gio_domain(), g_io_error_from_errno(code), what + ": " + g_strerror(code)};
}

bool is_regular_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

struct SliceName {
  std::int64_t index;
  // Spelled as the handler spells it ("-%03d"), so the handler may remove it.
  bool own;
};

// The slice index in `entry` when it is "<name>-<digits>.log", `name` taken
// literally.
std::optional<SliceName> parse_slice_name(std::string_view entry, std::string_view name) {
  constexpr std::string_view kSuffix = ".log";
  if (!entry.starts_with(name)) {
    return std::nullopt;
  }
  entry.remove_prefix(name.size());
  if (entry.size() < 2 + kSuffix.size() || entry.front() != '-' || !entry.ends_with(kSuffix)) {
    return std::nullopt;
  }
  std::string_view digits = entry.substr(1, entry.size() - 1 - kSuffix.size());
  std::int64_t index = 0;
  for (char c : digits) {
    if (c < '0' || c > '9' || index > (G_MAXINT64 - 9) / 10) {
      return std::nullopt;
    }
    index = index * 10 + (c - '0');
  }
  char spelled[24];
  g_snprintf(spelled, sizeof spelled, "%03" G_GINT64_FORMAT, static_cast<gint64>(index));
  return SliceName{index, digits == spelled};
}

}  // namespace

const Core::TypeInfo& SliceFileLogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogSliceFileLogHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<SliceFileLogHandler>(), {});
  return info;
}

SliceFileLogHandler::~SliceFileLogHandler() = default;

std::string SliceFileLogHandler::slice_path(std::int64_t index) const {
  // Built by concatenation: a '%' in the name stays a '%'.
  char number[24];
  g_snprintf(number, sizeof number, "-%03" G_GINT64_FORMAT ".log", static_cast<gint64>(index));
  return m_folder + G_DIR_SEPARATOR_S + m_name + number;
}

Core::Status SliceFileLogHandler::initialize(const char* name, const char* folder, std::int64_t max_size,
                                             std::int64_t max_slices) {
  TOLVANE_RETURN_VAL_IF_FAIL(name != nullptr, "name != NULL",
                             Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT, "no name"));
  TOLVANE_RETURN_VAL_IF_FAIL(folder != nullptr, "folder != NULL",
                             Core::fail(Core::Error::gio_domain(), G_IO_ERROR_INVALID_ARGUMENT, "no folder"));
  set_formatter(DefaultFormatter::create());

  GError* error = nullptr;
  GDir* dir = g_dir_open(folder, 0, &error);
  if (dir == nullptr) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  std::int64_t highest = 0;
  std::vector<std::int64_t> own;
  while (const gchar* entry = g_dir_read_name(dir)) {
    if (std::optional<SliceName> slice = parse_slice_name(entry, name)) {
      highest = std::max(highest, slice->index);
      if (slice->own) {
        own.push_back(slice->index);
      }
    }
  }
  g_dir_close(dir);
  std::sort(own.begin(), own.end());
  // Nothing is opened yet; a folder that cannot take a slice should still
  // fail here, once, rather than at every line.
  if (::access(folder, W_OK | X_OK) != 0) {
    return Core::fail(io_error(errno, folder));
  }

  Trouble trouble;
  int closed = 0;
  std::string closed_path;
  {
    std::lock_guard lock(m_mutex);
    closed_path = m_file.path();
    closed = m_file.close();
    m_folder = folder;
    m_name = name;
    m_max_size = max_size;
    m_max_slices = std::max<std::int64_t>(max_slices, 0);
    m_index = highest;
    m_size = 0;
    m_slices = std::move(own);
    bool exists = false;
    choose_slice_locked(0, trouble, exists);
    prune_locked(trouble);
  }
  if (closed != 0) {
    trouble.failure = io_error(closed, closed_path).message;
  }
  report(trouble);
  return {};
}

void SliceFileLogHandler::choose_slice_locked(std::int64_t incoming, Trouble& trouble, bool& exists) {
  std::int64_t index = m_index;
  while (is_regular_file(slice_path(index))) {
    ++index;
  }
  if (index > 0) {
    --index;
  }
  std::string path = slice_path(index);
  exists = is_regular_file(path);
  if (exists && m_max_size > 0) {
    GStatBuf info{};
    if (g_stat(path.c_str(), &info) != 0) {
      trouble.size_query = path;
    } else {
      auto size = static_cast<std::int64_t>(info.st_size);
      // A slice with content never grows past the maximum; a single line larger
      // than the maximum still gets a slice of its own.
      if (size > 0 && size + incoming > m_max_size) {
        ++index;
        path = slice_path(index);
        exists = is_regular_file(path);
      }
    }
  }
  m_index = index;
  m_path = std::move(path);
}

Core::Status SliceFileLogHandler::rotate_locked(std::int64_t incoming, Trouble& trouble) {
  std::string closed_path = m_file.path();
  int closed = m_file.close();
  bool exists = false;
  choose_slice_locked(incoming, trouble, exists);
  int fd = -1;
  if (!exists) {
    fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    // Another process may have started the same slice a moment ago.
    exists = fd < 0 && errno == EEXIST;
  }
  if (exists) {
    fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  }
  if (fd < 0) {
    return Core::fail(io_error(errno, m_path));
  }
  std::int64_t size = 0;
  struct stat info {};
  if (exists && ::fstat(fd, &info) == 0) {
    size = static_cast<std::int64_t>(info.st_size);
  }
  m_file.attach(fd, m_path);
  m_size = size;
  if (!exists) {
    m_slices.insert(std::upper_bound(m_slices.begin(), m_slices.end(), m_index), m_index);
    prune_locked(trouble);
  }
  if (closed != 0) {
    return Core::fail(io_error(closed, closed_path));
  }
  return {};
}

void SliceFileLogHandler::prune_locked(Trouble& trouble) {
  while (m_max_slices > 0 && static_cast<std::int64_t>(m_slices.size()) > m_max_slices &&
         m_slices.front() != m_index) {
    std::string path = slice_path(m_slices.front());
    m_slices.erase(m_slices.begin());
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      trouble.removal = io_error(errno, path).message;
    }
  }
}

void SliceFileLogHandler::report(const Trouble& trouble) {
  if (!trouble.size_query.empty()) {
    g_warning(kQueryFailed, trouble.size_query.c_str());
  }
  if (!trouble.removal.empty()) {
    TOLVANE_WARNING("cannot remove an old log slice: %s", trouble.removal.c_str());
  }
  if (!trouble.failure.empty()) {
    g_critical(kPublishFailed, trouble.failure.c_str());
  }
}

void SliceFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                  const char* format, va_list args) {
  if (!accepts(level) || format == nullptr) {
    return;
  }
  Trouble trouble;
  {
    std::lock_guard lock(m_mutex);
    if (m_folder.empty()) {
      return;  // Not initialised, or closed: nowhere to write.
    }
    m_line.clear();
    render_locked(m_line, level, server, name, format, args);
    auto length = static_cast<std::int64_t>(m_line.size());
    bool full = m_max_size > 0 && m_size > 0 && m_size + length > m_max_size;
    if (full || !m_file.is_open()) {
      // Also opens the first slice, and retries one that could not be opened
      // the last time.
      if (Core::Status rotated = rotate_locked(length, trouble); !rotated) {
        trouble.failure = rotated.error().message;
      }
    }
    if (m_file.is_open()) {
      m_file.pending() += m_line;
      m_size += length;
      if (int code = m_file.settle(level, *this, *this); code != 0) {
        trouble.failure += trouble.failure.empty() ? "" : "; ";
        trouble.failure += io_error(code, m_file.path()).message;
      }
    }
    if (m_line.capacity() > LogFile::kMaxPending) {
      m_line = std::string();  // one huge line does not pin its memory
    }
  }
  report(trouble);
}

void SliceFileLogHandler::flush_pending() {
  Trouble trouble;
  {
    std::lock_guard lock(m_mutex);
    if (int code = m_file.flush(); code != 0) {
      trouble.failure = io_error(code, m_file.path()).message;
    }
  }
  report(trouble);
}

std::string SliceFileLogHandler::recent(int) { return {}; }

void SliceFileLogHandler::close() {
  int code = 0;
  std::string path;
  {
    std::lock_guard lock(m_mutex);
    path = m_file.path();
    code = m_file.close();
    m_folder.clear();
  }
  if (code != 0) {
    g_critical(kCloseFailed, io_error(code, path).message.c_str());
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

std::int64_t SliceFileLogHandler::get_max_slices() const {
  std::lock_guard lock(m_mutex);
  return m_max_slices;
}

}  // namespace Tolvane::Orvel::Supports::Log
