// The readers of CREATE texts and the table rebuild behind them. The four
// readers take any text without crashing; what they hand out "as written" is
// a slice of the text, and their offsets lie inside it. A single CREATE TABLE
// statement the engine takes, filled into the metadata model through the
// adapter and written back by the builder, gives CREATE text the engine takes
// too, declaring the same columns, keys and indexes, unless the table says
// why it cannot be rebuilt faithfully.

#include <algorithm>
#include <string>
#include <vector>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tools/host/startup.hpp"

namespace {

using namespace Tolvane::Orvel::Supports::Database;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;

void check_slice(std::string_view text, std::string_view piece, std::string_view what) {
  check(piece.empty() || text.find(piece) != std::string_view::npos,
        std::string(what) + " is a slice of the text", excerpt(text) + "\n" + std::string(what) + ": " + excerpt(piece));
}

void check_readers(std::string_view text) {
  if (auto table = read_create_table(text)) {
    check_slice(text, table->module, "a virtual table's module");
    for (const DeclaredColumn& column : table->columns) {
      check_slice(text, column.type, "a column's type");
      check_slice(text, column.collation, "a column's collation");
      check_slice(text, column.generated, "a generation expression");
    }
    for (const DeclaredCheck& declared : table->checks) {
      check_slice(text, declared.expression, "a CHECK expression");
    }
  }
  if (auto index = read_create_index(text)) {
    check_slice(text, index->where, "an index's condition");
  }
  if (auto trigger = read_create_trigger(text)) {
    check_slice(text, trigger->when, "a trigger's condition");
    check(trigger->begin <= trigger->end && trigger->end <= trigger->finish && trigger->finish <= text.size() &&
              trigger->name_offset + trigger->name_length <= text.size(),
          "a trigger's offsets lie in order inside the text", excerpt(text));
  }
  if (auto view = read_create_view(text)) {
    check_slice(text, view->definition, "a view's definition");
  }
  // A written element is read back as one element, itself; SQL text ends at
  // a NUL byte, so no element holding one can be written.
  if (text.find('\0') != std::string_view::npos) {
    return;
  }
  for (const std::string& element : split_list(text)) {
    const std::string written = sql_element(element);
    const auto again = split_list(written);
    check(again.size() == 1 && sql_element(again.front()) == written, "a written list element reads back as itself",
          excerpt(text) + "\nelement: " + excerpt(element) + "\nwritten: " + excerpt(written));
  }
}

// One connection for the whole run, on a database in the scratch folder. Only
// the errors of its log are kept, so the statements run do not fill a disk.
class Database {
 public:
  Database()
      : m_host(options()), m_connection(SQLiteConnection::create()) {
    auto server = Tolvane::Providers::Contracts::Server::with_provider("SQLite");
    server->set_driver("SQLite3");
    server->set_filename(Tolvane::Fuzz::scratch_folder() + "/create.db");
    server->set_initial("main");
    auto opened = m_connection->open(server, nullptr);
    check(static_cast<bool>(opened), "the scratch database opens", opened ? "" : opened.error().message);
  }

  SQLiteConnection& connection() { return *m_connection; }

  bool run(const std::string& sql) { return static_cast<bool>(ScriptRunner(*m_connection).run(sql)); }

  // Lines of what a pragma reports, sorted: the engine's numbering of
  // constraints follows the text, and a rebuilt text may order them otherwise.
  std::vector<std::string> report(const std::string& pragma, const std::string& table, bool sorted) {
    std::vector<std::string> lines;
    auto model = m_connection->execute_as_model("PRAGMA main." + pragma + "(" + quoted(table, '\'') + ")", false);
    if (!model) {
      lines.push_back("error: " + model.error().message);
      return lines;
    }
    for (const auto& row : (*model)->get_rows()) {
      std::string line;
      for (const auto& value : row->get_values()) {
        line += (value->get_is_null() ? std::string("NULL") : value->to_string()) + "|";
      }
      lines.push_back(std::move(line));
    }
    if (sorted) {
      std::ranges::sort(lines);
    }
    return lines;
  }

