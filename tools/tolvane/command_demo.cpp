// tolvane demo [--dir DIR]: builds the sample database and shows around.

#include <unistd.h>

#include <cstdio>

#include <glib/gstdio.h>

#include "tessin/contracts/values.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/demo_database.hpp"
#include "tools/tolvane/row_source.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Supports::Database::SQLiteConnection;
using Providers::Contracts::TableModelPtr;

class Tour {
 public:
  Tour(Session& session, std::shared_ptr<SQLiteConnection> connection)
      : m_session(session), m_connection(std::move(connection)), m_colour(isatty(fileno(stdout)) != 0) {}

  void heading(const char* title) {
    ++m_step;
    std::printf(m_colour ? "\n\033[1m%d. %s\033[0m\n" : "\n%d. %s\n", m_step, title);
  }
  void say(const char* text) { std::printf("%s\n", text); }
  void sql(const std::string& text) { std::printf(m_colour ? "\033[36m  %s\033[0m\n" : "  %s\n", text.c_str()); }

  // Runs a query on the main loop, as a front end would, and prints the rows.
  bool query(const std::string& text) {
    sql(text);
    using Queried = Core::Result<TableModelPtr>;
    const gint64 started = g_get_monotonic_time();
    Queried outcome =
        m_session.await<Queried>([&](auto done) { m_connection->execute_as_model_async(text, done); });
    if (!outcome) {
      std::printf("  failed: %s\n", describe(outcome.error()).c_str());
      return false;
    }
    print(**outcome);
    const std::size_t rows = (*outcome)->get_rows().size();
    std::printf("(%zu %s, %.1f ms)\n", rows, rows == 1 ? "row" : "rows",
                static_cast<double>(g_get_monotonic_time() - started) / 1000.0);
    return true;
  }

  std::string scalar(const std::string& text) {
    auto value = m_connection->execute_as_scalar(text, false);
    return value && *value ? (*value)->to_string() : std::string("?");
  }

  // Prints a result as the query command's aligned table does.
  void print(const Providers::Contracts::TableModel& model) {
    std::fflush(stdout);
    OutputOptions options;
    options.colour = m_colour;
    OutputStream& out = OutputStream::standard_output();
    write_model(model, *make_row_writer(options, out));
    out.flush();
  }

  SQLiteConnection& connection() { return *m_connection; }
  void use(std::shared_ptr<SQLiteConnection> connection) { m_connection = std::move(connection); }

 private:
  Session& m_session;
  std::shared_ptr<SQLiteConnection> m_connection;
  bool m_colour;
  int m_step = 0;
};

void show_script_outcomes(Tour& tour, const std::string& script) {
  tour.sql(script);
  auto results = tour.connection().execute(script, false);
  if (!results) {
    std::printf("  failed: %s\n", describe(results.error()).c_str());
    return;
  }
  int number = 0;
  for (const auto& result : *results) {
    ++number;
    if (auto model = std::dynamic_pointer_cast<Providers::Contracts::TableModel>(result)) {
      std::printf("  [%d] a result of %zu row(s): %s\n", number, model->get_rows().size(),
                  model->get_rows().empty() ? "" : model->get_value_at(0, 0)->to_string().c_str());
    } else if (auto error = std::dynamic_pointer_cast<Providers::Contracts::ValueError>(result)) {
      if (error->get_code() == 0) {
        std::printf("  [%d] no statement (only a comment)\n", number);
      } else {
        std::printf("  [%d] error %d: %s\n", number, error->get_code(), error->get_message().c_str());
      }
    } else if (auto value = std::dynamic_pointer_cast<Providers::Contracts::ValueObject>(result)) {
      std::printf("  [%d] %s row(s) changed\n", number, value->to_string().c_str());
    }
  }
}

OpenRequest demo_request(const std::string& path, const char* key, bool create) {
  OpenRequest request;
  request.database = path;
  request.key = key;
  request.create = create;
  return request;
}

