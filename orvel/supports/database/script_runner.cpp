#include "orvel/supports/database/script_runner.hpp"

#include <algorithm>
#include <set>
#include <vector>

#include "orvel/exceptions/sql_error.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

// What a statement means for the runner's bookkeeping.
struct Statement {
  enum class Kind { Other, Begin, End, RollbackTo, Savepoint, Release, Setting, ForeignKeyCheck };
  Kind kind = Kind::Other;
  std::string savepoint;  // the name of SAVEPOINT and RELEASE
  std::string setting;    // "[schema.]name" of a PRAGMA assignment, as written
};

bool is_word(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t index, std::string_view word) {
  if (index >= tokens.size() || tokens[index].kind != SqlTokenKind::Word) {
    return false;
  }
  return same_name(tokens[index].text(sql), word);
}

bool is_punct(std::string_view sql, const std::vector<SqlToken>& tokens, std::size_t index, std::string_view punct) {
  return index < tokens.size() && tokens[index].kind == SqlTokenKind::Punct && tokens[index].text(sql) == punct;
}

Statement classify(std::string_view sql) {
  const auto tokens = Providers::Supports::tokenize_sql(sql);
  Statement statement;
  auto name_at = [&](std::size_t index) {
    return index < tokens.size() ? Providers::Supports::unquote_sql(tokens[index].text(sql)) : std::string();
  };
  if (is_word(sql, tokens, 0, "BEGIN")) {
    statement.kind = Statement::Kind::Begin;
  } else if (is_word(sql, tokens, 0, "COMMIT") || is_word(sql, tokens, 0, "END")) {
    statement.kind = Statement::Kind::End;
  } else if (is_word(sql, tokens, 0, "ROLLBACK")) {
    const std::size_t to = is_word(sql, tokens, 1, "TRANSACTION") ? 2 : 1;
    statement.kind = is_word(sql, tokens, to, "TO") ? Statement::Kind::RollbackTo : Statement::Kind::End;
  } else if (is_word(sql, tokens, 0, "SAVEPOINT")) {
    statement.kind = Statement::Kind::Savepoint;
    statement.savepoint = name_at(1);
  } else if (is_word(sql, tokens, 0, "RELEASE")) {
    statement.kind = Statement::Kind::Release;
    statement.savepoint = name_at(is_word(sql, tokens, 1, "SAVEPOINT") ? 2 : 1);
  } else if (is_word(sql, tokens, 0, "PRAGMA") && tokens.size() >= 2) {
    const std::size_t name = is_punct(sql, tokens, 2, ".") ? 3 : 1;
    if (name < tokens.size()) {
      const std::size_t first = tokens[1].offset;
      const std::size_t last = tokens[name].offset + tokens[name].length;
      if (is_punct(sql, tokens, name + 1, "=")) {
        statement.kind = Statement::Kind::Setting;
        statement.setting = std::string(sql.substr(first, last - first));
      } else if (is_word(sql, tokens, name, "foreign_key_check")) {
        statement.kind = Statement::Kind::ForeignKeyCheck;
      }
    }
  }
  return statement;
}

// A value read from a pragma, written so that "PRAGMA x = <it>" sets it again.
std::string setting_literal(const Providers::Contracts::ValueObject& value) {
  std::string text = value.to_string();
  bool number = !text.empty();
  for (std::size_t i = 0; i < text.size(); ++i) {
    number = number && (g_ascii_isdigit(text[i]) || (i == 0 && text[i] == '-' && text.size() > 1));
  }
  return number ? text : quoted(text, '\'');
}

