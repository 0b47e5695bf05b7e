// tolvane copy <source> <target> [--table T]... [--view V]... [--as-table V]...
//              [--rename OLD=NEW]... [--fields T:SRC=DST;...]... [--where T:COND]...
//              [--batch N] [--drop] [--continue] [--steps]

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

#include <glib/gstdio.h>

#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/transform/transfer.hpp"
#include "orvel/transform/transfer_fields.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/progress.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Transform::option_key;
using Orvel::Transform::Options;

struct CopyArguments {
  OpenRequest source;
  OpenRequest target;
  std::vector<std::string> tables;
  std::vector<std::string> views;
  std::vector<std::string> as_tables;
  std::vector<std::string> renames;
  std::vector<std::string> fields;
  std::vector<std::string> wheres;
  // Rows per transaction: a commit waits for the disk, so a larger page
  // copies faster; the job's own default (1000) suits a front end that shows
  // each page.
  std::string batch = "50000";
  bool drop = false;
  bool keep_going = false;
  bool steps = false;
};

Failure usage(std::string message) { return Failure{kUsage, std::move(message)}; }

// "NAME<separator>REST" split at the first separator.
Outcome<std::pair<std::string, std::string>> split_at(const std::string& text, char separator, const char* option,
                                                      const char* form) {
  const auto at = text.find(separator);
  if (at == std::string::npos || at == 0 || at + 1 == text.size()) {
    return std::unexpected(usage(std::string(option) + " takes " + form + ", not \"" + text + "\""));
  }
  return std::pair{text.substr(0, at), text.substr(at + 1)};
}

// The tables and views of the source's main schema, by kind, in the order
// the engine lists them; the engine's own tables are left out.
Outcome<std::map<std::string, std::string>> source_objects(Orvel::Contracts::Database::IConnection& source) {
  auto listed = source.execute_as_model(
      "SELECT name, type FROM \"main\".sqlite_master WHERE type IN ('table', 'view') "
      "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name;",
      false);
  if (!listed) {
    return std::unexpected(Failure{kStatementFailed, "cannot list the source's tables: " + describe(listed.error())});
  }
  std::map<std::string, std::string> objects;
  for (const auto& row : (*listed)->get_rows()) {
    objects[row->get_values()[0]->to_string()] = row->get_values()[1]->to_string();
  }
  return objects;
}

// A column the source does not have would copy nothing under its name.
std::optional<Failure> check_fields(Orvel::Contracts::Database::IConnection& source, const std::string& object,
                                    const std::string& fields) {
  auto columns = source.execute_as_model(
      "SELECT name FROM pragma_table_info(" + Orvel::Supports::Database::quoted(object, '\'') + ");", false);
  for (const auto& entry : Orvel::Transform::parse_fields(fields)) {
    const bool known = columns && std::any_of((*columns)->get_rows().begin(), (*columns)->get_rows().end(),
                                              [&](const auto& row) {
                                                return row->get_values()[0]->to_string() == entry.source;
                                              });
    if (!known) {
      return usage("--fields: \"" + object + "\" has no column \"" + entry.source + "\"");
    }
  }
  return std::nullopt;
}

