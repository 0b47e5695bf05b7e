#include "tessin/supports/sqlite/provider.hpp"

#include <algorithm>
#include <climits>
#include <cstring>

#include <sqlite3.h>

#include "tessin/contracts/values.hpp"
#include "tessin/core/i18n.hpp"
#include "tessin/core/object_arena.hpp"
#include "tessin/core/property.hpp"
#include "tessin/core/source_log.hpp"
#include "tessin/supports/sqlite/user_authentication.hpp"

namespace Tolvane::Providers::Supports {

using Contracts::TableModel;
using Contracts::TableModelPtr;
using Contracts::ValueObjectPtr;

namespace {

bool is_space(char c) { return g_ascii_isspace(c) != FALSE; }

// The byte length to hand to sqlite3_prepare_v2 for NUL-terminated text: with
// the terminator counted the engine parses in place instead of copying the
// whole remaining text first (which would make long scripts quadratic).
int prepare_length(std::size_t bytes) { return bytes < static_cast<std::size_t>(INT_MAX) ? static_cast<int>(bytes) + 1 : -1; }

// The end of the statement starting at `cursor` in NUL-terminated text: just
// past the first ';' outside quotes, brackets and comments after which the
// text is a complete statement (triggers hold ';' inside BEGIN ... END). Used
// when the engine could not prepare a statement: its tail then points just past
// the token it stopped at, and running on from there could execute a fragment
// of the broken statement ("EXPLAN DELETE FROM t" would delete).
const char* statement_end(const char* cursor, const char* end) {
  for (const char* p = cursor; p < end; ++p) {
    auto skip_to = [&p, end](const char* closing) {
      const char* found = std::search(p + 1, end, closing, closing + std::strlen(closing));
      p = found < end ? found + std::strlen(closing) - 1 : end - 1;
    };
    switch (*p) {
      case '\'':
        skip_to("'");
        break;
      case '"':
        skip_to("\"");
        break;
      case '`':
        skip_to("`");
        break;
      case '[':
        skip_to("]");
        break;
      case '-':
        if (p[1] == '-') {
          skip_to("\n");
        }
        break;
      case '/':
        if (p[1] == '*') {
          skip_to("*/");
        }
        break;
      case ';':
        if (sqlite3_complete(std::string(cursor, p + 1).c_str()) != 0) {
          return p + 1;
        }
        break;
      default:
        break;
    }
  }
  return end;
}

Core::Error no_engine() { return Core::Error{"SQLite", -1, Core::_("No database is open.")}; }

}  // namespace

void SQLiteProvider::StatementDeleter::operator()(sqlite3_stmt* statement) const noexcept {
  sqlite3_finalize(statement);
}

const Core::TypeInfo& SQLiteProvider::static_type() {
  static const Core::TypeInfo info(
      "TolvaneProvidersSupportsSQLiteProvider", &Core::Object::static_type(),
      {&Contracts::IProvider::static_type(), &ISQLiteError::static_type()}, Core::factory_of<SQLiteProvider>(),
      {Core::property("is-opened", &SQLiteProvider::get_is_opened),
       Core::property("engine", &SQLiteProvider::get_engine)});
  return info;
}

SQLiteProvider::SQLiteProvider() {
  static const int initialized = sqlite3_initialize();
  (void)initialized;
}

SQLiteProvider::~SQLiteProvider() { close(); }

std::string SQLiteProvider::key_of(const std::string& options) {
  static constexpr std::string_view marker = "PASSWORD=";
  if (options.find(marker) == std::string::npos) {
    return {};
  }
  std::string_view rest = options;
  while (true) {
    const std::size_t stop = rest.find_first_of(",; ");
    const std::string_view piece = rest.substr(0, stop);
    if (piece.find(marker) != std::string_view::npos) {
      // The second part when the piece is split at '='.
      const std::size_t first = piece.find('=');
      const std::string_view after = piece.substr(first + 1);
      return std::string(after.substr(0, after.find('=')));
    }
    if (stop == std::string_view::npos) {
      return {};
    }
    rest.remove_prefix(stop + 1);
  }
}

Core::Status SQLiteProvider::open(const Contracts::ServerPtr& server, const std::string&) {
  TOLVANE_RETURN_VAL_IF_FAIL(server != nullptr, "server != NULL", {});
  sqlite3* handle = nullptr;
  const int code = sqlite3_open(server->get_filename().c_str(), &handle);
  // The new handle replaces the old one whatever the outcome; a failed open
  // keeps it (it carries the error) until the next open, close or destruction.
  close();
  m_engine = handle;
  if (handle == nullptr) {
    // Only when the engine could not even allocate a handle.
    return Core::fail("SQLite", code, sqlite3_errstr(code));
  }
  if (auto status = raise_error(handle, code); !status) {
    return status;
  }
  const std::string key = key_of(server->get_options());
  if (!key.empty()) {
    if (auto status = raise_error(handle, sqlite3_key(handle, key.data(), static_cast<int>(key.size()))); !status) {
      return status;
    }
  }
  if (auto status = UserAuthentication::register_crypt(handle); !status) {
    return status;
  }
  if (auto status = UserAuthentication::authenticate(handle, server->get_username(), server->get_password());
      !status) {
    return status;
  }
  m_is_opened.store(true, std::memory_order_release);
  return {};
}

void SQLiteProvider::close() {
  if (m_engine != nullptr) {
    // A reader a caller still holds keeps its statement; the _v2 close lets the
    // handle go once that statement is finalized instead of failing and
    // leaving the file open.
    sqlite3_close_v2(m_engine);
    m_engine = nullptr;
  }
  m_is_opened.store(false, std::memory_order_release);
}

Core::Result<SQLiteProvider::Statement> SQLiteProvider::prepare_and_step(const std::string& text, int& step_code) {
  if (m_engine == nullptr) {
    return Core::fail(no_engine());
  }
  sqlite3_stmt* raw = nullptr;
  const int prepared = sqlite3_prepare_v2(m_engine, text.c_str(), prepare_length(text.size()), &raw, nullptr);
  Statement statement(raw);
  if (auto status = raise_error(m_engine, prepared); !status) {
    return Core::fail(std::move(status.error()));
  }
  if (!statement) {
    // Only white space or comments: stepping nothing would report no error.
    return Core::fail("SQLite", -1, Core::_("No SQL statement to execute."));
  }
  step_code = sqlite3_step(statement.get());
  if (auto status = raise_error(m_engine, step_code); !status) {
    return Core::fail(std::move(status.error()));
  }
  return statement;
}

Core::Result<TableModelPtr> SQLiteProvider::fill(sqlite3_stmt* statement) {
  auto reader = SQLiteReader::create(m_engine, statement, SQLiteReader::Ownership::Borrow);
  const int count = reader->get_field_count();
  auto model = TableModel::create();
  auto& columns = model->get_columns();
  columns.reserve(static_cast<std::size_t>(count));
  for (int index = 0; index < count; ++index) {
    const auto col = static_cast<SQLiteReader::Column>(index);
    auto name = reader->get_name(col);
    auto type = reader->get_data_type(col);
    auto size = reader->get_size(col);
    if (!name || !type || !size) {
      return Core::fail(!name ? name.error() : !type ? type.error() : size.error());
    }
    columns.push_back(Contracts::ColumnModel::full_size(std::move(*name), *type, static_cast<std::uint32_t>(*size)));
  }
  if (sqlite3_data_count(statement) == 0) {
    reader->close();
    return model;
  }
  auto& rows = model->get_rows();
  // The cells go into blocks shared by many of them (see ObjectArena), the
  // first one sized for a row of short texts.
  Core::ObjectArena cells(static_cast<std::size_t>(count) * 72);
  Core::ObjectArena::Scope in_cells(cells);
  while (true) {
    auto row = Contracts::RowModel::create();
    auto& values = row->get_values();
    values.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) {
      auto value = reader->get_value(static_cast<SQLiteReader::Column>(index));
      if (!value) {
        return Core::fail(std::move(value.error()));
      }
      values.push_back(std::move(*value));
    }
    rows.push_back(std::move(row));
    auto more = reader->read();
    if (!more) {
      return Core::fail(std::move(more.error()));
    }
    if (!*more) {
      break;
    }
  }
  reader->close();
  return model;
}

