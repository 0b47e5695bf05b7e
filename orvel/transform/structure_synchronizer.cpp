#include "orvel/transform/structure_synchronizer.hpp"

#include <unordered_map>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using namespace MetaModel;
using Contracts::Database::IConnection;
using Contracts::Thread::Progress;
using Providers::Contracts::DBObject;
using Providers::Contracts::DataVersion;
namespace MetaKeys = Supports::Database::MetaKeys;

// The savepoint that stands in for a step's own transaction inside the job's.
constexpr const char* kSavepoint = "tolvane_sync";

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n\f\v");
  if (first == std::string_view::npos) {
    return {};
  }
  return std::string(text.substr(first, text.find_last_not_of(" \t\r\n\f\v") - first + 1));
}

std::string lower_ascii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = g_ascii_tolower(c);
  }
  return lower;
}

std::string upper_ascii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    c = g_ascii_toupper(c);
  }
  return upper;
}

// Names every object of a table with the target's database and schema: the
// builder qualifies the table, its indexes and its triggers with them.
void retarget(MetaObject& object, const std::string& database, const std::string& schema) {
  object.set_database(database);
  object.set_schema(schema);
  auto* table = dynamic_cast<MetaTable*>(&object);
  if (table == nullptr) {
    return;
  }
  auto each = [&](auto& items) {
    for (auto& item : items) {
      if (item) {
        item->set_database(database);
        item->set_schema(schema);
      }
    }
  };
  each(table->get_columns());
  each(table->get_indexes());
  each(table->get_triggers());
  each(table->get_constraints());
  each(table->get_rules());
}

// The counter of an AUTOINCREMENT table is data, not structure: two tables
// declared alike with other rows must compare equal, and a rebuild keeps the
// target's own counter.
void drop_counters(MetaSchema& schema) {
  for (const auto& table : schema.get_tables()) {
    if (table) {
      table->get_options().erase(std::string(MetaKeys::kAutoincrementSeed));
    }
  }
}

// The statement's drop text, with the object's schema: an unqualified name
// would reach a temporary object of the same name first.
std::string qualified_drop(IConnection& connection, DBObject kind, const MetaObject& object) {
  auto statement = connection.statement();
  if (!statement) {
    return {};
  }
  std::string text =
      statement->drop_object(kind, object.get_database(), object.get_schema(), object.get_name(), std::string());
  const std::string bare = Supports::Database::quoted(object.get_name(), '`') + ";";
  if (!object.get_schema().empty() && text.ends_with(bare)) {
    text.insert(text.size() - bare.size(), Supports::Database::quoted(object.get_schema(), '`') + ".");
  }
  return text;
}

// The rebuild keeps the old table as a backup; inside the rebuild's own
// transaction it goes again once the rows have been copied and checked.
void drop_backup(std::string& text, const MetaTable& table) {
  const std::string* backup = table.get_data_as<std::string>("BACKUP");
  const auto commit = text.rfind("COMMIT;\n");
  if (backup == nullptr || commit == std::string::npos) {
    return;
  }
  const std::string schema = table.get_schema().empty() ? std::string("main") : table.get_schema();
  text.insert(commit, "DROP TABLE " + Supports::Database::quoted(schema, '"') + "." +
                          Supports::Database::quoted(*backup, '"') + ";\n");
}

// A rebuild compiles every view that uses the table, as the database stood
// when the text was made; views the job drops before the rebuilds (and makes
// again after them) are left out of those checks.
void skip_checks_of(SyncStep& step, const std::string& schema, const std::vector<std::string>& views) {
  if (views.empty() || step.text.empty()) {
    return;
  }
  std::vector<std::string> names;
  for (const std::string& view : views) {
    names.push_back(Supports::Database::quoted(schema, '"') + "." + Supports::Database::quoted(view, '"'));
  }
  std::string text;
  for (const auto& span : Providers::Supports::split_statements(step.text)) {
    const std::string_view statement = span.text(step.text);
    bool skipped = false;
    if (statement.starts_with("EXPLAIN ")) {
      for (const std::string& name : names) {
        const auto at = statement.find(name);
        const char after = at == std::string_view::npos || at + name.size() >= statement.size()
                               ? '\0'
                               : statement[at + name.size()];
        skipped = skipped || after == ' ' || after == ';';
      }
    }
    if (!skipped) {
      text.append(statement).append("\n");
    }
  }
  step.text = std::move(text);
}