 private:
  static Tolvane::Host::Options options() {
    Tolvane::Host::Options chosen;
    chosen.default_uuid = "fuzz";
    chosen.log_folder = Tolvane::Fuzz::scratch_folder() + "/log";
    chosen.threshold = Tolvane::Orvel::Contracts::Log::LogLevel::RISKY;
    return chosen;
  }

  Tolvane::Host::Startup m_host;
  std::shared_ptr<SQLiteConnection> m_connection;
};

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line + "\n";
  }
  return out;
}

// What the engine reports about a table: its columns, foreign keys, and its
// indexes by kind (their names follow the order of the text).
std::string describe(Database& database, const std::string& table) {
  std::string out = joined(database.report("table_xinfo", table, false));
  out += joined(database.report("foreign_key_list", table, false));
  std::vector<std::string> indexes;
  for (std::string line : database.report("index_list", table, false)) {
    // seq|name|unique|origin|partial| without seq and name.
    const std::size_t second = line.find('|', line.find('|') + 1);
    indexes.push_back(line.substr(second + 1));
  }
  std::ranges::sort(indexes);
  return out + joined(indexes);
}

// Whether the text is one CREATE TABLE statement that computes nothing when
// run (no AS SELECT), so running it cannot touch files or take long.
bool harmless_create_table(std::string_view text) {
  using namespace Tolvane::Providers::Supports;
  if (SqlText::first_keyword(text) != "CREATE" || !read_create_table(text)) {
    return false;
  }
  if (split_statements(text).size() != 1) {
    return false;
  }
  for (const SqlToken& token : tokenize_sql(text)) {
    if (token.kind == SqlTokenKind::Word && token.length == 6 &&
        g_ascii_strncasecmp(token.text(text).data(), "select", 6) == 0) {
      return false;
    }
  }
  return true;
}

void check_rebuild(std::string_view text) {
  if (!harmless_create_table(text)) {
    return;
  }
  // Made on first use and kept for the run (libFuzzer ends with exit()).
  static Database& database = *new Database();
  check(database.run("SAVEPOINT fuzz;"), "a savepoint starts");
  const std::string input(text);
  auto created = database.connection().execute_no_query(input, false);
  auto names = database.connection().execute_as_model(
      "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'", false);
  if (created && names && (*names)->get_rows().size() == 1) {
    const std::string name = (*names)->get_rows()[0]->get_values().front()->to_string();
    auto table = Tolvane::Orvel::MetaModel::MetaTable::with_names("fuzz", "main", name);
    auto filled = database.connection().adapter()->fill_meta_table(table, true);
    const bool faithful = filled && !table->get_attributes().contains(std::string(MetaKeys::kUnsupported)) &&
                          database.connection().builder()->check_table(table);
    if (faithful) {
      const std::string before = describe(database, name);
      const std::string built = database.connection().builder()->build_table(table, true);
      const std::string where = "input: " + excerpt(text, 400) + "\nbuilt: " + excerpt(built, 600);
      check(database.run("DROP TABLE main." + quoted(name, '"') + ";"), "the table drops", where);
      auto rebuilt = ScriptRunner(database.connection()).run(built);
      check(static_cast<bool>(rebuilt), "a filled table's CREATE text runs",
            where + "\n" + (rebuilt ? "" : rebuilt.error().describe()));
      const std::string after = describe(database, name);
      check(after == before, "a filled table's CREATE text declares the same table",
            where + "\nbefore:\n" + before + "after:\n" + after);
    }
  }
  check(database.run("ROLLBACK TO fuzz; RELEASE fuzz;"), "the savepoint rolls back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = Tolvane::Fuzz::as_text(data, size);
  check_readers(text);
  check_rebuild(text);
  return 0;
}
