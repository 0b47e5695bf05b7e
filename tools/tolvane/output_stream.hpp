#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Tolvane::Cli {

// A buffered writer on a file descriptor, for output that may be large: the
// bytes go out in blocks with plain write(2) calls, and the first failure is
// kept, so a command checks once, at its end or between rows, instead of after
// every cell. Used by one thread at a time.
//
// A closed pipe (EPIPE) is kept apart from other failures: a reader that went
// away (`| head`) ends the command quietly, while a full disk is an error.
class OutputStream {
 public:
  // Writes to `fd`, which the stream does not close; `name` is what error
  // messages call it ("standard output", a file path).
  OutputStream(int fd, std::string name);
  ~OutputStream();
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  // The process's standard output, flushed at exit by the command that uses it.
  static OutputStream& standard_output();

  void write(std::string_view bytes) {
    if (bytes.size() <= kCapacity - m_used) {
      bytes.copy(m_buffer + m_used, bytes.size());
      m_used += bytes.size();
    } else {
      write_through(bytes);
    }
  }
  void put(char c) {
    if (m_used == kCapacity) {
      flush();
    }
    m_buffer[m_used++] = c;
  }
  void repeat(char c, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      put(c);
    }
  }

  // Sends what is buffered; false once any write failed.
  bool flush();
  bool failed() const { return m_errno != 0; }
  // The reader of a pipe went away.
  bool reader_gone() const;
  // "cannot write standard output: No space left on device"; empty while all went well.
  std::string error_message() const;
  const std::string& name() const { return m_name; }

 private:
  static constexpr std::size_t kCapacity = 64 * 1024;

  void write_through(std::string_view bytes);
  void send(const char* data, std::size_t size);

  int m_fd;
  std::string m_name;
  std::size_t m_used = 0;
  int m_errno = 0;
  char* m_buffer;
};

}  // namespace Tolvane::Cli