// A step's text as one piece of the job's transaction: its own BEGIN and
// COMMIT become a savepoint, and the settings it switches around them are
// left to the job, which switches them once.
std::string nested(const SyncStep& step) {
  if (!step.own_transaction) {
    return step.text;
  }
  std::string text;
  for (const auto& span : Providers::Supports::split_statements(step.text)) {
    const std::string statement(span.text(step.text));
    const std::string upper = upper_ascii(statement);
    if (upper == "BEGIN;") {
      text += std::string("SAVEPOINT ") + kSavepoint + ";\n";
    } else if (upper == "COMMIT;") {
      text += std::string("RELEASE ") + kSavepoint + ";\n";
    } else if (upper.starts_with("PRAGMA FOREIGN_KEYS =") || upper.starts_with("PRAGMA LEGACY_ALTER_TABLE =")) {
      continue;
    } else {
      text += statement + "\n";
    }
  }
  return text;
}

std::string setting(IConnection& connection, const char* name) {
  auto value = connection.execute_as_scalar(std::string("PRAGMA ") + name + ";", false);
  return value && *value && Providers::Contracts::to_integer(**value) != 0 ? "ON" : "OFF";
}

template <class T>
void select_each(Options& options, const std::vector<std::shared_ptr<T>>& items, DBObject kind) {
  for (const auto& item : items) {
    if (item) {
      options[option_key(OptionWord::kOption, Providers::Contracts::to_string(kind), item->get_name())] = "";
    }
  }
}

}  // namespace

const Core::TypeInfo& StructureSynchronizer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelTransformStructureSynchronizer", &SyncJob::static_type(), {},
                                   nullptr, {});
  return info;
}

StructureSynchronizer::StructureSynchronizer(Options options) : SyncJob(std::move(options)) {}

std::shared_ptr<StructureSynchronizer> StructureSynchronizer::create(Options options) {
  return std::make_shared<StructureSynchronizer>(std::move(options));
}

Core::Status StructureSynchronizer::initialize() {
  {
    std::lock_guard lock(m_mutex);
    TOLVANE_RETURN_VAL_IF_FAIL(server_source() != nullptr, "m_source != NULL", {});
    TOLVANE_RETURN_VAL_IF_FAIL(server_target() != nullptr, "m_target != NULL", {});
    auto schema_name = [this](std::string_view side) {
      const std::string name = m_options.side_schema(side);
      // The adapter reads a named schema; the main one when none is named.
      return name.empty() ? std::string("main") : name;
    };
    m_schema_source =
        MetaSchema::with_names(m_options.side_database(OptionWord::kSource), schema_name(OptionWord::kSource));
    m_schema_target =
        MetaSchema::with_names(m_options.side_database(OptionWord::kTarget), schema_name(OptionWord::kTarget));
  }
  return refill();
}

Core::Status StructureSynchronizer::refill() {
  auto [source, target, schema_source, schema_target] = sides();
  TOLVANE_RETURN_VAL_IF_FAIL(schema_source != nullptr, "schema_source != NULL", {});
  TOLVANE_RETURN_VAL_IF_FAIL(schema_target != nullptr, "schema_target != NULL", {});
  schema_source->reset();
  schema_target->reset();
  if (auto filled = source->adapter()->fill_meta_schema(schema_source, true); !filled) {
    return filled;
  }
  if (auto filled = target->adapter()->fill_meta_schema(schema_target, true); !filled) {
    return filled;
  }
  drop_counters(*schema_source);
  drop_counters(*schema_target);
  return {};
}