Core::Result<TableModelPtr> SQLiteProvider::execute_model(const std::string& statement, bool) {
  int step = 0;
  auto prepared = prepare_and_step(statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (sqlite3_column_count(prepared->get()) < 1) {
    return Core::fail("SQLite", -1, Core::_("No data returned."));
  }
  return fill(prepared->get());
}

Core::Result<std::int64_t> SQLiteProvider::execute_affect(const std::string& statement, bool) {
  int step = 0;
  auto prepared = prepare_and_step(statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return static_cast<std::int64_t>(sqlite3_changes64(m_engine));
  }
  std::int64_t count = 1;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(prepared->get())) == SQLITE_ROW) {
    ++count;
  }
  if (auto status = raise_error(m_engine, code); !status) {
    return Core::fail(std::move(status.error()));
  }
  return count;
}

Core::Result<ValueObjectPtr> SQLiteProvider::execute_scalar(const std::string& statement, bool) {
  int step = 0;
  auto prepared = prepare_and_step(statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return Contracts::ValueUInt64::create(static_cast<std::uint64_t>(sqlite3_changes64(m_engine)));
  }
  auto reader = SQLiteReader::create(m_engine, prepared->get(), SQLiteReader::Ownership::Borrow);
  auto value = reader->get_value(0);
  if (auto closed = reader->close(); !closed) {
    return Core::fail(std::move(closed.error()));
  }
  return value;
}

