#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "orvel/supports/database/ssh_tunnel.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using Contracts::Database::DBStatus;
using Strings = std::vector<std::string>;

Providers::Contracts::ServerPtr tunnel_profile(const std::string& process, std::uint16_t port) {
  auto server = Providers::Contracts::Server::create();
  server->set_host("db.example");
  server->set_port(port);
  server->set_ssh_using(true);
  server->set_ssh_process(process);
  server->set_ssh_port(2222);
  server->set_ssh_username("alice");
  server->set_ssh_password("s3cret word");
  // Not part of the command: the SSH server is the profile's host.
  server->set_ssh_host("jump.example");
  server->set_ssh_key_private_file("/home/alice/.ssh/id_ed25519");
  return server;
}

TEST(SshTunnelCommand, SshpassCarriesThePasswordInTheEnvironmentOnly) {
  auto command = build_ssh_tunnel_command(*tunnel_profile("ssh", 3306));
  ASSERT_TRUE(command.has_value()) << command.error().message;
  EXPECT_EQ(command->argv, (Strings{"sshpass", "-e", "ssh", "db.example", "-p", "2222", "-l", "alice", "-N", "-L",
                                    "127.0.0.1:13306:db.example:3306"}));
  EXPECT_EQ(command->environment, (std::vector<std::pair<std::string, std::string>>{{"SSHPASS", "s3cret word"}}));
  EXPECT_EQ(command->local_port, 13306u);
  for (const std::string& argument : command->argv) {
    EXPECT_EQ(argument.find("s3cret"), std::string::npos) << argument;
  }
}

TEST(SshTunnelCommand, PlinkTakesThePasswordAsAnArgument) {
  auto command = build_ssh_tunnel_command(*tunnel_profile("/opt/putty/plink", 5432));
  ASSERT_TRUE(command.has_value()) << command.error().message;
  EXPECT_EQ(command->argv, (Strings{"/opt/putty/plink", "db.example", "-P", "2222", "-l", "alice", "-pw", "s3cret word",
                                    "-N", "-L", "127.0.0.1:15432:db.example:5432"}));
  EXPECT_TRUE(command->environment.empty());
  EXPECT_EQ(command->local_port, 15432u);
}

TEST(SshTunnelCommand, TheLocalPortMustBeATcpPort) {
  auto highest = build_ssh_tunnel_command(*tunnel_profile("ssh", 55535));
  ASSERT_TRUE(highest.has_value());
  EXPECT_EQ(highest->argv.back(), "127.0.0.1:65535:db.example:55535");

  auto beyond = build_ssh_tunnel_command(*tunnel_profile("ssh", 60000));
  ASSERT_FALSE(beyond.has_value());
  EXPECT_NE(beyond.error().message.find("70000"), std::string::npos) << beyond.error().message;
  EXPECT_NE(beyond.error().message.find("60000"), std::string::npos) << beyond.error().message;
}

// A loopback port nobody listens on right now, at least 10000 so the profile's
// port (10000 below it) is valid.
unsigned free_local_port() {
  for (;;) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    const unsigned port = ntohs(address.sin_port);
    if (port > 10000) {
      return port;
    }
  }
}

