#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tessin/contracts/data_reader.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {

// The one seam through which a database engine is reached. An implementation
// is an object (Core::Object) that also derives from this interface and
// overrides the operations it supports; the bodies here are what an operation
// it leaves alone gives: the failed value, without an error. Operations are
// declared in slot order.
//
// Engine errors come in the domain "SQLite" with the engine's own code and
// text; errors made up by a provider use the same domain and code -1. After a
// failed execution the provider stays open and usable. `in_worker` tells
// whether the call is made from a worker thread on behalf of an asynchronous
// operation; it does not change the result.
class TESSIN_API IProvider {
  TOLVANE_INTERFACE(IProvider)

  virtual ~IProvider();

  // Opens the database `server` describes (file, options, credentials);
  // `connection_string` is built from the profile by the caller and need not be
  // used. Opening an opened provider replaces its database.
  virtual Core::Status open(const ServerPtr& server, const std::string& connection_string);
  virtual void close();
  // All rows of a statement that yields a result set.
  virtual Core::Result<TableModelPtr> execute_model(const std::string& statement, bool in_worker);
  // Rows changed by a statement without rows; rows yielded by one with rows.
  virtual Core::Result<std::int64_t> execute_affect(const std::string& statement, bool in_worker);
  // The first column of the first row, or a ValueUInt64 of the rows changed.
  virtual Core::Result<ValueObjectPtr> execute_scalar(const std::string& statement, bool in_worker);
  // One element per statement of a script: a TableModel, or a value object
  // (ValueUInt64 with the change count, ValueError for a statement that failed).
  virtual Core::Result<std::vector<Core::ObjectPtr>> execute_statements(const std::string& statements, bool in_worker);
  // A forward-only reader standing on the first row.
  virtual Core::Result<std::shared_ptr<IDataReader>> execute_reader(const std::string& statement);
  // Starts a transaction unless one is open; true in both cases.
  virtual Core::Result<bool> transaction();
  // Both do nothing when no transaction is open.
  virtual Core::Status commit();
  virtual Core::Status rollback();
  // The "is-opened" property.
  virtual bool get_is_opened() const;
  // Asks the statement running on the database, if any, to stop; it then
  // fails as interrupted. Safe from any thread and from a signal handler (an
  // implementation takes no lock and allocates nothing). Nothing by default.
  virtual void interrupt() noexcept;
};

using IProviderPtr = std::shared_ptr<IProvider>;

}  // namespace Tolvane::Providers::Contracts