// The first line of a statement, and a mark when there is more.
std::string shortened(std::string_view statement) {
  constexpr std::size_t kLongest = 160;
  std::size_t cut = statement.find('\n');
  if (cut == std::string_view::npos && statement.size() <= kLongest) {
    return std::string(statement);
  }
  cut = std::min({cut, kLongest, statement.size()});
  // Never cut inside a UTF-8 sequence.
  while (cut > 0 && (static_cast<unsigned char>(statement[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  while (cut > 0 && (statement[cut - 1] == ' ' || statement[cut - 1] == '\r')) {
    --cut;
  }
  return std::string(statement.substr(0, cut)) + " ...";
}

class Run {
 public:
  Run(Contracts::Database::IConnection& connection, std::string_view script)
      : m_connection(connection), m_script(script) {}

  ScriptOutcome execute() {
    Providers::Supports::StatementSplitter splitter(m_script);
    Providers::Supports::StatementSpan span;
    std::size_t number = 0;
    while (splitter.next(span)) {
      ++number;
      const std::string text(span.text(m_script));
      const Statement statement = classify(text);
      if (statement.kind == Statement::Kind::Setting) {
        remember_setting(statement.setting);
      }
      Core::Status done = statement.kind == Statement::Kind::ForeignKeyCheck ? check_foreign_keys(text) : run(text);
      if (!done) {
        ScriptFailure failure{std::move(done.error()), text, number, span.line, false};
        failure.rolled_back = roll_back();
        restore_settings();
        return std::unexpected(std::move(failure));
      }
      track(statement);
    }
    return number;
  }

 private:
  Core::Status run(const std::string& text) {
    auto affected = m_connection.execute_no_query(text, false);
    if (!affected) {
      return Core::fail(std::move(affected.error()));
    }
    return {};
  }

  Core::Status check_foreign_keys(const std::string& text) {
    auto found = m_connection.execute_as_model(text, false);
    if (!found) {
      return Core::fail(std::move(found.error()));
    }
    const auto& rows = (*found)->get_rows();
    if (rows.empty()) {
      return {};
    }
    // Columns: table, rowid, parent, fkid.
    auto cell = [&](std::size_t row, int column) {
      auto value = (*found)->get_value_at(column, static_cast<int>(row));
      return value ? value->to_string() : std::string();
    };
    std::string message = "foreign key check failed: " + std::to_string(rows.size()) + " row(s) refer to missing rows";
    const std::size_t shown = std::min<std::size_t>(rows.size(), 3);
    for (std::size_t row = 0; row < shown; ++row) {
      message += row == 0 ? ": " : "; ";
      message += "row " + cell(row, 1) + " of " + quoted(cell(row, 0), '"') + " in " + quoted(cell(row, 2), '"');
    }
    return Core::fail(Exceptions::sql_error(Exceptions::SQLError::CONSTRAINT, std::move(message)));
  }

  void remember_setting(const std::string& setting) {
    if (!m_settings_seen.insert(setting).second) {
      return;
    }
    auto current = m_connection.execute_as_model("PRAGMA " + setting + ";", false);
    if (!current || (*current)->get_rows().size() != 1 || (*current)->get_columns().empty()) {
      return;  // a setting without a readable value cannot be set back
    }
    auto value = (*current)->get_value_at(0, 0);
    if (value) {
      m_restores.push_back("PRAGMA " + setting + " = " + setting_literal(*value) + ";");
    }
  }

  void track(const Statement& statement) {
    switch (statement.kind) {
      case Statement::Kind::Begin:
        m_in_transaction = true;
        break;
      case Statement::Kind::End:
        m_in_transaction = false;
        m_savepoints.clear();
        break;
      case Statement::Kind::Savepoint:
        m_savepoints.push_back(statement.savepoint);
        break;
      case Statement::Kind::Release:
        // Releasing a savepoint releases those opened after it too.
        for (std::size_t i = m_savepoints.size(); i > 0; --i) {
          if (same_name(m_savepoints[i - 1], statement.savepoint)) {
            m_savepoints.resize(i - 1);
            break;
          }
        }
        break;
      default:
        break;
    }
  }

  // Rolls back what the script opened; true when there was something to roll back.
  bool roll_back() {
    if (!m_in_transaction && m_savepoints.empty()) {
      return false;
    }
    // The engine may already have rolled back (a full disk, RAISE(ROLLBACK));
    // then there is no transaction left and ROLLBACK says so.
    auto done = m_connection.execute_no_query("ROLLBACK;", false);
    if (!done && done.error().message.find("no transaction is active") == std::string::npos) {
      TOLVANE_LOG_UNCAUGHT(done.error());
    }
    return true;
  }

  void restore_settings() {
    for (auto restore = m_restores.rbegin(); restore != m_restores.rend(); ++restore) {
      if (auto done = m_connection.execute_no_query(*restore, false); !done) {
        TOLVANE_LOG_UNCAUGHT(done.error());
      }
    }
  }

  Contracts::Database::IConnection& m_connection;
  std::string_view m_script;
  bool m_in_transaction = false;
  std::vector<std::string> m_savepoints;
  std::set<std::string> m_settings_seen;
  std::vector<std::string> m_restores;  // in the order the settings were first changed
};

}  // namespace

std::string ScriptFailure::describe() const {
  return error.message + " (statement " + std::to_string(number) + " on line " + std::to_string(line) + ": " +
         shortened(statement) + ")";
}

Core::Error ScriptFailure::to_error() const { return Core::Error{error.domain, error.code, describe()}; }

ScriptOutcome ScriptRunner::run(std::string_view script) { return Run(m_connection, script).execute(); }

Core::Status run_script(Contracts::Database::IConnection& connection, std::string_view script) {
  auto outcome = ScriptRunner(connection).run(script);
  if (!outcome) {
    return Core::fail(outcome.error().to_error());
  }
  return {};
}

}  // namespace Tolvane::Orvel::Supports::Database
