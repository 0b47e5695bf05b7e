// A stand-in for an SSH client (and for sshpass) that the tunnel tests start
// instead of a real one, so no SSH server is needed.
//
// Every invocation appends to the file named by FAKE_SSH_RECORD one line with
// the name it was called under and its arguments, tab-separated, and one line
// "SSHPASS=<value>" (or "SSHPASS unset").
//
// Called as "sshpass": expects "-e" and SSHPASS, then runs the rest of its
// arguments as the program does.
//
// Called under any other name, by FAKE_SSH_MODE:
// - "listen" (or unset): listens on the local port of "-L 127.0.0.1:PORT:..."
//   until terminated; a SIGTERM appends "terminated" to the record;
// - "exit": writes a complaint to standard error and exits with 255;
// - "silent": never opens the port and waits to be terminated.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int g_record = -1;

void write_all(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

void on_term(int) {
  static const char kLine[] = "terminated\n";
  if (g_record >= 0) {
    ssize_t ignored = ::write(g_record, kLine, sizeof kLine - 1);
    (void)ignored;
  }
  ::_exit(0);
}

std::string base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

// The local port of "-L 127.0.0.1:PORT:host:port", or -1.
int forwarded_port(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-L") == 0) {
      const char* spec = argv[i + 1];
      const char* prefix = "127.0.0.1:";
      if (std::strncmp(spec, prefix, std::strlen(prefix)) == 0) {
        return std::atoi(spec + std::strlen(prefix));
      }
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = base_name(argv[0]);
  const char* record = std::getenv("FAKE_SSH_RECORD");
  if (record != nullptr) {
    g_record = ::open(record, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  }
  std::string line = self;
  for (int i = 1; i < argc; ++i) {
    line += '\t';
    line += argv[i];
  }
  const char* password = std::getenv("SSHPASS");
  line += password != nullptr ? "\nSSHPASS=" + std::string(password) + "\n" : std::string("\nSSHPASS unset\n");
  if (g_record >= 0) {
    write_all(g_record, line);
  }

  if (self == "sshpass") {
    if (argc < 3 || std::strcmp(argv[1], "-e") != 0 || password == nullptr) {
      std::fprintf(stderr, "sshpass: expected -e, a program and SSHPASS\n");
      return 2;
    }
    ::execvp(argv[2], argv + 2);
    std::fprintf(stderr, "sshpass: cannot run %s: %s\n", argv[2], std::strerror(errno));
    return 127;
  }

  struct sigaction action {};
  action.sa_handler = on_term;
  ::sigaction(SIGTERM, &action, nullptr);

  const char* mode_text = std::getenv("FAKE_SSH_MODE");
  const std::string mode = mode_text != nullptr ? mode_text : "listen";
  if (mode == "exit") {
    std::fprintf(stderr, "ssh: connect to host %s port 22: Connection refused\n", argc > 1 ? argv[1] : "?");
    return 255;
  }
  if (mode == "silent") {
    for (;;) {
      ::pause();
    }
  }

  const int port = forwarded_port(argc, argv);
  if (port <= 0) {
    std::fprintf(stderr, "ssh: no forwarding given\n");
    return 1;
  }
  int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 16) != 0) {
    std::fprintf(stderr, "ssh: cannot listen on port %d: %s\n", port, std::strerror(errno));
    return 1;
  }
  for (;;) {
    int peer = ::accept(listener, nullptr, nullptr);
    if (peer >= 0) {
      ::close(peer);
    }
  }
}