// Whether the file at `path` is missing or is one the demo made (it carries
// the demo's application id), so that the demo may replace it.
bool replaceable(Session& session, const std::string& path, const char* key) {
  if (!g_file_test(path.c_str(), G_FILE_TEST_EXISTS)) {
    return true;
  }
  auto connection = session.open(demo_request(path, key, false));
  if (!connection) {
    return false;
  }
  auto id = (*connection)->execute_as_scalar("PRAGMA application_id", false);
  (*connection)->close();
  return id && *id && (*id)->to_string() == std::to_string(kDemoApplicationId);
}

void show_encryption(Session& session, const std::string& folder) {
  const std::string path = folder + "/demo-encrypted.db";
  g_remove(path.c_str());
  OpenRequest keyed = demo_request(path, "s3cret", true);
  auto connection = session.open(keyed);
  if (!connection) {
    std::printf("  could not create %s: %s\n", path.c_str(), connection.error().message.c_str());
    return;
  }
  (*connection)->execute("PRAGMA application_id = " + std::to_string(kDemoApplicationId) +
                             "; CREATE TABLE secrets(v TEXT); INSERT INTO secrets VALUES ('only with the key');",
                         false);
  (*connection)->close();
  std::printf("  made %s with the key \"s3cret\"\n", path.c_str());

  OpenRequest without = demo_request(path, "", false);
  auto refused = session.open(without);
  std::printf("  opened without the key: %s\n", refused ? "opened?" : refused.error().message.c_str());
  keyed.create = false;
  auto reopened = session.open(keyed);
  if (reopened) {
    auto value = (*reopened)->execute_as_scalar("SELECT v FROM secrets", false);
    std::printf("  opened with the key: %s\n", value && *value ? (*value)->to_string().c_str() : "?");
    (*reopened)->close();
  }
}

