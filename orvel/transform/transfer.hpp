#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "orvel/contracts/thread/transform.hpp"
#include "orvel/transform/job_ends.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/transform/job_options.hpp"
#include "orvel/transform/transfer_rows.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Transform {

class Transfer;
using TransferPtr = std::shared_ptr<Transfer>;

// Copies the structure and the rows of a source database into a target
// database, both reached through open connections. The options choose the
// schemas, tables and views ("<kind>|<name>|MODE"), rename them (NAME), pick
// and rename columns (FIELDS "src=dst;..."), turn views into tables
// (VIEW2TABLE), restrict rows (RECORDS, conditions separated by ';') and set
// the page size (BATCH); "OPTION|RESULT|CONTINUE" and
// "OPTION|RESULT|DROP_OBJECT" decide what a failure does and whether the
// chosen objects are dropped in the target first.
//
// The job runs in three phases: the source's structure is read and trimmed to
// the selection, the target's objects are created statement by statement (in
// the target schema, with the declared column types), then each chosen table
// is emptied in the target and its rows are read once, forward, and inserted
// a page per transaction. Every step is reported through the `Progress`
// record; every SQL statement is run whole (a trigger body or a ';' inside a
// literal never cuts one).
//
// Threads: `handle` runs on the caller's worker thread and uses both
// connections synchronously; the host polls `progress()` from another thread
// (the record locks itself). `cancel` may be called from any thread.
class ORVEL_API Transfer final : public Core::Object, public JobEnds<Contracts::Thread::ITransform> {
  TOLVANE_OBJECT(Transfer)

  explicit Transfer(Options options);
  ~Transfer() override;
  static TransferPtr create(Options options) { return std::make_shared<Transfer>(std::move(options)); }

  // Nothing to prepare: options are read when the job runs.
  Core::Status initialize() override;
  void handle() override;


  // Stops the running job: the statements running on both connections are
  // interrupted and no further step starts, whatever continuing says. What
  // was committed stays.
  void cancel();
  // The failure that ended the last run, when one did.
  std::optional<Core::Error> broken() const;
  // Rows inserted into the target by the last run.
  std::int64_t rows_copied() const { return m_rows.load(std::memory_order_relaxed); }

 private:
  using MetaDatabasePtr = MetaModel::MetaDatabasePtr;

  Core::Result<MetaDatabasePtr> load_meta_data();
  Core::Status transfer_structure(MetaModel::MetaDatabase& database);
  void transfer_structure_trim(MetaModel::MetaDatabase& database);
  void transfer_structure_trim_table(MetaModel::MetaSchema& schema, std::size_t index);
  void transfer_structure_trim_view(MetaModel::MetaSchema& schema, std::size_t index);
  // The columns the view yields, with their declared types, from the source.
  std::vector<MetaModel::MetaColumnPtr> view_columns(const MetaModel::MetaView& view);
  Core::Status do_restructure(MetaModel::MetaDatabase& database);
  // Runs each statement of `text` on the target as one step; CREATE INDEX
  // and CREATE TRIGGER statements wait in `m_deferred` when `defer` is set.
  Core::Status run_pieces(const std::string& text, const char* what, bool defer);
  Core::Status transfer_user_data(MetaModel::MetaDatabase& database);
  Core::Status transfer_userdata_table(const MetaModel::MetaTable& table, const std::string& target_schema);
  // Carries the source's AUTOINCREMENT counter over to the target table, so
  // no number the source handed out is handed out again.
  Core::Status keep_counter(const MetaModel::MetaTable& table, const RowTarget& where);
  Core::Status copy_rows(const MetaModel::MetaTable& table, const std::string& filter, const std::string& columns,
                         RowCopy& copy);

  // A failed step: counted and queued. Gives the error back to be passed on
  // when the job stops at failures (or was cancelled), and success otherwise.
  Core::Status failed(std::string line, Core::Error error);
  void succeeded(std::string_view text = {});
  std::chrono::microseconds elapsed() const;
  bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

  const JobOptions m_options;
  // Read once at the start of `handle`.
  bool m_continue = false;
  std::chrono::steady_clock::time_point m_started;
  std::atomic<bool> m_cancelled{false};
  std::atomic<std::int64_t> m_rows{0};
  // The CREATE INDEX and CREATE TRIGGER statements of the structure, run
  // after the rows.
  std::string m_deferred;

  // Guards `m_copy` and `m_broken`.
  mutable std::mutex m_mutex;
  // The copy running now, for `cancel`.
  RowCopy* m_copy = nullptr;
  std::optional<Core::Error> m_broken;
};

}  // namespace Tolvane::Orvel::Transform