// The job's options for the command line's choices.
Outcome<Options> job_options(const CopyArguments& arguments, const std::map<std::string, std::string>& objects,
                             Orvel::Contracts::Database::IConnection& source) {
  Options options{{"schema|main|MODE", ""}};
  if (arguments.keep_going) {
    options["OPTION|RESULT|CONTINUE"] = "true";
  }
  if (arguments.drop) {
    options["OPTION|RESULT|DROP_OBJECT"] = "true";
  }
  auto choose = [&](const std::string& name, const char* kind) -> std::optional<Failure> {
    const auto found = objects.find(name);
    if (found == objects.end() || found->second != kind) {
      return usage(std::string("the source has no ") + kind + " \"" + name + "\"");
    }
    options.try_emplace(option_key("table", name, "MODE"), "");
    return std::nullopt;
  };
  // Customized objects read their other words.
  auto customize = [&](const std::string& name) { options[option_key("table", name, "MODE")] = "true"; };
  const bool everything = arguments.tables.empty() && arguments.views.empty() && arguments.as_tables.empty();
  for (const auto& [name, kind] : objects) {
    if (everything) {
      options[option_key("table", name, "MODE")] = "";
    }
  }
  for (const auto& [names, kind] : {std::pair{&arguments.tables, "table"}, std::pair{&arguments.views, "view"},
                                     std::pair{&arguments.as_tables, "view"}}) {
    for (const std::string& name : *names) {
      if (auto failed = choose(name, kind)) {
        return std::unexpected(*failed);
      }
    }
  }
  for (const std::string& view : arguments.as_tables) {
    customize(view);
    options[option_key("table", view, "VIEW2TABLE")] = "true";
  }
  // "NAME<separator>VALUE" for an object that is copied, which then reads
  // its other words.
  auto chosen = [&](const std::string& text, char separator, const char* option,
                    const char* form) -> Outcome<std::pair<std::string, std::string>> {
    auto parts = split_at(text, separator, option, form);
    if (parts && !options.contains(option_key("table", parts->first, "MODE"))) {
      return std::unexpected(usage(std::string(option) + " names \"" + parts->first + "\", which is not copied"));
    }
    if (parts) {
      customize(parts->first);
    }
    return parts;
  };
  for (const std::string& rename : arguments.renames) {
    auto parts = chosen(rename, '=', "--rename", "OLD=NEW");
    if (!parts) {
      return std::unexpected(parts.error());
    }
    options[option_key("table", parts->first, "NAME")] = parts->second;
  }
  for (const std::string& field : arguments.fields) {
    auto parts = chosen(field, ':', "--fields", "TABLE:SRC=DST;SRC=DST...");
    if (!parts) {
      return std::unexpected(parts.error());
    }
    if (auto failed = check_fields(source, parts->first, parts->second)) {
      return std::unexpected(*failed);
    }
    const bool view = objects.at(parts->first) == "view";
    options[option_key(view ? "view" : "table", parts->first, "FIELDS")] = parts->second;
  }
  for (const std::string& where : arguments.wheres) {
    auto parts = chosen(where, ':', "--where", "TABLE:CONDITION");
    if (!parts) {
      return std::unexpected(parts.error());
    }
    std::string& records = options[option_key("table", parts->first, "RECORDS")];
    records += (records.empty() ? "" : ";") + parts->second;
  }
  {
    char* end = nullptr;
    const long long size = g_ascii_strtoll(arguments.batch.c_str(), &end, 10);
    if (*end != '\0' || size < 1) {
      return std::unexpected(usage("--batch takes a number of rows from 1 up, not \"" + arguments.batch + "\""));
    }
    for (const auto& [name, kind] : objects) {
      if (kind == "table" && options.contains(option_key("table", name, "MODE"))) {
        customize(name);
        options[option_key("table", name, "BATCH")] = arguments.batch;
      }
    }
  }
  return options;
}

// The file behind a connection's main schema ("" for an in-memory one).
std::string main_file(Orvel::Contracts::Database::IConnection& connection) {
  auto listed = connection.execute_as_model("SELECT file FROM pragma_database_list WHERE name = 'main';", false);
  if (!listed || (*listed)->get_rows().empty()) {
    return {};
  }
  return (*listed)->get_rows()[0]->get_values()[0]->to_string();
}