int run_demo(Session& session, const std::string& dir_option, bool force) {
  const std::string folder = dir_option.empty() ? session.paths().data_dir : dir_option;
  if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
    return report(Failure{kInputFailure, "cannot create the folder " + folder + ": " + g_strerror(errno)});
  }
  const std::string path = folder + "/demo.db";
  if (!force) {
    for (const auto& [file, key] : {std::pair{path, ""}, std::pair{folder + "/demo-encrypted.db", "s3cret"}}) {
      if (!replaceable(session, file, key)) {
        return report(Failure{kInputFailure, file + " exists and was not made by the demo; use --force to replace it"});
      }
    }
  }
  const std::string building = path + ".building";
  g_remove(building.c_str());

  std::printf("Tolvane demo: a tour of the engine on a sample SQLite database.\n");
  auto connection = session.open(demo_request(building, "", true));
  if (!connection) {
    return report(connection.error());
  }
  Tour tour(session, *connection);

  tour.heading("Build the sample database");
  tour.say("One script makes four related tables with foreign keys, an index, a view and a trigger,\n"
           "and fills them with computed rows: names with quotes and UTF-8, NULLs, reals and blobs.");
  auto built = (*connection)->execute(kDemoScript, false);
  std::size_t failures = 0;
  if (built) {
    for (const auto& result : *built) {
      auto error = std::dynamic_pointer_cast<Providers::Contracts::ValueError>(result);
      if (error && error->get_code() != 0) {
        ++failures;
        std::printf("  statement failed: %s\n", error->get_message().c_str());
      }
    }
  }
  if (!built || failures > 0) {
    (*connection)->close();
    g_remove(building.c_str());
    return report(Failure{kStatementFailed, "could not build the sample database" +
                                                (built ? std::string() : ": " + describe(built.error()))});
  }
  std::printf("  %zu statements run; SQLite %s\n", built->size(), (*connection)->get_version().c_str());
  (*connection)->close();
  if (g_rename(building.c_str(), path.c_str()) != 0) {
    return report(Failure{kInputFailure, "cannot move the sample database to " + path + ": " + g_strerror(errno)});
  }
  connection = session.open(demo_request(path, "", false));
  if (!connection) {
    return report(connection.error());
  }
  tour.use(*connection);
  std::printf("  saved as %s\n", path.c_str());

  tour.heading("What is in it");
  auto statement = (*connection)->statement();
  tour.query(statement->show_tables("main", "main", nullptr));
  tour.query(statement->show_views("main", "main", nullptr));

  tour.heading("A query runs on a worker thread and completes on the main loop");
  tour.query("SELECT customer, count(*) AS orders, round(sum(total), 2) AS spent FROM order_totals "
              "GROUP BY customer ORDER BY spent DESC LIMIT 5");

  tour.heading("Values keep their kinds: integers, reals, UTF-8 texts, NULLs, blobs");
  tour.query("SELECT c.id, c.name, c.city, c.credit, p.title, p.price, p.picture FROM customers c "
              "JOIN products p ON p.id = c.id WHERE c.id BETWEEN 10 AND 16");

  tour.heading("A script goes on past a failing statement");
  show_script_outcomes(tour, "SELECT count(*) FROM orders; SELECT * FROM no_such_table; "
                              "UPDATE products SET stock = stock + 1 WHERE id <= 3; -- the end");

  tour.heading("Transactions");
  auto begun = (*connection)->transaction();
  std::printf("  transaction started: %s\n", begun && *begun ? "yes" : "no");
  (*connection)->execute_no_query("DELETE FROM order_items", false);
  std::printf("  order items after DELETE: %s\n", tour.scalar("SELECT count(*) FROM order_items").c_str());
  (*connection)->rollback();
  std::printf("  order items after ROLLBACK: %s\n", tour.scalar("SELECT count(*) FROM order_items").c_str());

  tour.heading("SQL texts from the statement object");
  std::printf("  %s\n  %s\n  %s\n  %s\n", statement->show_structure("main", "main", "customers", nullptr).c_str(),
              statement->show_content("main", "main", "orders", "*", "note IS NOT NULL", "id", 20, 10).c_str(),
              statement->build_sql_insert("", "customers", {"name", "city"},
                                          {statement->pack_value(Providers::Contracts::DataType::String, "O'Brien"),
                                           statement->pack_value(Providers::Contracts::DataType::String, "Cork")})
                  .c_str(),
              statement->drop_object(Providers::Contracts::DBObject::Table, "main", "main", "odd`name", "").c_str());

  tour.heading("Structure: CREATE text from the metadata model, and a table rebuilt safely");
  tour_structure(**connection);

  tour.heading("Encrypted databases");
  (*connection)->close();
  show_encryption(session, folder);

  std::printf("\nTry it yourself:\n  tolvane query %s \"SELECT * FROM order_totals LIMIT 10\"\n"
              "  echo \"SELECT count(*) FROM customers;\" | tolvane script %s\n"
              "  tolvane tables %s --views --counts\n  tolvane schema %s orders order_totals\n"
              "  tolvane transform %s orders --rename-column note=remark --dry-run\n"
              "  tolvane export %s customers -o customers.csv\n"
              "  tolvane doc %s -o demo.html\n"
              "  tolvane copy %s copy.db --target-create && tolvane diff %s copy.db\n",
              path.c_str(), path.c_str(), path.c_str(), path.c_str(), path.c_str(), path.c_str(), path.c_str(),
              path.c_str(), path.c_str());
  return kSuccess;
}

}  // namespace

Runner add_demo_command(CLI::App& app) {
  auto dir = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand("demo", "Build a sample database and take a short tour");
  command->footer(
      "Build a small sample database (customers, products, orders, with foreign keys, an index, a view,\n"
      "a trigger and a few thousand rows) and show what tolvane can do with it. The database is written\n"
      "to $XDG_DATA_HOME/tolvane/demo.db, or into the folder given with --dir. A demo.db or\n"
      "demo-encrypted.db there that the demo did not make is left alone unless --force is given.");
  command->add_option("--dir", *dir, "Folder for the sample database");
  command->add_flag("--force", *force, "Replace demo.db and demo-encrypted.db even when the demo did not make them");
  return [command, dir, force](Session& session) {
    return command->parsed() ? run_demo(session, *dir, *force) : -1;
  };
}

}  // namespace Tolvane::Cli