StructureSynchronizer::Sides StructureSynchronizer::sides() const {
  std::lock_guard lock(m_mutex);
  return Sides{server_source(), server_target(), m_schema_source, m_schema_target};
}

Core::Result<Core::ObjectPtr> StructureSynchronizer::preview() {
  auto [source, target, schema_source, schema_target] = sides();
  TOLVANE_RETURN_VAL_IF_FAIL(schema_source != nullptr, "schema_source != NULL", Core::ObjectPtr());
  MetaSchemaPtr patch;
  m_patcher.diff_meta_schema(schema_source, schema_target, false, &patch);
  // The diff marked the trees; the next step wants them clean.
  if (auto filled = refill(); !filled) {
    return std::unexpected(filled.error());
  }
  return Core::ObjectPtr(patch);
}

Core::Result<std::vector<std::string>> StructureSynchronizer::generate() {
  auto steps = plan();
  if (!steps) {
    return std::unexpected(steps.error());
  }
  std::vector<std::string> texts;
  for (const SyncStep& step : *steps) {
    if (!step.refusal && !step.text.empty()) {
      texts.push_back(step.text);
    }
  }
  return texts;
}

Core::Result<std::vector<SyncStep>> StructureSynchronizer::plan() {
  auto [source, target, schema_source, schema_target] = sides();
  TOLVANE_RETURN_VAL_IF_FAIL(schema_source != nullptr, "schema_source != NULL", std::vector<SyncStep>());
  if (auto filled = refill(); !filled) {
    return std::unexpected(filled.error());
  }
  MetaSchemaPtr patch;
  if (m_patcher.diff_meta_schema(schema_source, schema_target, false, &patch) !=
          static_cast<int>(DataVersion::Update) ||
      !patch) {
    return std::vector<SyncStep>();
  }
  auto builder = target->builder();
  const std::string database = schema_target->get_database();
  const std::string schema = schema_target->get_name();
  std::unordered_map<std::string_view, MetaTablePtr> desired_tables;
  for (const auto& table : schema_source->get_tables()) {
    if (table) {
      desired_tables.emplace(table->get_name(), table);
    }
  }

  std::vector<SyncStep> early_views;
  std::vector<std::string> early_names;
  std::vector<SyncStep> tables;
  std::vector<SyncStep> later;
  auto step_for = [&](const MetaObject& object, DBObject kind) {
    SyncStep step;
    step.kind = kind;
    step.name = object.get_name();
    step.mark = object.get_version();
    return step;
  };
  auto selected = [&](const MetaObject& object, DBObject kind) {
    return m_options.selected(Providers::Contracts::to_string(kind), object.get_name());
  };

  // SQLite takes names that differ only in ASCII letter case for one name:
  // creating "Orders" beside "orders" would do nothing (IF NOT EXISTS) and
  // dropping "orders" would then take its rows. Such a pair is refused.
  std::unordered_map<std::string, int> one_sided;
  for (const auto& table : patch->get_tables()) {
    if (table && (table->get_version() == DataVersion::Insert || table->get_version() == DataVersion::Delete)) {
      ++one_sided[lower_ascii(table->get_name())];
    }
  }

  for (const auto& table : patch->get_tables()) {
    if (!table || !selected(*table, DBObject::Table) || table->get_version() == DataVersion::Identical) {
      continue;
    }
    retarget(*table, database, schema);
    SyncStep step = step_for(*table, DBObject::Table);
    if (one_sided[lower_ascii(table->get_name())] > 1) {
      step.refusal = Core::Error{"SQL", -1,
                                 "the source and the target name table \"" + table->get_name() +
                                     "\" in different letter case, which SQLite takes for one name; rename it "
                                     "first"};
      tables.push_back(std::move(step));
      continue;
    }
    switch (table->get_version()) {
      case DataVersion::Insert:
        step.text = builder->build_table(table, true);
        break;
      case DataVersion::Delete:
        step.text = qualified_drop(*target, DBObject::Table, *table);
        break;
      case DataVersion::Update: {
        // The patch holds only the options that differ; the table is built
        // from all of the desired table's options, with those on top.
        auto desired = desired_tables.find(table->get_name());
        if (desired != desired_tables.end()) {
          TextMap options = desired->second->get_options();
          for (const auto& [key, value] : table->get_options()) {
            options[key] = value;
          }
          table->set_options(std::move(options));
          for (const auto& [key, value] : desired->second->get_attributes()) {
            table->get_attributes().insert_or_assign(key, value);
          }
        }
        step.own_transaction = true;
        if (auto checked = builder->check_table(table); !checked) {
          step.refusal = checked.error();
          break;
        }
        step.text = builder->patch_table(table);
        if (step.text.empty()) {
          step.refusal = Core::Error{"SQL", -1, "cannot rebuild table " + table->get_name()};
        }
        drop_backup(step.text, *table);
        break;
      }
      default:
        continue;
    }
    tables.push_back(std::move(step));
  }

  for (const auto& view : patch->get_views()) {
    if (!view || !selected(*view, DBObject::View)) {
      continue;
    }
    retarget(*view, database, schema);
    SyncStep step = step_for(*view, DBObject::View);
    switch (view->get_version()) {
      case DataVersion::Insert:
        step.text = builder->build_view(view);
        break;
      case DataVersion::Update: {
        const std::string drop = qualified_drop(*target, DBObject::View, *view);
        step.text = drop + "\n" + builder->build_view(view);
        if (!tables.empty()) {
          SyncStep early = step_for(*view, DBObject::View);
          early.mark = DataVersion::Delete;
          early.text = drop;
          early_views.push_back(std::move(early));
          early_names.push_back(view->get_name());
        }
        break;
      }
      case DataVersion::Delete:
        step.text = qualified_drop(*target, DBObject::View, *view);
        if (!tables.empty()) {
          early_names.push_back(view->get_name());
          early_views.push_back(std::move(step));
          continue;
        }
        break;
      default:
        continue;
    }
    later.push_back(std::move(step));
  }

  for (SyncStep& step : tables) {
    if (step.own_transaction) {
      skip_checks_of(step, schema, early_names);
    }
  }

  auto routines = [&](const auto& items, DBObject kind, auto build) {
    for (const auto& item : items) {
      if (!item || !selected(*item, kind == DBObject::Procedure ? DBObject::Function : kind)) {
        continue;
      }
      retarget(*item, database, schema);
      SyncStep step = step_for(*item, kind);
      switch (item->get_version()) {
        case DataVersion::Insert:
          step.text = build(item);
          break;
        case DataVersion::Update:
          step.text = qualified_drop(*target, kind, *item) + "\n" + build(item);
          break;
        case DataVersion::Delete:
          step.text = qualified_drop(*target, kind, *item);
          break;
        default:
          continue;
      }
      later.push_back(std::move(step));
    }
  };
  routines(patch->get_functions(), DBObject::Function,
           [&](const MetaFunctionPtr& function) { return builder->build_function(function); });
  routines(patch->get_events(), DBObject::Event,
           [&](const MetaEventPtr& event) { return builder->build_event(event); });

  std::vector<SyncStep> steps;
  steps.reserve(early_views.size() + tables.size() + later.size());
  for (auto* group : {&early_views, &tables, &later}) {
    for (SyncStep& step : *group) {
      if (step.refusal || !trimmed(step.text).empty()) {
        steps.push_back(std::move(step));
      }
    }
  }
  return steps;
}

