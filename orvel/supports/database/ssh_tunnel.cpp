#include "orvel/supports/database/ssh_tunnel.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "tessin/contracts/server.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

constexpr const char* kDomain = "SSH";

bool port_accepts(unsigned port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

// What the process wrote to its standard error file from `offset` on.
std::string drain(int fd, off_t& offset) {
  std::string text;
  if (fd < 0) {
    return text;
  }
  char buffer[4096];
  for (;;) {
    ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n <= 0) {
      break;
    }
    offset += n;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

// An unnamed file for the process's standard error: unlike a pipe nobody reads
// after the open, it never fills up and blocks a talkative client.
int error_file() {
  gchar* name = nullptr;
  int fd = g_file_open_tmp("tolvane-ssh-XXXXXX", &name, nullptr);
  if (name != nullptr) {
    ::unlink(name);
    g_free(name);
  }
  return fd;
}

}  // namespace

Core::Result<SshTunnelCommand> build_ssh_tunnel_command(const Providers::Contracts::Server& server) {
  SshTunnelCommand command;
  command.local_port = static_cast<unsigned>(server.get_port()) + 10000U;
  if (command.local_port > 65535U) {
    return Core::fail(kDomain, -1,
                      std::string(Core::_("The local end of the SSH tunnel would be port ")) +
                          std::to_string(command.local_port) + Core::_(", outside the TCP port range (port ") +
                          std::to_string(server.get_port()) + " + 10000).");
  }
  const std::string forward =
      "127.0.0.1:" + std::to_string(command.local_port) + ":" + server.get_host() + ":" + std::to_string(server.get_port());
  const std::string& process = server.get_ssh_process();
  if (process.find("plink") != std::string::npos) {
    command.argv = {process, server.get_host(), "-P", std::to_string(server.get_ssh_port()), "-l",
                    server.get_ssh_username(), "-pw", server.get_ssh_password(), "-N", "-L", forward};
  } else {
    command.argv = {"sshpass", "-e", process, server.get_host(), "-p", std::to_string(server.get_ssh_port()), "-l",
                    server.get_ssh_username(), "-N", "-L", forward};
    command.environment.emplace_back("SSHPASS", server.get_ssh_password());
  }
  return command;
}

Core::Result<std::unique_ptr<SshTunnel>> SshTunnel::start(const SshTunnelCommand& command,
                                                          std::chrono::milliseconds timeout) {
  std::vector<char*> argv;
  argv.reserve(command.argv.size() + 1);
  for (const std::string& argument : command.argv) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  gchar** envp = g_get_environ();
  for (const auto& [name, value] : command.environment) {
    envp = g_environ_setenv(envp, name.c_str(), value.c_str(), TRUE);
  }

  GPid pid = 0;
  const int stderr_fd = error_file();
  GError* error = nullptr;
  const gboolean started = g_spawn_async_with_pipes_and_fds(
      nullptr, argv.data(), envp,
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL), nullptr,
      nullptr, -1, -1, stderr_fd, nullptr, nullptr, 0, &pid, nullptr, nullptr, nullptr, &error);
  g_strfreev(envp);
  if (started == FALSE) {
    if (stderr_fd >= 0) {
      ::close(stderr_fd);
    }
    return Core::fail(Core::Error::take_gerror(error));
  }
  std::unique_ptr<SshTunnel> tunnel(new SshTunnel(pid, stderr_fd, command.local_port));
  off_t read_so_far = 0;

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string diagnostics;
  for (;;) {
    if (port_accepts(command.local_port)) {
      return tunnel;
    }
    diagnostics += drain(stderr_fd, read_so_far);
    if (!tunnel->running()) {
      diagnostics += drain(stderr_fd, read_so_far);
      std::string message = std::string(Core::_("The SSH tunnel process \"")) + command.argv.front() +
                            Core::_("\" ended before the tunnel was open");
      return Core::fail(kDomain, -1, diagnostics.empty() ? message + "." : message + ": " + diagnostics);
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      tunnel->stop();
      return Core::fail(kDomain, -1,
                        std::string(Core::_("The SSH tunnel did not open local port ")) +
                            std::to_string(command.local_port) + Core::_(" in time") +
                            (diagnostics.empty() ? std::string(".") : ": " + diagnostics));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool SshTunnel::running() const {
  if (m_reaped) {
    return false;
  }
  int status = 0;
  pid_t result = ::waitpid(m_pid, &status, WNOHANG);
  if (result == m_pid) {
    m_reaped = true;
    return false;
  }
  return result == 0;
}

void SshTunnel::stop() {
  if (running()) {
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 20 && running(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (running()) {
      ::kill(m_pid, SIGKILL);
      int status = 0;
      ::waitpid(m_pid, &status, 0);
      m_reaped = true;
    }
  }
  if (m_stderr >= 0) {
    ::close(m_stderr);
    m_stderr = -1;
  }
  g_spawn_close_pid(m_pid);
}

SshTunnel::~SshTunnel() { stop(); }

}  // namespace Tolvane::Orvel::Supports::Database
