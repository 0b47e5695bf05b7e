// tolvane tables <database> [--views] [--counts]

#include <unistd.h>

#include "orvel/contracts/database/explorable.hpp"
#include "orvel/model/meta_database.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/contracts/values.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/output_options.hpp"
#include "tools/tolvane/row_source.hpp"

namespace Tolvane::Cli {

namespace {

using Providers::Contracts::ColumnModel;
using Providers::Contracts::DataType;
using Providers::Contracts::DBObject;
using Providers::Contracts::RowModel;
using Providers::Contracts::TableModel;
using Providers::Contracts::TableModelPtr;

struct TablesArguments {
  OpenRequest request;
  bool views = false;
  bool counts = false;
  OutputOptionSet output;
};

std::string text_at(const TableModel& model, int column, std::size_t row) {
  auto value = model.get_value_at(column, static_cast<int>(row));
  return value ? value->to_string() : std::string();
}

int run_tables(Session& session, const TablesArguments& arguments) {
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  auto explorer = (*connection)->explorer();
  // The explorer wants a database object for its callers; it reads none of it.
  const Core::ObjectPtr database = Orvel::MetaModel::MetaDatabase::with_name("main");
  auto failed = [&](const Core::Error& error) {
    (*connection)->close();
    return report(Failure{kStatementFailed, "cannot list the objects of " + arguments.request.database + ": " +
                                                describe(error)});
  };
  auto tables = explorer->load_objects("main", "main", DBObject::Table, database);
  if (!tables) {
    return failed(tables.error());
  }
  TableModelPtr views;
  if (arguments.views) {
    auto listed = explorer->load_objects("main", "main", DBObject::View, database);
    if (!listed) {
      return failed(listed.error());
    }
    views = *listed;
  }

  auto listing = TableModel::create();
  auto& columns = listing->get_columns();
  columns.push_back(ColumnModel::full("name", DataType::String));
  columns.push_back(ColumnModel::full("type", DataType::String));
  columns.push_back(ColumnModel::full("indexes", DataType::Int64));
  columns.push_back(ColumnModel::full("triggers", DataType::Int64));
  if (arguments.counts) {
    columns.push_back(ColumnModel::full("rows", DataType::Int64));
  }
  auto add = [&](const std::string& name, const char* type, TableModel& source, std::size_t row) -> bool {
    auto line = RowModel::create();
    auto& values = line->get_values();
    values.push_back(Providers::Contracts::ValueString::create(name));
    values.push_back(Providers::Contracts::ValueString::create(type));
    for (int column : {1, 2}) {
      auto value = &source == views.get() ? nullptr : source.get_value_at(column, static_cast<int>(row));
      values.push_back(value ? value : Providers::Contracts::ValueNull::create());
    }
    if (arguments.counts) {
      auto count = (*connection)->execute_as_scalar(
          "SELECT count(*) FROM \"main\"." + Orvel::Supports::Database::quoted(name, '"') + ";", false);
      if (!count) {
        std::fprintf(stderr, "tolvane: cannot count the rows of %s: %s\n", name.c_str(), describe(count.error()).c_str());
        return false;
      }
      values.push_back(*count);
    }
    listing->get_rows().push_back(std::move(line));
    return true;
  };
  bool counted = true;
  for (std::size_t row = 0; row < (*tables)->get_rows().size(); ++row) {
    counted = add(text_at(**tables, 0, row), "table", **tables, row) && counted;
  }
  if (views) {
    for (std::size_t row = 0; row < views->get_rows().size(); ++row) {
      counted = add(text_at(*views, 0, row), "view", *views, row) && counted;
    }
  }
  (*connection)->close();
  OutputStream& out = OutputStream::standard_output();
  auto writer = make_row_writer(arguments.output.resolve(isatty(STDOUT_FILENO) != 0), out);
  write_model(*listing, *writer);
  return finish_output(counted ? kSuccess : kStatementFailed);
}

}  // namespace

Runner add_tables_command(CLI::App& app) {
  auto arguments = std::make_shared<TablesArguments>();
  CLI::App* command = app.add_subcommand("tables", "List the tables (and views) of a database");
  command->footer(
      "List the tables of a database's main schema with the number of indexes and triggers of each,\n"
      "as the explorer of a front end shows them (the engine's own tables such as sqlite_sequence\n"
      "included). --views adds the views, --counts the number of rows of each table and view.");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_flag("--views", arguments->views, "Also list the views");
  command->add_flag("--counts", arguments->counts, "Count the rows of each table (and view)");
  arguments->output.add(*command);
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_tables(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
