// tolvane schema <database> [object...] [--json]

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/output_stream.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::MetaModel::MetaDatabase;
using Orvel::MetaModel::MetaDatabasePtr;
using Orvel::MetaModel::MetaObjectPtr;
using Orvel::MetaModel::MetaTrigger;
using Orvel::Supports::Database::same_name;

struct SchemaArguments {
  OpenRequest request;
  std::vector<std::string> objects;
  bool json = false;
};

// A named object of the filled database: a table, view or index from the
// fill, a trigger filled on its own (the builder writes single triggers from
// the trigger fill).
Outcome<MetaObjectPtr> find_object(Orvel::Contracts::Database::IAdaptable& adapter, const MetaDatabase& database,
                                   const std::string& name) {
  for (const auto& schema : database.get_schemas()) {
    for (const auto& table : schema->get_tables()) {
      if (same_name(table->get_name(), name)) {
        return table;
      }
    }
    for (const auto& view : schema->get_views()) {
      if (same_name(view->get_name(), name)) {
        return view;
      }
    }
    for (const auto& table : schema->get_tables()) {
      for (const auto& index : table->get_indexes()) {
        if (same_name(index->get_name(), name)) {
          return index;
        }
      }
      for (const auto& trigger : table->get_triggers()) {
        if (same_name(trigger->get_name(), name)) {
          auto single = MetaTrigger::with_names(database.get_name(), schema->get_name(), trigger->get_name());
          if (auto filled = adapter.fill_meta_trigger(single); !filled) {
            return std::unexpected(Failure{kStatementFailed, "cannot read the trigger " + name + ": " +
                                                                 describe(filled.error())});
          }
          return single;
        }
      }
    }
  }
  return std::unexpected(Failure{kUsage, "no table, view, index or trigger named \"" + name + "\""});
}

// Tables whose CREATE text would not be the same table again.
void warn_about(Orvel::Contracts::Database::IBuildable& builder, const MetaObjectPtr& object) {
  auto table = std::dynamic_pointer_cast<Orvel::MetaModel::MetaTable>(object);
  if (!table) {
    return;
  }
  if (!table->has_data("FILLED")) {
    std::fprintf(stderr, "tolvane: warning: %s could not be read completely (see the log)\n",
                 table->get_name().c_str());
  }
  if (auto checked = builder.check_table(table); !checked && !table->get_options().contains("USING")) {
    std::fprintf(stderr, "tolvane: warning: %s\n", checked.error().message.c_str());
  }
}

int run_schema(Session& session, const SchemaArguments& arguments) {
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  auto adapter = (*connection)->adapter();
  auto builder = (*connection)->builder();
  MetaDatabasePtr database = MetaDatabase::with_name(arguments.request.database);
  if (auto filled = adapter->fill_meta_database(database, true); !filled) {
    (*connection)->close();
    return report(Failure{kStatementFailed, "cannot read the structure of " + arguments.request.database + ": " +
                                                describe(filled.error())});
  }
  OutputStream& out = OutputStream::standard_output();
  std::vector<MetaObjectPtr> objects;
  for (const std::string& name : arguments.objects) {
    auto found = find_object(*adapter, *database, name);
    if (!found) {
      (*connection)->close();
      return report(found.error());
    }
    objects.push_back(std::move(*found));
  }
  if (objects.empty()) {
    for (const auto& schema : database->get_schemas()) {
      for (const auto& table : schema->get_tables()) {
        warn_about(*builder, table);
      }
    }
    out.write(arguments.json ? database->to_json() + "\n" : builder->create_database(database, true));
  } else {
    for (const MetaObjectPtr& object : objects) {
      warn_about(*builder, object);
      std::string text = arguments.json ? object->to_json() + "\n" : builder->build_create(object, true);
      if (!arguments.json && !text.ends_with("\n")) {
        text += "\n";
      }
      out.write(text);
    }
  }
  (*connection)->close();
  return finish_output(kSuccess);
}

}  // namespace

Runner add_schema_command(CLI::App& app) {
  auto arguments = std::make_shared<SchemaArguments>();
  CLI::App* command = app.add_subcommand("schema", "Print the CREATE text of a database or of some of its objects");
  command->footer(
      "Read the structure of a database (tables with their columns, keys, constraints, indexes and\n"
      "triggers; views with theirs) and print the SQL that creates it again: for the whole database, or\n"
      "for the tables, views, indexes and triggers named. Every statement names its schema. With\n"
      "--json the structure itself is printed, one JSON object per line. A table whose CREATE text\n"
      "would not declare the same table again is named in a warning on standard error.");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("object", arguments->objects, "Tables, views, indexes or triggers to print (default: all)");
  command->add_flag("--json", arguments->json, "Print the structure as JSON instead of SQL");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_schema(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