bool process_gone(GPid pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

// The stand-in program plays ssh (and sshpass, through a link of that name on
// PATH); what it was started with lands in a record file.
class SshTunnelTest : public ConnectionTest {
 protected:
  void SetUp() override {
    const char* path = g_getenv("PATH");
    m_saved_path = path != nullptr ? std::optional<std::string>(path) : std::nullopt;
    std::filesystem::create_directory(m_bin);
    std::filesystem::create_symlink(TOLVANE_FAKE_SSH, m_bin + "/sshpass");
    std::filesystem::create_symlink(TOLVANE_FAKE_SSH, m_bin + "/ssh");
    g_setenv("PATH", (m_bin + ":" + m_saved_path.value_or("/usr/bin:/bin")).c_str(), TRUE);
    g_setenv("FAKE_SSH_RECORD", m_record.c_str(), TRUE);
    g_unsetenv("FAKE_SSH_MODE");
  }

  void TearDown() override {
    if (m_saved_path) {
      g_setenv("PATH", m_saved_path->c_str(), TRUE);
    } else {
      g_unsetenv("PATH");
    }
    g_unsetenv("FAKE_SSH_RECORD");
    g_unsetenv("FAKE_SSH_MODE");
  }

  // A profile for a database file reached over the stand-in tunnel.
  Providers::Contracts::ServerPtr ssh_profile(const std::string& name) {
    m_local_port = free_local_port();
    auto server = tunnel_profile("ssh", static_cast<std::uint16_t>(m_local_port - 10000));
    auto file = profile(name);
    server->set_uuid(file->get_uuid());
    server->set_provider(file->get_provider());
    server->set_filename(file->get_filename());
    return server;
  }

  std::string forwarding() const {
    return "127.0.0.1:" + std::to_string(m_local_port) + ":db.example:" + std::to_string(m_local_port - 10000);
  }

  // The record's lines.
  Strings record() const {
    Strings lines;
    std::string text = Tolvane::Testing::read_text(m_record);
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

  static std::string joined(const Strings& parts) {
    std::string text;
    for (const std::string& part : parts) {
      text += text.empty() ? part : "\t" + part;
    }
    return text;
  }

  std::string m_bin = m_dir.file("bin");
  std::string m_record = m_dir.file("record.txt");
  unsigned m_local_port = 0;
  std::optional<std::string> m_saved_path;
};

TEST_F(SshTunnelTest, AnOpenOverSshRunsTheTunnelUntilClose) {
  auto connection = SQLiteConnection::create();
  auto server = ssh_profile("tunnelled.db");
  ASSERT_TRUE(connection->open(server, nullptr)) << "see the record: " << joined(record());
  EXPECT_EQ(connection->get_status(), DBStatus::Opened);
  // The connection keeps the caller's profile; only the clone it opened points
  // at the local end.
  EXPECT_EQ(connection->get_server(), server);
  EXPECT_EQ(server->get_host(), "db.example");

  const SshTunnel* tunnel = connection->tunnel();
  ASSERT_NE(tunnel, nullptr);
  EXPECT_TRUE(tunnel->running());
  EXPECT_EQ(tunnel->local_port(), m_local_port);
  const GPid pid = tunnel->pid();

  // sshpass ran the client with the password in its environment, never in argv.
  const Strings seen = record();
  ASSERT_EQ(seen.size(), 4u) << joined(seen);
  EXPECT_EQ(seen[0], joined({"sshpass", "-e", "ssh", "db.example", "-p", "2222", "-l", "alice", "-N", "-L",
                             forwarding()}));
  EXPECT_EQ(seen[1], "SSHPASS=s3cret word");
  EXPECT_EQ(seen[2], joined({"ssh", "db.example", "-p", "2222", "-l", "alice", "-N", "-L", forwarding()}));
  EXPECT_EQ(seen[3], "SSHPASS=s3cret word");
  EXPECT_EQ(seen[0].find("s3cret"), std::string::npos);
  EXPECT_EQ(seen[2].find("s3cret"), std::string::npos);

  // The provider opened the file.
  ASSERT_TRUE(connection->execute_no_query("CREATE TABLE t(a)", false));
  EXPECT_TRUE(std::filesystem::exists(server->get_filename()));

  const std::string log = main_log();
  EXPECT_NE(log.find("Lauch ssh tunnel successfully."), std::string::npos);
  EXPECT_EQ(log.find("s3cret"), std::string::npos);

  connection->close();
  EXPECT_EQ(connection->tunnel(), nullptr);
  EXPECT_TRUE(process_gone(pid));
  EXPECT_EQ(record().back(), "terminated");

  // A reopen starts a tunnel again.
  ASSERT_TRUE(connection->reopen());
  ASSERT_NE(connection->tunnel(), nullptr);
  EXPECT_TRUE(connection->tunnel()->running());
  connection->close();
}

TEST_F(SshTunnelTest, TheTunnelEndsWithTheConnection) {
  auto connection = SQLiteConnection::create();
  ASSERT_TRUE(connection->open(ssh_profile("dropped.db"), nullptr));
  ASSERT_NE(connection->tunnel(), nullptr);
  const GPid pid = connection->tunnel()->pid();
  connection.reset();
  EXPECT_TRUE(process_gone(pid));
  EXPECT_EQ(record().back(), "terminated");
}

TEST_F(SshTunnelTest, AProgramThatExitsAtOnceGivesWhatItSaid) {
  g_setenv("FAKE_SSH_MODE", "exit", TRUE);
  auto connection = SQLiteConnection::create();
  auto opened = connection->open(ssh_profile("refused.db"), nullptr);
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error().domain, "SSH");
  EXPECT_EQ(opened.error().message,
            "The SSH tunnel process \"sshpass\" ended before the tunnel was open: ssh: connect to host db.example port "
            "22: Connection refused");
  EXPECT_EQ(connection->tunnel(), nullptr);
  EXPECT_NE(connection->get_status(), DBStatus::Opened);
  EXPECT_NE(main_log().find("Failed to lauch ssh tunnel."), std::string::npos);
}

TEST_F(SshTunnelTest, APortThatNeverOpensTimesOut) {
  g_setenv("FAKE_SSH_MODE", "silent", TRUE);
  auto connection = SQLiteConnection::create();
  connection->set_tunnel_timeout(std::chrono::milliseconds(300));
  auto opened = connection->open(ssh_profile("silent.db"), nullptr);
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error().domain, "SSH");
  EXPECT_EQ(opened.error().message,
            "The SSH tunnel did not open local port " + std::to_string(m_local_port) + " in time.");
  // The process that never opened the port was ended.
  EXPECT_EQ(record().back(), "terminated");
  EXPECT_EQ(connection->tunnel(), nullptr);
}

