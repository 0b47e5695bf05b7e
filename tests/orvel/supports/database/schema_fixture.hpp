#pragma once

#include <string>
#include <vector>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"
#include "tests/support/program.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {

// Real databases in a temporary folder, filled and compared through SQL.
class SchemaTest : public ConnectionTest {
 protected:
  // Runs a script statement by statement; fails the test at the first error.
  static void run(SQLiteConnection& connection, const std::string& script) {
    auto outcome = ScriptRunner(connection).run(script);
    ASSERT_TRUE(outcome.has_value()) << outcome.error().describe();
  }

  // Every row of a query, its cells joined by '|'.
  static std::vector<std::string> rows(SQLiteConnection& connection, const std::string& sql) {
    std::vector<std::string> lines;
    auto model = connection.execute_as_model(sql, false);
    EXPECT_TRUE(model.has_value()) << sql << ": " << model.error().message;
    if (!model) {
      return lines;
    }
    for (const auto& row : (*model)->get_rows()) {
      std::string line;
      for (const auto& value : row->get_values()) {
        line += (line.empty() ? "" : "|") + (value->get_is_null() ? std::string("NULL") : value->to_string());
      }
      lines.push_back(line);
    }
    return lines;
  }

  // What `sqldiff` (Debian's sqlite3-tools) reports between two database
  // files: "" when their tables hold the same rows.
  static std::string sqldiff(const std::string& first, const std::string& second) {
    auto ran = Tolvane::Testing::run_program({"sqldiff", first, second});
    EXPECT_EQ(ran.exit_code, 0) << "sqldiff (package sqlite3-tools): " << ran.err;
    return ran.out;
  }

  static void copy_file(const std::string& from, const std::string& to) {
    Tolvane::Testing::write_text(to, Tolvane::Testing::read_text(from));
  }

  static std::string scalar(SQLiteConnection& connection, const std::string& sql) {
    auto found = rows(connection, sql);
    return found.empty() ? std::string() : found.front();
  }

  // What the engine reports about every table, index, foreign key, view and
  // trigger of a schema, as lines to compare between two databases. Indexes
  // are listed by name; trigger texts are compared by their parts, since a
  // rebuilt trigger is laid out anew.
  static std::string describe(SQLiteConnection& connection, const std::string& schema) {
    const std::string s = "\"" + schema + "\"";
    std::vector<std::string> lines;
    auto add = [&](const std::string& title, const std::vector<std::string>& found) {
      for (const std::string& line : found) {
        lines.push_back(title + ": " + line);
      }
    };
    auto quote = [](const std::string& name) { return Database::quoted(name, '"'); };
    for (const std::string& entry :
         rows(connection, "SELECT type, name, tbl_name FROM " + s + ".sqlite_master ORDER BY type, name")) {
      lines.push_back("object: " + entry);
    }
    for (const std::string& table :
         rows(connection, "SELECT name FROM " + s + ".sqlite_master WHERE type IN ('table', 'view') ORDER BY name")) {
      add(table + " xinfo", rows(connection, "PRAGMA " + s + ".table_xinfo(" + quote(table) + ")"));
      add(table + " fk", rows(connection, "PRAGMA " + s + ".foreign_key_list(" + quote(table) + ")"));
      for (const std::string& index :
           rows(connection, "SELECT name || '|' || \"unique\" || '|' || origin || '|' || partial FROM pragma_index_list(" +
                                Database::quoted(table, '\'') + ", " + Database::quoted(schema, '\'') + ") ORDER BY name")) {
        lines.push_back(table + " index: " + index);
        const std::string name = index.substr(0, index.find('|'));
        add(name + " xinfo", rows(connection, "PRAGMA " + s + ".index_xinfo(" + quote(name) + ")"));
      }
    }
    for (const std::string& entry : rows(connection, "SELECT name, sql FROM " + s +
                                                         ".sqlite_master WHERE type = 'trigger' ORDER BY name")) {
      const std::string sql = entry.substr(entry.find('|') + 1);
      auto trigger = read_create_trigger(sql);
      if (!trigger) {
        lines.push_back("unreadable trigger: " + entry);
        continue;
      }
      lines.push_back("trigger " + trigger->name + ": " + trigger->timing + " " + trigger->event + " of " +
                      std::to_string(trigger->columns.size()) + " on " + trigger->table +
                      (trigger->for_each_row ? " for each row" : "") + " when " + trigger->when + " do " +
                      sql.substr(trigger->begin, trigger->finish - trigger->begin));
    }
    for (const std::string& entry :
         rows(connection, "SELECT name, sql FROM " + s + ".sqlite_master WHERE type = 'view' ORDER BY name")) {
      auto view = read_create_view(entry.substr(entry.find('|') + 1));
      lines.push_back(view ? "view " + view->name + ": " + view->definition : "unreadable view: " + entry);
    }
    std::string text;
    for (const std::string& line : lines) {
      text += line + "\n";
    }
    return text;
  }
};

}  // namespace Tolvane::Orvel::Supports::Database::Testing
