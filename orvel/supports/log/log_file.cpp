#include "orvel/supports/log/log_file.hpp"

#include <cerrno>

#include <unistd.h>

namespace Tolvane::Orvel::Supports::Log {

namespace {

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

LogFile::~LogFile() { close(); }

void LogFile::attach(int fd, std::string path) {
  m_fd = fd;
  m_path = std::move(path);
}

int LogFile::settle(Contracts::Log::LogLevel level, BufferedSink& sink, const Core::Object& owner) {
  if (level == Contracts::Log::LogLevel::RISKY || m_pending.size() >= kMaxPending) {
    return write_pending();
  }
  if (m_scheduled) {
    return 0;
  }
  // The flusher keeps only a weak reference, so a handler can go away while its
  // sink waits: its destructor writes what is left.
  std::shared_ptr<const Core::Object> held = owner.weak_from_this().lock();
  if (!held || !LogFlusher::schedule(std::shared_ptr<BufferedSink>(held, &sink))) {
    return write_pending();
  }
  m_scheduled = true;
  return 0;
}

int LogFile::flush() {
  m_scheduled = false;
  return write_pending();
}

int LogFile::write_pending() {
  if (m_pending.empty()) {
    return 0;
  }
  int code = m_fd >= 0 ? write_all(m_fd, m_pending) : 0;
  m_pending.clear();
  return code;
}

int LogFile::close() {
  int code = write_pending();
  if (m_fd >= 0) {
    if (::close(m_fd) != 0 && code == 0) {
      code = errno;
    }
    m_fd = -1;
  }
  return code;
}

}  // namespace Tolvane::Orvel::Supports::Log
