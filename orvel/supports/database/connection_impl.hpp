#pragma once

#include <memory>
#include <mutex>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/supports/database/ssh_tunnel.hpp"

namespace Tolvane::Orvel::Supports::Database {

// The generic connection: forwards to its provider, adds logging, asynchronous
// execution and SSH tunnels. A dialect subclass gives it a provider and creates
// the dialect's collaborators.
class ORVEL_API ConnectionImpl : public Core::Object, public Contracts::Database::IConnection {
  TOLVANE_OBJECT(ConnectionImpl)

  ~ConnectionImpl() override;

  // The dialect's adapter, builder and explorer; none here.
  std::shared_ptr<Contracts::Database::IAdaptable> adapter() override;
  std::shared_ptr<Contracts::Database::IBuildable> builder() override;
  std::shared_ptr<Contracts::Database::IExplorable> explorer() override;
  std::shared_ptr<Contracts::Database::IInspectable> inspector() override;
  Contracts::Database::IStatementPtr statement() override;
  // Created on first request; the formatter is configured once.
  std::shared_ptr<Contracts::Database::IFormattable> formatter() override;
  std::shared_ptr<Contracts::Database::ICachable> cache() override;

  Core::Status open(const ServerPtr& server, const Core::ObjectPtr& tag) override;
  Core::Status reopen() override;
  void open_async(const ServerPtr& server, const Core::ObjectPtr& tag,
                  Contracts::Database::StatusCompletion done) override;
  void reopen_async(Contracts::Database::StatusCompletion done) override;
  // Closes an opened provider (and its SSH tunnel), clears the cache; never fails.
  void close() override;

  void execute_no_query_async(const std::string& sql, Contracts::Database::Completion<std::int64_t> done) override;
  Core::Result<std::int64_t> execute_no_query(const std::string& sql, bool in_worker) override;
  void execute_as_model_async(const std::string& sql, Contracts::Database::Completion<TableModelPtr> done) override;
  Core::Result<TableModelPtr> execute_as_model(const std::string& sql, bool in_worker) override;
  void execute_as_scalar_async(const std::string& sql, Contracts::Database::Completion<ValueObjectPtr> done) override;
  Core::Result<ValueObjectPtr> execute_as_scalar(const std::string& sql, bool in_worker) override;
  void execute_async(const std::string& statements, Contracts::Database::Completion<Results> done) override;
  Core::Result<Results> execute(const std::string& statements, bool in_worker) override;
  Core::Result<DataReaderPtr> execute_reader(const std::string& sql) override;
  Core::Result<bool> transaction() override;
  Core::Status rollback() override;
  Core::Status commit() override;

  // Reads the engine version after an open; nothing here.
  virtual Core::Status update_version();

  ServerPtr get_server() const override;
  Providers::Contracts::IProviderPtr get_provider() const override { return m_provider; }
  Contracts::Database::DBStatus get_status() const override { return m_status; }
  void set_status(Contracts::Database::DBStatus status) override;
  std::string get_version() const override;
  // The tag given to the last open, while somebody else keeps it alive.
  Core::ObjectPtr get_tag() const { return m_tag.lock(); }

  // How long an open over SSH waits for the tunnel's local port.
  void set_tunnel_timeout(std::chrono::milliseconds timeout) { m_tunnel_timeout = timeout; }
  // The running tunnel, if the connection is open over SSH.
  const SshTunnel* tunnel() const { return m_tunnel.get(); }

 protected:
  ConnectionImpl();

  void set_provider(Providers::Contracts::IProviderPtr provider) { m_provider = std::move(provider); }
  void set_version(std::string version);
  // The profile's uuid for the log, or null without a profile.
  std::string log_key() const;

  // Collaborators are made on first request, which may come from a worker
  // thread (an asynchronous open asks for the statement object).
  std::mutex m_collaborators_mutex;
  Contracts::Database::IStatementPtr m_statement;
  std::shared_ptr<Contracts::Database::IInspectable> m_inspector;
  std::shared_ptr<Contracts::Database::IAdaptable> m_adapter;
  std::shared_ptr<Contracts::Database::IBuildable> m_builder;
  std::shared_ptr<Contracts::Database::IExplorable> m_explorer;

 private:
  Core::Status open_stored();
  Core::Status open_real(const ServerPtr& server);
  Core::Status open_over_ssh(const ServerPtr& server, int log_line);
  Core::Status launch_ssh_tunnel(const ServerPtr& server);
  void open_stored_async(Contracts::Database::StatusCompletion done);

  // The stored profile and version are read from worker threads too.
  mutable std::mutex m_state_mutex;
  Contracts::Database::DBStatus m_status = Contracts::Database::DBStatus::Unknown;
  ServerPtr m_server;
  std::string m_version;
  // Kept for the caller and read nowhere; held without keeping the object alive.
  std::weak_ptr<Core::Object> m_tag;
  Providers::Contracts::IProviderPtr m_provider;
  std::shared_ptr<Contracts::Database::IFormattable> m_formatter;
  std::shared_ptr<Contracts::Database::ICachable> m_cache;
  std::unique_ptr<SshTunnel> m_tunnel;
  std::chrono::milliseconds m_tunnel_timeout{15000};
};

}  // namespace Tolvane::Orvel::Supports::Database