void StructureSynchronizer::handle() {
  auto [source, target, schema_source, schema_target] = sides();
  TOLVANE_RETURN_IF_FAIL(source != nullptr, "m_source != NULL");
  TOLVANE_RETURN_IF_FAIL(target != nullptr, "m_target != NULL");
  start_clock();
  const bool continuing = m_options.continue_on_failure();
  if (!schema_source) {
    if (auto initialized = initialize(); !initialized) {
      TOLVANE_LOG_UNCAUGHT(initialized.error());
      return;
    }
  }
  auto steps = plan();
  if (!steps) {
    TOLVANE_LOG_UNCAUGHT(steps.error());
    return;
  }
  run_steps(*target, *steps, !continuing);
  progress()->set_finished(true);
}

bool StructureSynchronizer::run_steps(IConnection& target, const std::vector<SyncStep>& steps, bool whole_job) {
  const Contracts::Thread::ProgressPtr progress_record = progress();
  Supports::Database::ScriptRunner runner(target);
  auto run = [&](const std::string& text) -> Core::Status {
    auto outcome = runner.run(text);
    if (!outcome) {
      return Core::fail(outcome.error().to_error());
    }
    return {};
  };
  const std::string foreign_keys = whole_job ? setting(target, "foreign_keys") : std::string();
  const std::string legacy = whole_job ? setting(target, "legacy_alter_table") : std::string();
  auto restore = [&] {
    (void)target.execute_no_query("PRAGMA legacy_alter_table = " + legacy + ";", false);
    (void)target.execute_no_query("PRAGMA foreign_keys = " + foreign_keys + ";", false);
  };
  auto undo = [&] {
    // An engine error may have ended the transaction already.
    (void)target.execute_no_query("ROLLBACK;", false);
    restore();
    progress_record->queue(Progress::stamped("rolled back: the target is as it was before the synchronization"));
  };
  if (whole_job) {
    // Rebuilds switch these around their own transaction; inside the job's
    // they are set once, before it starts.
    (void)target.execute_no_query("PRAGMA foreign_keys = OFF;", false);
    (void)target.execute_no_query("PRAGMA legacy_alter_table = ON;", false);
    if (auto begun = target.execute_no_query("BEGIN;", false); !begun) {
      restore();
      progress_record->report_failure(std::chrono::microseconds(0), Progress::stamped(begun.error().message));
      return false;
    }
  }
  for (const SyncStep& step : steps) {
    Core::Status outcome = step.refusal ? Core::Status(Core::fail(*step.refusal))
                                        : run(whole_job              ? nested(step)
                                              : step.own_transaction ? step.text
                                                                     : all_or_nothing(step.text));
    report(*progress_record, outcome);
    if (!outcome) {
      if (whole_job) {
        undo();
        return false;
      }
    }
  }
  if (!whole_job) {
    return true;
  }
  if (foreign_keys == "ON") {
    if (auto checked = run("PRAGMA foreign_key_check;"); !checked) {
      report(*progress_record, checked);
      undo();
      return false;
    }
  }
  if (auto committed = target.execute_no_query("COMMIT;", false); !committed) {
    report(*progress_record, Core::fail(committed.error()));
    undo();
    return false;
  }
  restore();
  return true;
}

MetaSchemaPtr StructureSynchronizer::schema_source() const {
  std::lock_guard lock(m_mutex);
  return m_schema_source;
}

MetaSchemaPtr StructureSynchronizer::schema_target() const {
  std::lock_guard lock(m_mutex);
  return m_schema_target;
}

Options StructureSynchronizer::select_all(const MetaSchemaPtr& patch) {
  Options options;
  if (patch) {
    select_each(options, patch->get_tables(), DBObject::Table);
    select_each(options, patch->get_views(), DBObject::View);
    select_each(options, patch->get_functions(), DBObject::Function);
    select_each(options, patch->get_events(), DBObject::Event);
  }
  return options;
}

}  // namespace Tolvane::Orvel::Transform
