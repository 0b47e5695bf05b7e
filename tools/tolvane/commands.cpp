#include "tools/tolvane/commands.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_stream.hpp"

namespace Tolvane::Cli {

namespace {

Outcome<std::string> read_all(int fd, const std::string& name) {
  constexpr std::size_t kBlock = 1 << 20;
  std::string text;
  std::size_t used = 0;
  while (true) {
    if (text.size() - used < kBlock / 2) {
      text.resize(std::max(text.size() * 2, used + kBlock));
    }
    const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
    if (got == 0) {
      break;
    }
    if (got < 0) {
      if (errno == EINTR && !Interrupts::requested()) {
        continue;
      }
      if (errno == EINTR) {
        return std::unexpected(Failure{kInterrupted, "interrupted"});
      }
      return std::unexpected(Failure{kInputFailure, "cannot read " + name + ": " + std::strerror(errno)});
    }
    used += static_cast<std::size_t>(got);
  }
  text.resize(used);
  return text;
}

}  // namespace

Outcome<std::string> read_input(const std::string& file) {
  if (file == "-") {
    return read_all(STDIN_FILENO, "standard input");
  }
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::unexpected(Failure{kInputFailure, "cannot read " + file + ": " + std::strerror(errno)});
  }
  auto text = read_all(fd, file);
  ::close(fd);
  return text;
}

int report(const Failure& failure) {
  if (failure.exit_code == kInterrupted) {
    return Interrupts::report();
  }
  std::fprintf(stderr, "tolvane: %s\n", failure.message.c_str());
  return failure.exit_code;
}

int finish_output(int code) {
  OutputStream& out = OutputStream::standard_output();
  out.flush();
  if (out.reader_gone()) {
    return kOutputClosed;
  }
  if (out.failed()) {
    return report(Failure{kInputFailure, out.error_message()});
  }
  return code;
}

}  // namespace Tolvane::Cli
