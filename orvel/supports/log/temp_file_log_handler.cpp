#include "orvel/supports/log/temp_file_log_handler.hpp"

#include <cerrno>

#include <glib.h>
#include <unistd.h>

#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& TempFileLogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogTempFileLogHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<TempFileLogHandler>(), {});
  return info;
}

TempFileLogHandler::~TempFileLogHandler() {
  if (m_fd >= 0) {
    ::close(m_fd);
  }
}

void TempFileLogHandler::initialize(const char* name) {
  TOLVANE_RETURN_IF_FAIL(name != nullptr, "name != NULL");
  // Concatenated, not formatted: a '%' in the name stays a '%'.
  std::string file_template = std::string(name) + "-XXXXXX.log";
  GError* error = nullptr;
  gchar* path = nullptr;
  // g_file_open_tmp opens for reading and writing with mode 0600.
  int fd = g_file_open_tmp(file_template.c_str(), &path, &error);
  if (fd < 0) {
    g_warning("handler_file_temp:27: Failed to open file: %s", error != nullptr ? error->message : "");
    g_clear_error(&error);
    return;
  }
  std::lock_guard lock(m_mutex);
  if (m_fd >= 0) {
    ::close(m_fd);
  }
  m_fd = fd;
  m_path = Core::take_std(path);
}

void TempFileLogHandler::publish(LogLevel level, std::string_view server, std::string_view name,
                                 const char* format, va_list args) {
  if (!accepts(level) || format == nullptr) {
    return;
  }
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    if (m_fd < 0) {
      return;
    }
    std::string line = render_locked(level, server, name, format, args);
    std::string_view rest = line;
    while (!rest.empty()) {
      ssize_t written = ::write(m_fd, rest.data(), rest.size());
      if (written < 0) {
        if (errno == EINTR) {
          continue;
        }
        code = errno;
        break;
      }
      rest.remove_prefix(static_cast<std::size_t>(written));
    }
  }
  if (code != 0) {
    g_warning("handler_file_temp:43: Error in FileHandler.publish: %s\n", g_strerror(code));
  }
}

std::string TempFileLogHandler::recent(int) {
  std::string text;
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    if (m_fd < 0) {
      return text;
    }
    // Reads from the start up to the write position without moving it.
    off_t end = ::lseek(m_fd, 0, SEEK_CUR);
    if (end < 0) {
      code = errno;
    } else {
      text.resize(static_cast<std::size_t>(end));
      std::size_t done = 0;
      while (done < text.size()) {
        ssize_t got = ::pread(m_fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
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
  if (code != 0) {
    g_warning("handler_file_temp:73: Failed to get recent log: %s", g_strerror(code));
  }
  return text;
}

void TempFileLogHandler::close() {
  int code = 0;
  {
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0 && ::close(m_fd) != 0) {
      code = errno;
    }
    m_fd = -1;
  }
  if (code != 0) {
    g_warning("handler_file_temp:84: Error in FileHandler.close: %s\n", g_strerror(code));
  }
}

std::string TempFileLogHandler::get_file_name() const {
  std::lock_guard lock(m_mutex);
  return m_path;
}

}  // namespace Tolvane::Orvel::Supports::Log
