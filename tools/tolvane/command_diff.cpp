// tolvane diff <source> <target> [--json] [--sql]

#include <json-glib/json-glib.h>

#include "tessin/core/json_properties.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/output_stream.hpp"
#include "tools/tolvane/schema_pair.hpp"

namespace Tolvane::Cli {

namespace {

using namespace Orvel::MetaModel;
using Providers::Contracts::DataVersion;

struct DiffArguments {
  SchemaPair pair;
  bool json = false;
  bool sql = false;
};

// One difference: what, its name, the change, and for a changed table what
// changed inside it.
struct Difference {
  std::string kind;
  std::string name;
  DataVersion change = DataVersion::Initial;
  std::vector<Difference> parts;
};

template <class T>
void add_changed(std::vector<Difference>& out, const std::vector<std::shared_ptr<T>>& items, const std::string& kind) {
  for (const auto& item : items) {
    if (item && item->get_version() != DataVersion::Identical) {
      out.push_back(Difference{kind, item->get_name(), item->get_version(), {}});
    }
  }
}

std::string constraint_kind(const MetaConstraint& constraint) {
  if (dynamic_cast<const MetaForeignKey*>(&constraint)) {
    return "foreign key";
  }
  if (dynamic_cast<const MetaCheck*>(&constraint)) {
    return "check";
  }
  if (dynamic_cast<const MetaUnique*>(&constraint)) {
    return "unique";
  }
  return "constraint";
}

std::vector<Difference> differences(const MetaSchema& patch) {
  std::vector<Difference> found;
  for (const auto& table : patch.get_tables()) {
    if (!table || table->get_version() == DataVersion::Identical) {
      continue;
    }
    Difference difference{"table", table->get_name(), table->get_version(), {}};
    if (table->get_version() == DataVersion::Update) {
      add_changed(difference.parts, table->get_columns(), "column");
      add_changed(difference.parts, table->get_indexes(), "index");
      add_changed(difference.parts, table->get_triggers(), "trigger");
      for (const auto& constraint : table->get_constraints()) {
        if (constraint && constraint->get_version() != DataVersion::Identical) {
          difference.parts.push_back(
              Difference{constraint_kind(*constraint), constraint->get_name(), constraint->get_version(), {}});
        }
      }
      for (const auto& [key, value] : table->get_options()) {
        difference.parts.push_back(Difference{"option", key, DataVersion::Update, {}});
      }
    }
    found.push_back(std::move(difference));
  }
  add_changed(found, patch.get_views(), "view");
  add_changed(found, patch.get_functions(), "function");
  add_changed(found, patch.get_events(), "event");
  return found;
}

std::string as_text(const std::vector<Difference>& found) {
  std::string text;
  for (const Difference& difference : found) {
    text += std::string(change_word(difference.change)) + " " + difference.kind + " " + difference.name + "\n";
    for (const Difference& part : difference.parts) {
      text += "  " + std::string(change_word(part.change)) + " " + part.kind + " " + part.name + "\n";
    }
  }
  return text;
}

void add_json(JsonBuilder* builder, const Difference& difference) {
  json_builder_begin_object(builder);
  json_builder_set_member_name(builder, "kind");
  json_builder_add_string_value(builder, difference.kind.c_str());
  json_builder_set_member_name(builder, "name");
  json_builder_add_string_value(builder, difference.name.c_str());
  json_builder_set_member_name(builder, "change");
  json_builder_add_string_value(builder, change_word(difference.change));
  if (!difference.parts.empty()) {
    json_builder_set_member_name(builder, "parts");
    json_builder_begin_array(builder);
    for (const Difference& part : difference.parts) {
      add_json(builder, part);
    }
    json_builder_end_array(builder);
  }
  json_builder_end_object(builder);
}

std::string as_json(const std::vector<Difference>& found, const std::string* script) {
  auto builder = Core::GRef<JsonBuilder>::adopt(json_builder_new());
  json_builder_begin_object(builder.get());
  json_builder_set_member_name(builder.get(), "same");
  json_builder_add_boolean_value(builder.get(), found.empty());
  json_builder_set_member_name(builder.get(), "differences");
  json_builder_begin_array(builder.get());
  for (const Difference& difference : found) {
    add_json(builder.get(), difference);
  }
  json_builder_end_array(builder.get());
  if (script != nullptr) {
    json_builder_set_member_name(builder.get(), "sql");
    json_builder_add_string_value(builder.get(), script->c_str());
  }
  json_builder_end_object(builder.get());
  Core::Json::NodeRef root = Core::Json::NodeRef::adopt(json_builder_get_root(builder.get()));
  return Core::Json::to_text(root.get(), true, 2) + "\n";
}

int run_diff(Session& session, const DiffArguments& arguments) {
  auto pair = arguments.pair.open(session);
  if (!pair) {
    return report(pair.error());
  }
  const std::vector<Difference> found = pair->patch ? differences(*pair->patch) : std::vector<Difference>();
  std::string script;
  if (arguments.sql && !found.empty()) {
    auto job = pair->job_for();
    auto steps = job ? (*job)->plan() : Core::Result<std::vector<Orvel::Transform::SyncStep>>();
    if (!job || !steps) {
      pair->close();
      return report(job ? Failure{kStatementFailed, "cannot make the script: " + describe(steps.error())}
                        : job.error());
    }
    script = sync_script(*steps);
  }
  pair->close();
  OutputStream& out = OutputStream::standard_output();
  if (arguments.json) {
    out.write(as_json(found, arguments.sql ? &script : nullptr));
  } else {
    out.write(as_text(found));
    if (arguments.sql && !script.empty()) {
      out.write("\n" + script);
    }
  }
  return finish_output(found.empty() ? kSuccess : kDifferent);
}

}  // namespace

Runner add_diff_command(CLI::App& app) {
  auto arguments = std::make_shared<DiffArguments>();
  CLI::App* command = app.add_subcommand("diff", "Compare the structures of two databases");
  command->footer(
      "Compare the main schemas of two databases: tables with their columns, indexes, triggers and\n"
      "constraints, and views. Each difference is one line, \"<change> <kind> <name>\", with the\n"
      "parts of a changed table indented below it; the change says what the target needs to become\n"
      "like the source (insert: only the source has it; delete: only the target has it; update:\n"
      "both have it, differently). Nothing is printed when the structures are the same.\n"
      "--sql adds the script `tolvane sync` would run on the target; --json writes one JSON object.\n"
      "\n"
      "Exit code 0 when the structures are the same and 10 when they differ; other codes as listed.\n"
      "\n"
      "Example: tolvane diff app-v2.db app.db --sql");
  arguments->pair.add(*command);
  command->add_flag("--json", arguments->json, "Write the differences as one JSON object");
  command->add_flag("--sql", arguments->sql, "Also print the script that would bring the target in line");
  return [command, arguments](Session& session) { return command->parsed() ? run_diff(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