Core::Result<std::shared_ptr<Contracts::IDataReader>> SQLiteProvider::execute_reader(const std::string& statement) {
  int step = 0;
  auto prepared = prepare_and_step(statement, step);
  if (!prepared) {
    return Core::fail(std::move(prepared.error()));
  }
  if (step != SQLITE_ROW) {
    return Core::fail("SQLite", -1, "No data return by non-select statement");
  }
  return std::shared_ptr<Contracts::IDataReader>(
      SQLiteReader::create(m_engine, prepared->release(), SQLiteReader::Ownership::Own));
}

Core::Result<std::vector<Core::ObjectPtr>> SQLiteProvider::execute_statements(const std::string& statements, bool) {
  if (m_engine == nullptr) {
    return Core::fail(no_engine());
  }
  const char* first = statements.c_str();
  const char* last = first + statements.size();
  while (first < last && is_space(*first)) {
    ++first;
  }
  while (last > first && is_space(last[-1])) {
    --last;
  }
  // One stripped copy, NUL-terminated right at its end, so each prepare parses
  // in place (see prepare_length).
  const std::string text(first, last);
  const char* cursor = text.c_str();
  const char* const end = cursor + text.size();
  std::vector<Core::ObjectPtr> results;
  while (cursor < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int prepared = sqlite3_prepare_v2(m_engine, cursor, prepare_length(static_cast<std::size_t>(end - cursor)),
                                            &raw, &tail);
    Statement statement(raw);
    // Where the statement ends; never where it started, or this would loop.
    const char* next = prepared != SQLITE_OK || tail == nullptr || tail <= cursor || tail > end
                           ? statement_end(cursor, end)
                           : tail;
    const char* shown = next;
    while (shown > cursor && is_space(shown[-1])) {
      --shown;
    }
    TOLVANE_WARNING("Prepare: %.*s", static_cast<int>(shown - cursor), cursor);
    if (prepared != SQLITE_OK || !statement) {
      results.push_back(Contracts::ValueError::create(sqlite3_errcode(m_engine), sqlite3_errmsg(m_engine)));
    } else {
      const int step = sqlite3_step(statement.get());
      if (step == SQLITE_ROW) {
        auto model = fill(statement.get());
        if (!model) {
          return Core::fail(std::move(model.error()));
        }
        results.push_back(std::move(*model));
      } else if (step == SQLITE_DONE) {
        results.push_back(Contracts::ValueUInt64::create(static_cast<std::uint64_t>(sqlite3_changes64(m_engine))));
      } else {
        results.push_back(Contracts::ValueError::create(sqlite3_errcode(m_engine), sqlite3_errmsg(m_engine)));
      }
    }
    cursor = next;
    while (cursor < end && is_space(*cursor)) {
      ++cursor;
    }
  }
  return results;
}

Core::Status SQLiteProvider::run(const char* sql) {
  // The engine's own error text from sqlite3_exec is not needed: the handle
  // holds the same error.
  return raise_error(m_engine, sqlite3_exec(m_engine, sql, nullptr, nullptr, nullptr));
}

Core::Result<bool> SQLiteProvider::transaction() {
  if (m_engine == nullptr) {
    return Core::fail(no_engine());
  }
  if (sqlite3_get_autocommit(m_engine) == 0) {
    return true;
  }
  if (auto status = run("BEGIN"); !status) {
    return Core::fail(std::move(status.error()));
  }
  return true;
}

Core::Status SQLiteProvider::commit() {
  if (m_engine == nullptr || sqlite3_get_autocommit(m_engine) != 0) {
    return {};
  }
  return run("COMMIT");
}

Core::Status SQLiteProvider::rollback() {
  if (m_engine == nullptr || sqlite3_get_autocommit(m_engine) != 0) {
    return {};
  }
  return run("ROLLBACK");
}

}  // namespace Tolvane::Providers::Supports