// Whether both connections reach one file: the copy would empty each table
// before reading it.
bool same_file(Orvel::Contracts::Database::IConnection& source, Orvel::Contracts::Database::IConnection& target) {
  const std::string first = main_file(source);
  const std::string second = main_file(target);
  GStatBuf a{};
  GStatBuf b{};
  return !first.empty() && !second.empty() && g_stat(first.c_str(), &a) == 0 && g_stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Prints the step lines the job queued, when asked; the per-row lines only
// then, since a million rows make a million lines.
void drain(Orvel::Contracts::Thread::Progress& record, bool print) {
  for (const std::string& line : record.take_messages()) {
    if (print) {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }
}

int run_copy(Session& session, const CopyArguments& arguments) {
  auto source = session.open(arguments.source);
  if (!source) {
    return report(source.error());
  }
  auto target = session.open(arguments.target);
  if (!target) {
    (*source)->close();
    return report(target.error());
  }
  auto finish = [&](int code) {
    (*source)->close();
    (*target)->close();
    return code;
  };
  if (same_file(**source, **target)) {
    return finish(report(usage("the source and the target are the same database; copying would empty its tables")));
  }
  auto objects = source_objects(**source);
  if (!objects) {
    return finish(report(objects.error()));
  }
  auto options = job_options(arguments, *objects, **source);
  if (!options) {
    return finish(report(options.error()));
  }
  auto job = Orvel::Transform::Transfer::create(std::move(*options));
  job->set_server_source(*source);
  job->set_server_target(*target);
  auto record = job->progress();

  // Ctrl-C stops the running statements at once (safe in the handler); the
  // loop below then tells the job to start no further step.
  auto& source_provider = Session::provider_of(**source);
  auto& target_provider = Session::provider_of(**target);
  auto stop = [](void* provider) { static_cast<Providers::Supports::SQLiteProvider*>(provider)->interrupt(); };
  Interrupts::Scope source_scope(stop, &source_provider);
  Interrupts::Scope target_scope(stop, &target_provider);

  std::thread worker([&job] { job->handle(); });
  Progress shown("rows");
  bool cancelled = false;
  while (!record->finished()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (Interrupts::requested() && !cancelled) {
      job->cancel();
      cancelled = true;
    }
    drain(*record, arguments.steps);
    shown.set(job->rows_copied());
  }
  worker.join();
  drain(*record, arguments.steps);
  shown.finish();
  if (Interrupts::requested()) {
    return finish(Interrupts::report());
  }
  const auto snapshot = record->snapshot();
  const auto broken = job->broken();
  std::fprintf(stderr, "copied %s rows in %s%s\n", Progress::grouped(job->rows_copied()).c_str(),
               Progress::duration(static_cast<double>(snapshot.elapsed.count()) / 1e6).c_str(),
               snapshot.failed > 0 ? (", " + Progress::grouped(snapshot.failed) + " steps failed").c_str() : "");
  if (broken) {
    return finish(report(Failure{kStatementFailed, "copy stopped: " + describe(*broken)}));
  }
  return finish(snapshot.failed > 0 ? kStatementFailed : kSuccess);
}

}  // namespace

Runner add_copy_command(CLI::App& app) {
  auto arguments = std::make_shared<CopyArguments>();
  CLI::App* command = app.add_subcommand("copy", "Copy tables and views with their rows into another database");
  command->footer(
      "Creates the chosen tables (with their indexes and triggers) and views of the source's main\n"
      "schema in the target, then empties each chosen table in the target and copies its rows: read\n"
      "once, in order, and inserted in pages of --batch rows, one transaction each, with every value\n"
      "kept as it is (integers, reals to the last bit, texts, blobs, NULL). Triggers are created after\n"
      "the rows, so copying fires none. Without --table, --view or --as-table everything is copied.\n"
      "Either database may be encrypted (--source-key, --target-key, or TOLVANE_SOURCE_KEY and\n"
      "TOLVANE_TARGET_KEY).\n"
      "\n"
      "Example: tolvane copy shop.db backup.db --target-create --table orders --where \"orders:total > 100\"");
  command->add_option("source", arguments->source.database, "The database to copy from (path, URI or profile)")
      ->required();
  command->add_option("target", arguments->target.database, "The database to copy into (path, URI or profile)")
      ->required();
  command->add_option("--table", arguments->tables, "Copy this table (repeat for more)")->allow_extra_args(false);
  command->add_option("--view", arguments->views, "Create this view (repeat for more)")->allow_extra_args(false);
  command->add_option("--as-table", arguments->as_tables, "Create this view as a table of its columns")
      ->allow_extra_args(false);
  command->add_option("--rename", arguments->renames, "OLD=NEW: give a table or view another name in the target")
      ->allow_extra_args(false);
  command->add_option("--fields", arguments->fields,
                      "TABLE:SRC=DST;...: copy only these columns, each under its new name")
      ->allow_extra_args(false);
  command->add_option("--where", arguments->wheres, "TABLE:CONDITION: copy only the rows that meet it (repeat: "
                                                    "each condition's rows in turn)")
      ->allow_extra_args(false);
  command->add_option("--batch", arguments->batch, "Rows per transaction (default 50000)");
  command->add_flag("--drop", arguments->drop, "Drop the chosen objects in the target before creating them");
  command->add_flag("--continue", arguments->keep_going, "Report failed steps and go on (default: stop at the first)");
  command->add_flag("--steps", arguments->steps, "Print every step the copy makes on standard error (one per row)");
  add_open_options(*command, arguments->source, "source-", "the source database", false);
  add_open_options(*command, arguments->target, "target-", "the target database");
  return [command, arguments](Session& session) { return command->parsed() ? run_copy(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
