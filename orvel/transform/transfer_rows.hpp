#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "orvel/contracts/database/connection.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_reader.hpp"
#include "tessin/core/error.hpp"
#include "tessin/supports/sqlite/parameters.hpp"

namespace Tolvane::Providers::Supports {
class SQLiteProvider;
}

namespace Tolvane::Orvel::Transform {

// Where copied rows go: a table of a schema of the target and its columns,
// in the order of the values read.
struct RowTarget {
  std::string schema;
  std::string table;
  std::vector<std::string> columns;
};

// Copies the rows a forward reader yields into a target table, a page at a
// time: each page is one transaction on the target, so a page costs one
// commit rather than one per row. A row that fails ends the copy; the rows of
// its page inserted before it are committed (rows already copied stay).
//
// Every cell goes in as what it is, whatever the column's kind or the class of
// the cell above it: on an SQLite target each row runs one INSERT with its
// values bound (integers as integers, reals as doubles, bytes as blobs, NULL
// as NULL); on another target as an INSERT text whose literals are written by
// each value's class (doubles in their shortest exact form, bytes as X'..').
// The same text, with literals, is what each row is reported with.
//
// Uses the target connection synchronously on the caller's thread; `cancel`
// may be called from any thread and stops the copy before its next row.
class ORVEL_API RowCopy {
 public:
  // After each row: the INSERT text with its values, and the error when the
  // row failed.
  using RowReport = std::function<void(const std::string& insert_text, const Core::Error* failure)>;
  // Before the first row of each page, and after each committed page with
  // the rows it held.
  using PageStart = std::function<void()>;
  using PageReport = std::function<void(std::int64_t rows)>;

  // `page_size` below 1 is taken as 1000.
  RowCopy(Contracts::Database::IConnection& target, RowTarget where, std::int64_t page_size);

  void on_row(RowReport report) { m_on_row = std::move(report); }
  void on_page_start(PageStart report) { m_on_page_start = std::move(report); }
  void on_page(PageReport report) { m_on_page = std::move(report); }

  // Copies the row `reader` stands on and every row after it. Returns the
  // number of rows inserted, or the first error (of a row, a read, a commit).
  Core::Result<std::int64_t> copy(Providers::Contracts::IDataReader& reader);

  const RowTarget& target() const noexcept { return m_where; }

  // Stops a running copy between two rows; it then fails with "interrupted".
  void cancel() noexcept { m_cancelled.store(true, std::memory_order_relaxed); }

  // "INSERT INTO <schema>.<table>(<columns>) VALUES(" with the names quoted
  // where SQL needs it.
  static std::string insert_head(const RowTarget& where);

 private:
  Core::Status insert_row(const std::vector<Providers::Contracts::ValueObjectPtr>& values);
  Core::Status end_page(bool open, std::int64_t rows);

  Contracts::Database::IConnection& m_target;
  // The target's SQLite provider, when it has one: rows then go in bound.
  Providers::Supports::SQLiteProvider* m_provider;
  // Reused from row to row.
  Providers::Supports::SQLiteParameters m_parameters;
  std::string m_text;
  RowTarget m_where;
  std::int64_t m_page_size;
  std::string m_head;
  std::string m_bound_text;
  RowReport m_on_row;
  PageStart m_on_page_start;
  PageReport m_on_page;
  std::atomic<bool> m_cancelled{false};
};

}  // namespace Tolvane::Orvel::Transform
