#include "orvel/supports/data/extractors/record_import.hpp"

#include "orvel/foundation/logging_service.hpp"
#include "tessin/core/main_context.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Foundation::LoggingService;

RecordSource::~RecordSource() = default;

void RecordSource::log_failure(const std::string& message) const {
  LoggingService::error(nullptr, "create row failed:%d -> %s", static_cast<int>(counter()), message.c_str());
}

RecordImport::RecordImport(std::shared_ptr<BaseExtractor> owner, std::unique_ptr<RecordSource> source,
                           std::shared_ptr<Contracts::Database::IConnection> connection,
                           std::shared_ptr<MetaModel::MetaTable> table, Count count,
                           Contracts::Data::CountCompletion done)
    : m_owner(std::move(owner)),
      m_source(std::move(source)),
      m_rows(*m_owner, std::move(connection), std::move(table)),
      m_done(std::move(done)),
      m_count(count) {}

void RecordImport::start() {
  auto self = shared_from_this();
  if (!m_owner->option_is_true("FAST_IMPORT", false)) {
    Core::invoke_idle(Core::thread_default_context().get(), G_PRIORITY_DEFAULT_IDLE, [self] { self->step(); });
    return;
  }
  auto result = std::make_shared<Core::Result<std::int64_t>>(0);
  Core::run_in_worker([self, result] { *result = self->run_now(); },
                      [self, result] { self->finish(std::move(*result)); });
}

std::int64_t RecordImport::result() const {
  switch (m_count) {
    case Count::Affected:
      return m_affected;
    case Count::Processed:
      return m_imported + m_failed;
    case Count::Imported:
      break;
  }
  return m_imported;
}

// The designed mode: one record at a time through the asynchronous execution.
void RecordImport::step() {
  for (;;) {
    auto next = m_source->next();
    if (!next) {
      finish(Core::fail(next.error()));
      return;
    }
    switch (*next) {
      case RecordSource::Read::End:
        finish(result());
        return;
      case RecordSource::Read::Skipped:
        continue;
      case RecordSource::Read::Refused:
        ++m_read;
        report_failure(m_source->refusal(), m_source->line(), m_read);
        continue;
      case RecordSource::Read::Record:
        ++m_read;
        break;
    }
    m_rows.import_async(m_source->names(), m_source->values(), m_source->texts(),
                        [self = shared_from_this(), line = m_source->line(),
                         record = m_read](Core::Result<std::int64_t> outcome) {
                          if (self->settle(outcome, line, record)) {
                            self->step();
                          } else {
                            self->finish(Core::fail(self->m_stop_error));
                          }
                        });
    return;
  }
}

// The fast mode, on a worker thread: everything in one transaction.
Core::Result<std::int64_t> RecordImport::run_now() {
  if (auto begun = m_rows.begin_transaction(); !begun) {
    return Core::fail(begun.error());
  }
  const bool batched = m_rows.action() == RowImporter::Action::Insert;
  for (;;) {
    auto next = m_source->next();
    if (!next) {
      return stop(next.error());
    }
    if (*next == RecordSource::Read::End) {
      break;
    }
    if (*next == RecordSource::Read::Skipped) {
      continue;
    }
    ++m_read;
    if (*next == RecordSource::Read::Refused) {
      // Reported in line order: what is pending goes first.
      if (!flush()) {
        return stop(m_stop_error);
      }
      report_failure(m_source->refusal(), m_source->line(), m_read);
      continue;
    }
    const Names& names = m_source->names();
    if (batched) {
      // One multi-row INSERT names one set of columns.
      if (names != m_batch_names) {
        if (!flush()) {
          return stop(m_stop_error);
        }
        m_batch_names = names;
      }
      m_batch.push_back({m_rows.insert_tuple(names, m_source->values(), m_source->texts()), m_source->line(), m_read});
      if (m_batch.size() >= kBatchRecords && !flush()) {
        return stop(m_stop_error);
      }
      continue;
    }
    if (!run_one(m_rows.import_now(names, m_source->values(), m_source->texts()), m_source->line(), m_read)) {
      return stop(m_stop_error);
    }
  }
  if (!flush()) {
    return stop(m_stop_error);
  }
  if (auto committed = m_rows.commit_transaction(); !committed) {
    return stop(committed.error());
  }
  return result();
}

void RecordImport::finish(Core::Result<std::int64_t> result) {
  auto done = std::move(m_done);
  done(std::move(result));
}

std::unexpected<Core::Error> RecordImport::stop(Core::Error error) {
  m_rows.rollback_transaction();
  return Core::fail(std::move(error));
}

// Counts a record run in the fast mode; after a failure, makes sure the
// transaction is still there. False when the import must stop.
bool RecordImport::run_one(const Core::Result<std::int64_t>& outcome, std::int64_t line, std::int64_t record) {
  if (!settle(outcome, line, record)) {
    return false;
  }
  if (!outcome) {
    if (auto intact = m_rows.check_after_failure(); !intact) {
      m_stop_error = intact.error();
      return false;
    }
  }
  return true;
}

bool RecordImport::flush() {
  if (m_batch.empty()) {
    return true;
  }
  std::vector<std::string_view> tuples;
  tuples.reserve(m_batch.size());
  for (const Pending& pending : m_batch) {
    tuples.push_back(pending.tuple);
  }
  if (auto inserted = m_rows.insert_tuples(tuples)) {
    m_imported += static_cast<std::int64_t>(m_batch.size());
    m_affected += *inserted;
    m_batch.clear();
    notify();
    if (m_after) {
      m_after(m_imported + m_failed, m_affected);
    }
    return true;
  }
  if (auto intact = m_rows.check_after_failure(); !intact) {
    m_stop_error = intact.error();
    return false;
  }
  for (const Pending& pending : m_batch) {
    const std::string_view one[] = {pending.tuple};
    if (!run_one(m_rows.insert_tuples(one), pending.line, pending.record)) {
      return false;
    }
  }
  m_batch.clear();
  return true;
}

void RecordImport::report_failure(const std::string& message, std::int64_t line, std::int64_t record) {
  ++m_failed;
  m_source->log_failure(message);
  const auto& observer = m_owner->get_import_observer();
  if (observer.failure) {
    observer.failure(RowFailure{record, line, message});
  }
  notify();
}

void RecordImport::notify() {
  const auto& observer = m_owner->get_import_observer();
  if (observer.progress) {
    observer.progress(m_read, m_imported, m_failed, m_source->consumed());
  }
}

// Counts one record's outcome; false when the import must stop.
bool RecordImport::settle(const Core::Result<std::int64_t>& outcome, std::int64_t line, std::int64_t record) {
  bool go_on = true;
  if (outcome) {
    ++m_imported;
    m_affected += *outcome;
    notify();
  } else {
    report_failure(outcome.error().message, line, record);
    if (!m_owner->get_continue_on_error()) {
      m_stop_error = outcome.error();
      go_on = false;
    }
  }
  if (go_on && m_after) {
    m_after(m_imported + m_failed, m_affected);
  }
  return go_on;
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
