#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <glib.h>

#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {
class Server;
}

namespace Tolvane::Orvel::Supports::Database {

// How a tunnel process is started: its argument vector and the extra
// environment of the child. The password travels in the environment (SSHPASS)
// for sshpass, never on a command line; only plink offers no other way than
// its "-pw" argument.
struct SshTunnelCommand {
  std::vector<std::string> argv;
  std::vector<std::pair<std::string, std::string>> environment;
  unsigned local_port = 0;
};

// The command for a profile: "<ssh-process> <host> -P <ssh-port> -l <user> -pw <password> -N -L ..."
// when the process name contains "plink", otherwise
// "sshpass -e <ssh-process> <host> -p <ssh-port> -l <user> -N -L ..." with SSHPASS set.
// The forwarding is 127.0.0.1:<port + 10000> to <host>:<port>; a sum beyond the
// TCP port range is an error.
ORVEL_API Core::Result<SshTunnelCommand> build_ssh_tunnel_command(const Providers::Contracts::Server& server);

// A running SSH tunnel process. It runs for as long as this object lives; the
// destructor (or stop) ends it.
class ORVEL_API SshTunnel {
 public:
  ~SshTunnel();
  SshTunnel(const SshTunnel&) = delete;
  SshTunnel& operator=(const SshTunnel&) = delete;

  // Starts the command and waits until 127.0.0.1:<local port> accepts a TCP
  // connection. Fails when the program cannot be started, when it exits first
  // (with what it wrote to standard error), or when the port does not open
  // within `timeout`; a started process is ended again on failure.
  static Core::Result<std::unique_ptr<SshTunnel>> start(const SshTunnelCommand& command,
                                                        std::chrono::milliseconds timeout);

  unsigned local_port() const noexcept { return m_local_port; }
  GPid pid() const noexcept { return m_pid; }
  bool running() const;
  // Ends the process: SIGTERM, then SIGKILL if it does not go within a second.
  void stop();

 private:
  SshTunnel(GPid pid, int stderr_fd, unsigned local_port) : m_pid(pid), m_stderr(stderr_fd), m_local_port(local_port) {}

  GPid m_pid;
  int m_stderr;
  unsigned m_local_port;
  mutable bool m_reaped = false;
};

}  // namespace Tolvane::Orvel::Supports::Database
