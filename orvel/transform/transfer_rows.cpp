#include "orvel/transform/transfer_rows.hpp"

#include <algorithm>

#include "orvel/helpers/database_helper.hpp"
#include "tessin/supports/sqlite/provider.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using Helpers::DatabaseHelper;
using Providers::Contracts::ValueObjectPtr;
using Providers::Supports::SQLiteProvider;

constexpr std::int64_t kDefaultPageSize = 1000;

}  // namespace

RowCopy::RowCopy(Contracts::Database::IConnection& target, RowTarget where, std::int64_t page_size)
    : m_target(target),
      m_provider(dynamic_cast<SQLiteProvider*>(target.get_provider().get())),
      m_where(std::move(where)),
      m_page_size(page_size < 1 ? kDefaultPageSize : page_size),
      m_head(insert_head(m_where)) {
  m_bound_text = m_head;
  for (std::size_t i = 0; i < m_where.columns.size(); ++i) {
    m_bound_text += i == 0 ? "?" : ", ?";
  }
  m_bound_text += ");";
  m_parameters.resize(m_where.columns.size());
}

std::string RowCopy::insert_head(const RowTarget& where) {
  std::string head = "INSERT INTO " + DatabaseHelper::format_object_name(where.schema, where.table) + "(";
  for (std::size_t i = 0; i < where.columns.size(); ++i) {
    head += (i == 0 ? "" : ", ") + DatabaseHelper::format_column_name(where.columns[i]);
  }
  return head + ") VALUES(";
}

Core::Result<std::int64_t> RowCopy::copy(Providers::Contracts::IDataReader& reader) {
  const std::size_t count =
      std::min(static_cast<std::size_t>(std::max(reader.get_field_count(), 0)), m_where.columns.size());
  if (count < m_where.columns.size()) {
    // A narrower result than the column list would shift every value.
    return Core::fail("SQL", -1,
                      "the query gives " + std::to_string(count) + " columns for " +
                          std::to_string(m_where.columns.size()) + " target columns");
  }
  std::vector<ValueObjectPtr> values(count);
  std::int64_t copied = 0;
  std::int64_t in_page = 0;
  bool open = false;
  // Ends the open page and passes `error` on; rows before it stay committed.
  auto fail_with = [&](Core::Error error) -> Core::Result<std::int64_t> {
    (void)end_page(open, in_page);
    return Core::fail(std::move(error));
  };
  while (true) {
    if (m_cancelled.load(std::memory_order_relaxed)) {
      return fail_with(Core::Error{"SQLite", 9, "interrupted"});
    }
    for (std::size_t column = 0; column < count; ++column) {
      auto value = reader.get_value(static_cast<Providers::Contracts::IDataReader::Column>(column));
      if (!value) {
        return fail_with(std::move(value.error()));
      }
      values[column] = std::move(*value);
    }
    if (!open) {
      if (m_on_page_start) {
        m_on_page_start();
      }
      if (auto began = m_target.transaction(); !began) {
        return Core::fail(std::move(began.error()));
      }
      open = true;
    }
    if (auto inserted = insert_row(values); !inserted) {
      return fail_with(std::move(inserted.error()));
    }
    ++copied;
    if (++in_page == m_page_size) {
      if (auto ended = end_page(open, in_page); !ended) {
        return Core::fail(std::move(ended.error()));
      }
      open = false;
      in_page = 0;
    }
    auto next = reader.read();
    if (!next) {
      return fail_with(std::move(next.error()));
    }
    if (!*next) {
      break;
    }
  }
  if (auto ended = end_page(open, in_page); !ended) {
    return Core::fail(std::move(ended.error()));
  }
  return copied;
}

Core::Status RowCopy::insert_row(const std::vector<ValueObjectPtr>& values) {
  if (m_on_row || m_provider == nullptr) {
    m_text = m_head;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) {
        m_text += ", ";
      }
      m_text += DatabaseHelper::format_sql_value(values[i]->get_data_type(), values[i].get());
    }
    m_text += ");";
  }
  Core::Status status;
  if (m_provider != nullptr) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      m_parameters[i].value = values[i];
    }
    if (auto ran = m_provider->execute_prepared(m_bound_text, m_parameters); !ran) {
      status = Core::fail(std::move(ran.error()));
    }
  } else if (auto ran = m_target.execute_no_query(m_text, false); !ran) {
    status = Core::fail(std::move(ran.error()));
  }
  if (m_on_row) {
    m_on_row(m_text, status ? nullptr : &status.error());
  }
  return status;
}

Core::Status RowCopy::end_page(bool open, std::int64_t rows) {
  if (!open) {
    return {};
  }
  if (auto committed = m_target.commit(); !committed) {
    (void)m_target.rollback();
    return committed;
  }
  if (m_on_page) {
    m_on_page(rows);
  }
  return {};
}

}  // namespace Tolvane::Orvel::Transform