TEST_F(SshTunnelTest, AMissingProgramGivesTheSpawnError) {
  const std::string empty = m_dir.file("empty");
  std::filesystem::create_directory(empty);
  g_setenv("PATH", empty.c_str(), TRUE);
  auto connection = SQLiteConnection::create();
  auto opened = connection->open(ssh_profile("missing.db"), nullptr);
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error().domain, "g-exec-error-quark");
  EXPECT_NE(opened.error().message.find("sshpass"), std::string::npos) << opened.error().message;
  EXPECT_TRUE(record().empty());
}

TEST_F(SshTunnelTest, AsynchronousOpensOverSsh) {
  auto connection = SQLiteConnection::create();
  int opened_signals = 0;
  connection->signal_opened().connect([&](Contracts::Database::IConnection&) { ++opened_signals; });
  std::optional<Core::Status> opened;
  connection->open_async(ssh_profile("async.db"), nullptr, [&](Core::Status status) { opened = std::move(status); });
  ASSERT_TRUE(Host::run_until([&] { return opened.has_value(); }, 20000));
  ASSERT_TRUE(opened->has_value()) << opened->error().message;
  EXPECT_EQ(opened_signals, 1);
  ASSERT_NE(connection->tunnel(), nullptr);
  const GPid pid = connection->tunnel()->pid();
  connection->close();
  EXPECT_TRUE(process_gone(pid));

  g_setenv("FAKE_SSH_MODE", "exit", TRUE);
  std::optional<Core::Status> refused;
  connection->reopen_async([&](Core::Status status) { refused = std::move(status); });
  ASSERT_TRUE(Host::run_until([&] { return refused.has_value(); }, 20000));
  ASSERT_FALSE(refused->has_value());
  EXPECT_EQ(refused->error().domain, "default");
  EXPECT_EQ(refused->error().code, -1);
  EXPECT_NE(refused->error().message.find("Connection refused"), std::string::npos);
  EXPECT_NE(main_log().find("Failed to open connection over ssh: -1 -> The SSH tunnel process"), std::string::npos);
  EXPECT_EQ(opened_signals, 1);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
