#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/signal.h>

#include "orvel/contracts/database/db_status.hpp"
#include "orvel/contracts/database/statement.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_reader.hpp"
#include "tessin/contracts/provider.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Database {

class IInspectable;
class IFormattable;
class ICachable;
class IAdaptable;
class IBuildable;
class IExplorable;

template <class T>
using Completion = std::function<void(Core::Result<T>)>;
using StatusCompletion = std::function<void(Core::Status)>;

// The core library's handle on one opened database: opens a profile directly or
// through an SSH tunnel, runs SQL synchronously or on a worker thread, keeps its
// status and hands out its per-connection collaborators.
//
// Asynchronous operations start one thread each, run the provider call there
// and complete on the default main context; the completion runs in the
// caller's thread-default main context of the moment the operation started.
// A failure reaches the completion as an error of the "default" domain with the
// provider's code and message.
//
// Closing (and opening again) with asynchronous work in flight first stops
// that work: the running statement is interrupted, operations that have not
// reached the provider yet are refused, and the close waits until every
// provider call has returned. Their completions report "interrupted" (code 9)
// or "The connection is closed." (code -1).
class ORVEL_API IConnection {
  TOLVANE_INTERFACE(IConnection)

  using ServerPtr = Providers::Contracts::ServerPtr;
  using TableModelPtr = Providers::Contracts::TableModelPtr;
  using ValueObjectPtr = Providers::Contracts::ValueObjectPtr;
  using DataReaderPtr = std::shared_ptr<Providers::Contracts::IDataReader>;
  using Results = std::vector<Core::ObjectPtr>;
  using Signal = sigc::signal<void(IConnection&)>;

  virtual ~IConnection();

  virtual std::shared_ptr<IAdaptable> adapter() = 0;
  virtual std::shared_ptr<IBuildable> builder() = 0;
  virtual std::shared_ptr<IExplorable> explorer() = 0;
  virtual std::shared_ptr<IInspectable> inspector() = 0;
  virtual IStatementPtr statement() = 0;
  virtual std::shared_ptr<IFormattable> formatter() = 0;
  virtual std::shared_ptr<ICachable> cache() = 0;

  // `tag` is kept for the caller and read nowhere.
  virtual Core::Status open(const ServerPtr& server, const Core::ObjectPtr& tag) = 0;
  virtual Core::Status reopen() = 0;
  virtual void open_async(const ServerPtr& server, const Core::ObjectPtr& tag, StatusCompletion done) = 0;
  virtual void reopen_async(StatusCompletion done) = 0;
  virtual void close() = 0;

  virtual void execute_no_query_async(const std::string& sql, Completion<std::int64_t> done) = 0;
  virtual Core::Result<std::int64_t> execute_no_query(const std::string& sql, bool in_worker) = 0;
  virtual void execute_as_model_async(const std::string& sql, Completion<TableModelPtr> done) = 0;
  virtual Core::Result<TableModelPtr> execute_as_model(const std::string& sql, bool in_worker) = 0;
  virtual void execute_as_scalar_async(const std::string& sql, Completion<ValueObjectPtr> done) = 0;
  virtual Core::Result<ValueObjectPtr> execute_as_scalar(const std::string& sql, bool in_worker) = 0;
  // One result per statement: a TableModel, or a value (the change count, or a
  // ValueError for a statement that failed).
  virtual void execute_async(const std::string& statements, Completion<Results> done) = 0;
  virtual Core::Result<Results> execute(const std::string& statements, bool in_worker) = 0;
  virtual Core::Result<DataReaderPtr> execute_reader(const std::string& sql) = 0;
  virtual Core::Result<bool> transaction() = 0;
  virtual Core::Status rollback() = 0;
  virtual Core::Status commit() = 0;
  // Stops the statement running on the database (the provider's interrupt):
  // safe from any thread and from a signal handler.
  virtual void interrupt() = 0;

  virtual ServerPtr get_server() const = 0;
  virtual Providers::Contracts::IProviderPtr get_provider() const = 0;
  virtual DBStatus get_status() const = 0;
  virtual void set_status(DBStatus status) = 0;
  virtual std::string get_version() const = 0;

  // After an open or reopen finished without error.
  Signal& signal_opened() { return m_opened; }
  // After a close of an opened provider.
  Signal& signal_closed() { return m_closed; }

 protected:
  IConnection() = default;

  Signal m_opened;
  Signal m_closed;
};

using IConnectionPtr = std::shared_ptr<IConnection>;

}  // namespace Tolvane::Orvel::Contracts::Database
