#include "tools/tolvane/output_stream.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Tolvane::Cli {

OutputStream::OutputStream(int fd, std::string name)
    : m_fd(fd), m_name(std::move(name)), m_buffer(new char[kCapacity]) {}

OutputStream::~OutputStream() {
  flush();
  delete[] m_buffer;
}

OutputStream& OutputStream::standard_output() {
  static OutputStream stream(STDOUT_FILENO, "standard output");
  return stream;
}

void OutputStream::send(const char* data, std::size_t size) {
  while (size > 0 && m_errno == 0) {
    const ssize_t written = ::write(m_fd, data, size);
    if (written < 0) {
      if (errno != EINTR) {
        m_errno = errno;
      }
      continue;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

bool OutputStream::flush() {
  if (m_used > 0) {
    send(m_buffer, m_used);
    m_used = 0;
  }
  return m_errno == 0;
}

void OutputStream::write_through(std::string_view bytes) {
  flush();
  if (bytes.size() >= kCapacity) {
    send(bytes.data(), bytes.size());
  } else {
    bytes.copy(m_buffer, bytes.size());
    m_used = bytes.size();
  }
}

bool OutputStream::reader_gone() const { return m_errno == EPIPE; }

std::string OutputStream::error_message() const {
  if (m_errno == 0) {
    return {};
  }
  return "cannot write " + m_name + ": " + std::strerror(m_errno);
}

}  // namespace Tolvane::Cli
