#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/supports/database/ssh_tunnel.hpp"

namespace Tolvane::Orvel::Supports::Database {

// The generic connection: forwards to its provider, adds logging, asynchronous
// execution and SSH tunnels. A dialect subclass gives it a provider and creates
// the dialect's collaborators.
//
// Threads: synchronous calls may come from any thread; the provider keeps
// calls on one handle apart. Asynchronous operations are counted while their
// provider call runs (`Flight`); `close`, `open` and `reopen` (and their
// asynchronous forms, before they start) interrupt the running statement and
// wait until that count is zero, refusing operations that have not reached
// the provider yet, so the handle is never replaced or closed under a running
// call. Opens must not overlap one another. A connection is destroyed only
// after its last operation completed, since each operation holds it.
class ORVEL_API ConnectionImpl : public Core::Object, public Contracts::Database::IConnection {
  TOLVANE_OBJECT(ConnectionImpl)

  ~ConnectionImpl() override;

  // One asynchronous operation, counted from its start (on the caller's
  // thread) until its provider call has returned (on its worker thread).
  class ORVEL_API Flight {
   public:
    explicit Flight(ConnectionImpl& connection);
    ~Flight();
    Flight(const Flight&) = delete;
    Flight& operator=(const Flight&) = delete;

    // Whether a close or reopen is stopping work: the operation must not
    // reach the provider then.
    bool refused() const;

   private:
    ConnectionImpl& m_connection;
  };

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
  // Stops asynchronous work in flight, then closes an opened provider (and
  // its SSH tunnel) and clears the cache; never fails.
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
  void interrupt() override;

  // Reads the engine version after an open; nothing here.
  virtual Core::Status update_version();

  ServerPtr get_server() const override;
  Providers::Contracts::IProviderPtr get_provider() const override { return m_provider; }
  Contracts::Database::DBStatus get_status() const override;
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
  // Stops work in flight, opens the stored profile, emits `opened` on success.
  Core::Status open_after_quiet();
  Core::Status open_real(const ServerPtr& server);
  Core::Status open_over_ssh(const ServerPtr& server, int log_line);
  Core::Status launch_ssh_tunnel(const ServerPtr& server);
  void open_stored_async(Contracts::Database::StatusCompletion done);
  // Interrupts and waits until no asynchronous operation is in its provider
  // call; operations that start meanwhile are refused. `end_quiet` lets them
  // through again.
  void quiesce();
  void end_quiet();

  // Set by the dialect's constructor, then only read.
  Providers::Contracts::IProviderPtr m_provider;

  // The status, profile and version are read from worker threads too.
  mutable std::mutex m_state_mutex;
  // Guarded by m_state_mutex: m_status, m_server, m_version.
  Contracts::Database::DBStatus m_status = Contracts::Database::DBStatus::Unknown;
  ServerPtr m_server;
  std::string m_version;

  // Guarded by m_collaborators_mutex (with m_statement and m_inspector above).
  std::shared_ptr<Contracts::Database::IFormattable> m_formatter;
  std::shared_ptr<Contracts::Database::ICachable> m_cache;

  std::mutex m_flight_mutex;
  std::condition_variable m_flight_landed;
  // Guarded by m_flight_mutex: operations in their provider call, and how
  // many closes or reopens are stopping work.
  int m_in_flight = 0;
  int m_quieting = 0;

  // Written by the opens and close only, which never overlap (they quiesce
  // first, and opens must not overlap one another).
  std::weak_ptr<Core::Object> m_tag;  // kept for the caller and read nowhere
  std::unique_ptr<SshTunnel> m_tunnel;
  std::chrono::milliseconds m_tunnel_timeout{15000};
};

}  // namespace Tolvane::Orvel::Supports::Database
