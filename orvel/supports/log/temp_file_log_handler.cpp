#include "orvel/supports/log/temp_file_log_handler.hpp"

#include <cerrno>

#include <glib.h>
#include <unistd.h>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Log {

namespace {

// The texts log readers know these failures by; the numbers are not positions
// in our sources.
constexpr const char* kOpenFailed = "handler_file_temp:27: Failed to open file: %s";
constexpr const char* kPublishFailed = "handler_file_temp:43: Error in FileHandler.publish: %s\n";
constexpr const char* kRecentFailed = "handler_file_temp:73: Failed to get recent log: %s";
constexpr const char* kCloseFailed = "handler_file_temp:84: Error in FileHandler.close: %s\n";

}  // namespace

const Core::TypeInfo& TempFileLogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogTempFileLogHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<TempFileLogHandler>(), {});
  return info;
}

TempFileLogHandler::~TempFileLogHandler() = default;

void TempFileLogHandler::initialize(const char* name) {
  TOLVANE_RETURN_IF_FAIL(name != nullptr, "name != NULL");
  // Concatenated, not formatted: a '%' in the name stays a '%'.
  std::string file_template = std::string(name) + "-XXXXXX.log";
  GError* error = nullptr;
  gchar* path = nullptr;
  // g_file_open_tmp opens for reading and writing with mode 0600.
  int fd = g_file_open_tmp(file_template.c_str(), &path, &error);
  if (fd < 0) {
    g_warning(kOpenFailed, error != nullptr ? error->message : "");
    g_clear_error(&error);
    return;
  }
  int closed = 0;
  {
    std::lock_guard lock(m_mutex);
    closed = m_file.close();
    m_file.attach(fd, Core::take_std(path));
  }
  if (closed != 0) {
    g_warning(kCloseFailed, g_strerror(closed));
  }
}

void TempFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                 const char* format, va_list args) {
  if (!accepts(level) || format == nullptr) {
    return;
  }
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    if (!m_file.is_open()) {
      return;
    }
    render_locked(m_file.pending(), level, server, name, format, args);
    code = m_file.settle(level, *this, *this);
  }
  if (code != 0) {
    g_warning(kPublishFailed, g_strerror(code));
  }
}

void TempFileLogHandler::flush_pending() {
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    code = m_file.flush();
  }
  if (code != 0) {
    g_warning(kPublishFailed, g_strerror(code));
  }
}

std::string TempFileLogHandler::recent(int) {
  std::string text;
  int written = 0;
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    if (!m_file.is_open()) {
      return text;
    }
    written = m_file.write_pending();
    // Reads from the start up to the write position without moving it.
    const int fd = m_file.descriptor();
    off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (end < 0) {
      code = errno;
    } else {
      text.resize(static_cast<std::size_t>(end));
      std::size_t done = 0;
      while (done < text.size()) {
        ssize_t got = ::pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
          continue;
        }
        if (got <= 0) {
          code = got < 0 ? errno : 0;
          break;
        }
        done += static_cast<std::size_t>(got);
      }
      text.resize(done);
    }
  }
  if (written != 0) {
    g_warning(kPublishFailed, g_strerror(written));
  }
  if (code != 0) {
    g_warning(kRecentFailed, g_strerror(code));
  }
  return text;
}

void TempFileLogHandler::close() {
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    code = m_file.close();
  }
  if (code != 0) {
    g_warning(kCloseFailed, g_strerror(code));
  }
}

std::string TempFileLogHandler::get_file_name() const {
  std::lock_guard lock(m_mutex);
  return m_file.path();
}

}  // namespace Tolvane::Orvel::Supports::Log
