#pragma once

#include <atomic>
#include <memory>

#include "tessin/contracts/provider.hpp"
#include "tessin/supports/sqlite/reader.hpp"
#include "tessin/supports/sqlite/sqlite_error.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace Tolvane::Providers::Supports {

class SQLiteProvider;
using SQLiteProviderPtr = std::shared_ptr<SQLiteProvider>;

// The provider over SQLite3 Multiple Ciphers: one database file per instance,
// opened with the encryption key of the profile's options ("PASSWORD=<key>")
// and its user name and password. Values are made by the storage class of each
// cell.
//
// Several threads may call one provider at once: the engine runs in serialized
// mode and serialises the calls on the handle, so the provider takes no lock of
// its own. Opening and closing must not race with other calls.
class TESSIN_API SQLiteProvider final : public Core::Object, public Contracts::IProvider, public ISQLiteError {
  TOLVANE_OBJECT(SQLiteProvider)

  SQLiteProvider();
  ~SQLiteProvider() override;
  static SQLiteProviderPtr create() { return std::make_shared<SQLiteProvider>(); }

  Core::Status open(const Contracts::ServerPtr& server, const std::string& connection_string) override;
  void close() override;
  Core::Result<Contracts::TableModelPtr> execute_model(const std::string& statement, bool in_worker) override;
  Core::Result<std::int64_t> execute_affect(const std::string& statement, bool in_worker) override;
  Core::Result<Contracts::ValueObjectPtr> execute_scalar(const std::string& statement, bool in_worker) override;
  Core::Result<std::vector<Core::ObjectPtr>> execute_statements(const std::string& statements,
                                                                bool in_worker) override;
  Core::Result<std::shared_ptr<Contracts::IDataReader>> execute_reader(const std::string& statement) override;
  Core::Result<bool> transaction() override;
  Core::Status commit() override;
  Core::Status rollback() override;
  bool get_is_opened() const override { return m_is_opened.load(std::memory_order_acquire); }

  // The database handle, or null before the first open and after close.
  sqlite3* get_engine() const noexcept { return m_engine; }

  // The encryption key the options carry: the text after the '=' of the first
  // piece (split at ',', ';' and ' ') holding "PASSWORD=" (case-sensitive);
  // empty when there is none.
  static std::string key_of(const std::string& options);

 private:
  struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

  // Prepares the first statement of `text` and steps it once.
  Core::Result<Statement> prepare_and_step(const std::string& text, int& step_code);
  // A table model of every row of `statement`, already stepped once.
  Core::Result<Contracts::TableModelPtr> fill(sqlite3_stmt* statement);
  Core::Status run(const char* sql);

  std::atomic<bool> m_is_opened{false};
  sqlite3* m_engine = nullptr;
};

}  // namespace Tolvane::Providers::Supports
