#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "orvel/contracts/data/importer.hpp"
#include "orvel/supports/data/extractors/base_extractor.hpp"
#include "orvel/supports/data/extractors/row_importer.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// The records of one import, one after another, as a format reads them.
class ORVEL_API RecordSource {
 public:
  enum class Read {
    End,      // no more records
    Skipped,  // nothing to import or count (a header, a blank line)
    Refused,  // a record that cannot be imported; `refusal` says why
    Record,   // a record to import
  };

  virtual ~RecordSource();
  virtual Core::Result<Read> next() = 0;

  // Of the record just read: its source names, values, which blank values
  // are texts (null: a blank value is NULL), the line where it starts (0
  // when not known) and, for a refused record, why.
  virtual const Names& names() const = 0;
  virtual const Names& values() const = 0;
  virtual const Blanks* texts() const = 0;
  virtual std::int64_t line() const = 0;
  virtual const std::string& refusal() const = 0;

  // Records read so far by the format's own count, and bytes of input
  // consumed.
  virtual std::int64_t counter() const = 0;
  virtual std::uint64_t consumed() const = 0;
  // Logs a record that failed; by default "create row failed:%d -> %s" with
  // the counter.
  virtual void log_failure(const std::string& message) const;
};

// One import of records into a table: reads each record, stores it through
// the row-import protocol, reports it to the extractor's import observer and
// completes with the count its format defines.
//
// The designed mode runs one statement at a time through the connection's
// asynchronous execution, reading the next record only when the previous one
// has completed. The fast mode ("FAST_IMPORT" "true") runs the whole import
// in one transaction on one worker thread; inserts go in multi-row batches,
// and a batch that fails is run again record by record, so each failing
// record is still found and reported. A failed record is skipped when the
// extractor continues on errors, and ends the import otherwise (in the fast
// mode with nothing stored).
//
// Lives until its completion has run: every step holds it. The observer and
// the after-record hook are called on the worker thread in the fast mode.
class ORVEL_API RecordImport : public std::enable_shared_from_this<RecordImport> {
 public:
  // What the import completes with.
  enum class Count {
    Imported,   // records stored
    Affected,   // rows the statements changed
    Processed,  // records handled, failed ones included
  };
  // Called after each record that ran (stored or failed) with the records
  // handled and the rows changed so far.
  using AfterRecord = std::function<void(std::int64_t handled, std::int64_t affected)>;

  RecordImport(std::shared_ptr<BaseExtractor> owner, std::unique_ptr<RecordSource> source,
               std::shared_ptr<Contracts::Database::IConnection> connection,
               std::shared_ptr<MetaModel::MetaTable> table, Count count, Contracts::Data::CountCompletion done);

  void set_after_record(AfterRecord after) { m_after = std::move(after); }

  // Starts the import in the mode the owner's options choose; the completion
  // runs from the caller's thread-default main context.
  void start();

 private:
  // Records of one multi-row INSERT.
  static constexpr std::size_t kBatchRecords = 256;
  struct Pending {
    std::string tuple;  // "(1, 'x')"
    std::int64_t line;
    std::int64_t record;
  };

  void step();
  Core::Result<std::int64_t> run_now();
  void finish(Core::Result<std::int64_t> result);
  std::unexpected<Core::Error> stop(Core::Error error);
  bool run_one(const Core::Result<std::int64_t>& outcome, std::int64_t line, std::int64_t record);
  bool flush();
  void report_failure(const std::string& message, std::int64_t line, std::int64_t record);
  void notify();
  bool settle(const Core::Result<std::int64_t>& outcome, std::int64_t line, std::int64_t record);
  std::int64_t result() const;

  std::shared_ptr<BaseExtractor> m_owner;
  std::unique_ptr<RecordSource> m_source;
  RowImporter m_rows;
  Contracts::Data::CountCompletion m_done;
  AfterRecord m_after;
  const Count m_count;
  std::int64_t m_read = 0;  // records read (refused ones among them)
  std::int64_t m_imported = 0;
  std::int64_t m_failed = 0;
  std::int64_t m_affected = 0;
  Core::Error m_stop_error;
  std::vector<Pending> m_batch;
  Names m_batch_names;  // the source names of the records in m_batch
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
