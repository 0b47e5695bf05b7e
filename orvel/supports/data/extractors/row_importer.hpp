#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <string>

#include "orvel/supports/data/extractors/base_extractor.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// The row-import protocol: what one record does to the target table, by the
// "ACTION" option.
//
//   "append", "replace"  INSERT
//   "update"             UPDATE keyed on the imported primary-key columns
//   "merge"              UPDATE, and INSERT when it changed no row
//   "delete"             DELETE keyed on the imported primary-key columns
//   anything else        nothing (the record counts as done)
//
// A record for UPDATE, merge or DELETE that carries none of the table's
// primary-key columns is refused as a failed record: without a key the
// statement would change or delete every row of the table.
//
// Two ways to run: `import_async` runs each statement on its own, one after
// another, through the connection's asynchronous execution (the designed
// mode: the statements of BaseExtractor's builders, each in its own
// transaction); `import_now` runs it on the calling thread, for the fast mode,
// which puts a whole import into one transaction on one worker thread. The
// fast mode works out the column mapping and the statements' fixed text once
// per set of source names and sends each statement to the provider directly (the connection's two log
// lines per statement would cost more than the statement).
class ORVEL_API RowImporter {
 public:
  enum class Action { None, Insert, Update, Merge, Delete };

  RowImporter(BaseExtractor& extractor, std::shared_ptr<Contracts::Database::IConnection> connection,
              std::shared_ptr<MetaModel::MetaTable> table);

  static Action action_of(std::string_view option);
  Action action() const noexcept { return m_action; }

  // Completes with the affected-row count of the last statement (0 when none
  // ran), or the error.
  // `texts` as in BaseExtractor::prepare_values.
  void import_async(const Names& names, const Names& values, const Blanks* texts,
                    std::function<void(Core::Result<std::int64_t>)> done);
  Core::Result<std::int64_t> import_now(const Names& names, const Names& values, const Blanks* texts);

  // The fast mode's inserts in batches: the values of one record as a tuple
  // "(1, 'x')", and one INSERT of several tuples, all of records with the
  // same source names as the last tuple's. A failing multi-row INSERT stores
  // none of its rows.
  std::string insert_tuple(const Names& names, const Names& values, const Blanks* texts);
  Core::Result<std::int64_t> insert_tuples(std::span<const std::string_view> tuples);

  // The fast mode's transaction: opened before the first record, committed
  // after the last. A record that fails is undone on its own by the engine (a
  // failing statement changes nothing); when a failure rolls back the whole
  // transaction (a full disk, ON CONFLICT ROLLBACK), `check_after_failure`
  // reports it and the import ends with nothing stored.
  Core::Status begin_transaction();
  Core::Status check_after_failure();
  Core::Status commit_transaction();
  void rollback_transaction();

 private:
  // What the fast mode works out once per import: the columns fed, in
  // table order, and the fixed parts of its statements.
  struct Plan {
    Names names;  // the source names it was made for
    std::vector<BaseExtractor::Mapping> mappings;
    std::string table;        // schema-qualified
    std::string insert_head;  // "INSERT INTO t(a, b) VALUES"
    bool has_key = false;
  };

  Core::Error no_key_error() const;
  Core::Result<std::int64_t> run_now(const std::string& sql);
  const Plan& plan(const Names& names);
  std::string literal(const BaseExtractor::Mapping& mapping, const Names& values, const Blanks* texts) const;
  // "a=1, b='x'" over the mappings (keys only, joined by " AND ", for WHERE).
  std::string assignments(const Names& values, const Blanks* texts, bool keys) const;

  BaseExtractor& m_extractor;
  std::shared_ptr<Contracts::Database::IConnection> m_connection;
  std::shared_ptr<MetaModel::MetaTable> m_table;
  Action m_action;
  std::optional<Plan> m_plan;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
