// tolvane transform <database> <table> [edits...] [--dry-run]

#include <optional>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/create_text.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "orvel/supports/database/sqlite/sqlite_adapter.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_stream.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::MetaModel::MetaCheck;
using Orvel::MetaModel::MetaColumn;
using Orvel::MetaModel::MetaColumnPtr;
using Orvel::MetaModel::MetaForeignKey;
using Orvel::MetaModel::MetaTable;
using Orvel::MetaModel::MetaUnique;
using Orvel::Supports::Database::canonical_name;
using Orvel::Supports::Database::same_name;
using Orvel::Supports::Database::split_list;
using Providers::Contracts::DataVersion;
using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

struct TransformArguments {
  OpenRequest request;
  std::string table;
  std::vector<std::string> renames;
  std::vector<std::string> drops;
  std::vector<std::string> additions;
  std::vector<std::string> types;
  std::vector<std::string> not_null;
  std::vector<std::string> defaults;
  std::string primary_key;
  bool dry_run = false;
};

Failure usage(std::string message) { return Failure{kUsage, std::move(message)}; }

std::string q(const std::string& name) { return Orvel::Supports::Database::quoted(name, '"'); }

// "A=B" split at its first '='.
Outcome<std::pair<std::string, std::string>> assignment(const std::string& text, const char* option) {
  const auto equals = text.find('=');
  if (equals == std::string::npos || equals == 0) {
    return std::unexpected(usage(std::string(option) + " takes COLUMN=VALUE, not \"" + text + "\""));
  }
  return std::pair{text.substr(0, equals), text.substr(equals + 1)};
}

// Rewrites the names in SQL text that refer to a renamed column. In a table's
// own expressions every such name is the column; in trigger code only NEW.x and
// OLD.x surely are.
std::string rename_in(std::string_view sql, const std::string& from, const std::string& to, bool row_references_only) {
  const auto tokens = Providers::Supports::tokenize_sql(sql, true);
  std::string text;
  std::vector<const SqlToken*> previous;  // the last two tokens that are not white space or comments
  for (const SqlToken& token : tokens) {
    const std::string_view piece = token.text(sql);
    bool renamed = false;
    if ((token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::QuotedName) &&
        same_name(Providers::Supports::unquote_sql(piece), from)) {
      renamed = !row_references_only ||
                (previous.size() == 2 && previous[1]->text(sql) == "." &&
                 (same_name(previous[0]->text(sql), "new") || same_name(previous[0]->text(sql), "old")));
    }
    text += renamed ? canonical_name(to) : std::string(piece);
    if (!Providers::Supports::is_trivia(token.kind)) {
      previous.push_back(&token);
      if (previous.size() > 2) {
        previous.erase(previous.begin());
      }
    }
  }
  return text;
}

// Whether SQL text names `name` anywhere.
bool mentions(std::string_view sql, const std::string& name) {
  for (const SqlToken& token : Providers::Supports::tokenize_sql(sql)) {
    if ((token.kind == SqlTokenKind::Word || token.kind == SqlTokenKind::QuotedName) &&
        same_name(Providers::Supports::unquote_sql(token.text(sql)), name)) {
      return true;
    }
  }
  return false;
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos ? std::string()
                                          : std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::string rename_in_list(const std::string& list, const std::string& from, const std::string& to) {
  std::string text;
  for (const std::string& item : split_list(list)) {
    text += (text.empty() ? "" : ", ") + rename_in(item, from, to, false);
  }
  return text;
}

// The type a column definition "c <type>" declares, when that is all it declares.
Outcome<std::string> checked_type(const std::string& type) {
  auto read = Orvel::Supports::Database::read_create_table("CREATE TABLE t(c " + type + ")");
  if (!read || read->columns.size() != 1 || read->columns[0].type != trimmed(type) || !read->uniques.empty() ||
      !read->checks.empty() || !read->foreign_keys.empty()) {
    return std::unexpected(usage("\"" + type + "\" is not a column type (say NOT NULL and DEFAULT with their options)"));
  }
  return read->columns[0].type;
}

class TableEdit {
 public:
  TableEdit(MetaTable& table, const Orvel::Contracts::Database::IInspectable* inspector)
      : m_table(table), m_inspector(inspector) {}

  std::optional<Failure> apply(const TransformArguments& arguments) {
    for (const std::string& rename : arguments.renames) {
      if (auto failed = rename_column(rename)) {
        return failed;
      }
    }
    for (const std::string& drop : arguments.drops) {
      auto column = find(drop);
      if (!column) {
        return column.error();
      }
      (*column)->set_version(DataVersion::Delete);
      m_changed = true;
    }
    for (const std::string& addition : arguments.additions) {
      if (auto failed = add_column(addition)) {
        return failed;
      }
    }
    for (const std::string& type : arguments.types) {
      if (auto failed = set_type(type)) {
        return failed;
      }
    }
    for (const std::string& name : arguments.not_null) {
      auto column = find(name);
      if (!column) {
        return column.error();
      }
      (*column)->set_not_null(true);
      touch(**column);
    }
    for (const std::string& value : arguments.defaults) {
      if (auto failed = set_default(value)) {
        return failed;
      }
    }
    if (!arguments.primary_key.empty()) {
      if (auto failed = set_primary_key(arguments.primary_key)) {
        return failed;
      }
    }
    if (!m_changed) {
      return usage("no change asked for; see tolvane transform --help");
    }
    return check_drops();
  }

 private:
  Outcome<MetaColumnPtr> find(const std::string& name) {
    for (const auto& column : m_table.get_columns()) {
      if (column->get_version() != DataVersion::Delete && same_name(column->get_name(), name)) {
        return column;
      }
    }
    return std::unexpected(usage("table " + q(m_table.get_name()) + " has no column " + q(name)));
  }

  bool exists(const std::string& name) { return find(name).has_value(); }

  void touch(MetaColumn& column) {
    if (column.get_version() != DataVersion::Insert) {
      column.set_version(DataVersion::Update);
    }
    m_changed = true;
  }

  std::optional<Failure> rename_column(const std::string& text) {
    auto parts = assignment(text, "--rename-column");
    if (!parts) {
      return parts.error();
    }
    const auto& [from, to] = *parts;
    auto column = find(from);
    if (!column) {
      return column.error();
    }
    if (exists(to) && !same_name(from, to)) {
      return usage("table " + q(m_table.get_name()) + " already has a column " + q(to));
    }
    const std::string old_name = (*column)->get_name();
    if ((*column)->get_original().empty() && (*column)->get_version() != DataVersion::Insert) {
      (*column)->set_original(old_name);
    }
    (*column)->set_name(to);
    touch(**column);
    // The table's own constraints, indexes and triggers follow the column.
    for (const auto& other : m_table.get_columns()) {
      other->set_expression(rename_in(other->get_expression(), old_name, to, false));
    }
    for (const auto& constraint : m_table.get_constraints()) {
      if (auto unique = std::dynamic_pointer_cast<MetaUnique>(constraint)) {
        unique->set_columns(rename_in_list(unique->get_columns(), old_name, to));
      } else if (auto check = std::dynamic_pointer_cast<MetaCheck>(constraint)) {
        check->set_check(rename_in(check->get_check(), old_name, to, false));
      } else if (auto key = std::dynamic_pointer_cast<MetaForeignKey>(constraint)) {
        key->set_local_columns(rename_in_list(key->get_local_columns(), old_name, to));
      }
    }
    for (const auto& index : m_table.get_indexes()) {
      for (std::string& term : index->get_columns()) {
        term = rename_in(term, old_name, to, false);
      }
      index->set_where(rename_in(index->get_where(), old_name, to, false));
    }
    for (const auto& trigger : m_table.get_triggers()) {
      trigger->set_columns(rename_in_list(trigger->get_columns(), old_name, to));
      trigger->set_when(rename_in(trigger->get_when(), old_name, to, true));
      trigger->set_body(rename_in(trigger->get_body(), old_name, to, true));
    }
    return std::nullopt;
  }

  std::optional<Failure> add_column(const std::string& text) {
    const auto tokens = Providers::Supports::tokenize_sql(text);
    if (tokens.empty() || (tokens[0].kind != SqlTokenKind::Word && tokens[0].kind != SqlTokenKind::QuotedName)) {
      return usage("--add-column takes \"NAME TYPE\", not \"" + text + "\"");
    }
    const std::string name = Providers::Supports::unquote_sql(tokens[0].text(text));
    if (exists(name)) {
      return usage("table " + q(m_table.get_name()) + " already has a column " + q(name));
    }
    std::string declared;
    if (tokens.size() > 1) {
      auto type = checked_type(text.substr(tokens[1].offset));
      if (!type) {
        return type.error();
      }
      declared = *type;
    }
    std::uint16_t ordinal = 0;
    for (const auto& column : m_table.get_columns()) {
      ordinal = std::max(ordinal, column->get_ordinal());
    }
    auto column = m_table.new_column(name, Providers::Contracts::DataType::Unknown);
    Orvel::Supports::Database::SQLiteAdapter::set_declared_type(*column, declared, m_inspector);
    column->set_ordinal(static_cast<std::uint16_t>(ordinal + 1));
    column->set_version(DataVersion::Insert);
    m_changed = true;
    return std::nullopt;
  }

  // "COLUMN=VALUE" with the column found.
  Outcome<std::pair<MetaColumnPtr, std::string>> column_assignment(const std::string& text, const char* option) {
    auto parts = assignment(text, option);
    if (!parts) {
      return std::unexpected(parts.error());
    }
    auto column = find(parts->first);
    if (!column) {
      return std::unexpected(column.error());
    }
    return std::pair{*column, parts->second};
  }

  std::optional<Failure> set_type(const std::string& text) {
    auto parts = column_assignment(text, "--type");
    if (!parts) {
      return parts.error();
    }
    auto& [column, type] = *parts;
    auto declared = checked_type(type);
    if (!declared) {
      return declared.error();
    }
    Orvel::Supports::Database::SQLiteAdapter::set_declared_type(*column, *declared, m_inspector);
    touch(*column);
    return std::nullopt;
  }

  std::optional<Failure> set_default(const std::string& text) {
    auto parts = column_assignment(text, "--default");
    if (!parts) {
      return parts.error();
    }
    auto& [column, value] = *parts;
    // One expression: balanced, complete, no second statement.
    int depth = 0;
    bool sound = !value.empty();
    for (const SqlToken& token : Providers::Supports::tokenize_sql(value)) {
      const std::string_view piece = token.text(value);
      depth += piece == "(" ? 1 : piece == ")" ? -1 : 0;
      sound = sound && depth >= 0 && token.kind != SqlTokenKind::Illegal && token.kind != SqlTokenKind::Semicolon;
    }
    if (!sound || depth != 0) {
      return usage("--default " + column->get_name() + " needs one SQL value or expression, not \"" + value + "\"");
    }
    column->set_default_value(value);
    touch(*column);
    return std::nullopt;
  }

  std::optional<Failure> set_primary_key(const std::string& list) {
    std::vector<MetaColumnPtr> key;
    std::string rest = list;
    for (std::size_t comma; !rest.empty(); rest = comma == std::string::npos ? "" : rest.substr(comma + 1)) {
      comma = rest.find(',');
      auto column = find(trimmed(rest.substr(0, comma)));
      if (!column) {
        return column.error();
      }
      key.push_back(*column);
    }
    for (const auto& column : m_table.get_columns()) {
      const auto position = std::find(key.begin(), key.end(), column) - key.begin();
      const bool in_key = position < static_cast<std::ptrdiff_t>(key.size());
      const auto ordinal = static_cast<std::uint8_t>(in_key ? position + 1 : 0);
      if (column->get_is_primary_key() != in_key || column->get_primary_ordinal() != ordinal) {
        column->set_is_primary_key(in_key);
        column->set_primary_ordinal(ordinal);
        touch(*column);
      }
      if (column->get_auto_increment() && (key.size() != 1 || !in_key)) {
        std::fprintf(stderr, "tolvane: warning: %s loses AUTOINCREMENT with the new primary key\n",
                     q(column->get_name()).c_str());
      }
    }
    return std::nullopt;
  }

  // A dropped column must not be left in a key, constraint, index or trigger.
  std::optional<Failure> check_drops() {
    for (const auto& column : m_table.get_columns()) {
      if (column->get_version() != DataVersion::Delete) {
        continue;
      }
      const std::string& name = column->get_name();
      auto used = [&](const std::string& by) {
        return usage("cannot drop column " + q(name) + ": " + by + " uses it");
      };
      if (column->get_is_primary_key()) {
        return used("the primary key (change it with --pk)");
      }
      for (const auto& other : m_table.get_columns()) {
        if (other->get_version() != DataVersion::Delete && mentions(other->get_expression(), name)) {
          return used("the generated column " + q(other->get_name()));
        }
      }
      for (const auto& constraint : m_table.get_constraints()) {
        if (constraint->get_version() == DataVersion::Delete) {
          continue;
        }
        auto unique = std::dynamic_pointer_cast<MetaUnique>(constraint);
        auto check = std::dynamic_pointer_cast<MetaCheck>(constraint);
        auto key = std::dynamic_pointer_cast<MetaForeignKey>(constraint);
        const bool inline_with = constraint->get_attributes().contains(std::string(Orvel::Supports::Database::MetaKeys::kColumn)) &&
                                 same_name(constraint->get_attributes().at(std::string(Orvel::Supports::Database::MetaKeys::kColumn)), name);
        if ((unique && (inline_with || mentions(unique->get_columns(), name))) ||
            (check && mentions(check->get_check(), name)) || (key && mentions(key->get_local_columns(), name))) {
          return used("the constraint " + q(constraint->get_name()));
        }
      }
      for (const auto& index : m_table.get_indexes()) {
        bool uses = mentions(index->get_where(), name);
        for (const std::string& term : index->get_columns()) {
          uses = uses || mentions(term, name);
        }
        if (uses && index->get_version() != DataVersion::Delete) {
          return used("the index " + q(index->get_name()));
        }
      }
      for (const auto& trigger : m_table.get_triggers()) {
        if (mentions(trigger->get_columns(), name)) {
          return used("the trigger " + q(trigger->get_name()));
        }
      }
    }
    return std::nullopt;
  }

  MetaTable& m_table;
  const Orvel::Contracts::Database::IInspectable* m_inspector;
  bool m_changed = false;
};

int run_transform(Session& session, const TransformArguments& arguments) {
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  auto finish = [&](int code) {
    (*connection)->close();
    return code;
  };
  auto table = MetaTable::with_names(arguments.request.database, "main", arguments.table);
  if (auto filled = (*connection)->adapter()->fill_meta_table(table, true); !filled || table->get_columns().empty()) {
    return finish(report(usage("no table " + q(arguments.table) + " in " + arguments.request.database)));
  }
  if (!table->has_data("FILLED")) {
    return finish(report(Failure{kStatementFailed, "cannot read all of table " + q(arguments.table) +
                                                       "; nothing was changed (see the log)"}));
  }
  auto builder = (*connection)->builder();
  if (auto checked = builder->check_table(table); !checked) {
    return finish(report(Failure{kStatementFailed, checked.error().message + "; nothing was changed"}));
  }
  auto inspector = (*connection)->inspector();
  if (auto failed = TableEdit(*table, inspector.get()).apply(arguments)) {
    return finish(report(*failed));
  }
  const std::string script = builder->patch_table(table);
  if (arguments.dry_run) {
    OutputStream::standard_output().write(script + "\n");
    return finish(finish_output(kSuccess));
  }
  auto& provider = Session::provider_of(**connection);
  Interrupts::Scope interruptible([](void* target) { static_cast<decltype(&provider)>(target)->interrupt(); },
                                  &provider);
  auto outcome = Orvel::Supports::Database::ScriptRunner(**connection).run(script);
  if (!outcome && Interrupts::requested()) {
    return finish(Interrupts::report());
  }
  if (!outcome) {
    return finish(report(Failure{kStatementFailed, "transform of " + q(arguments.table) + " failed" +
                                                       (outcome.error().rolled_back ? " and changed nothing" : "") +
                                                       ": " + outcome.error().describe()}));
  }
  const std::string* backup = table->get_data_as<std::string>("BACKUP");
  auto rows = (*connection)->execute_as_scalar("SELECT count(*) FROM \"main\"." + q(table->get_name()) + ";", false);
  std::fprintf(stderr, "rebuilt %s with %s rows; the old table is kept as %s\n", q(table->get_name()).c_str(),
               rows && *rows ? (*rows)->to_string().c_str() : "its", backup ? q(*backup).c_str() : "a backup");
  return finish(kSuccess);
}

}  // namespace

void tour_structure(Orvel::Supports::Database::SQLiteConnection& connection) {
  auto orders = MetaTable::with_names("demo", "main", "orders");
  (void)connection.adapter()->fill_meta_table(orders, true);
  std::printf("  the adapter read \"orders\"; the builder writes it back:\n\n%s",
              connection.builder()->build_table(orders, true).c_str());
  auto products = MetaTable::with_names("demo", "main", "products");
  (void)connection.adapter()->fill_meta_table(products, true);
  TransformArguments edits;
  edits.additions = {"discount REAL"};
  edits.defaults = {"discount=0.0"};
  auto inspector = connection.inspector();
  if (auto failed = TableEdit(*products, inspector.get()).apply(edits)) {
    std::printf("  %s\n", failed->message.c_str());
    return;
  }
  auto count = [&](const char* sql) {
    auto value = connection.execute_as_scalar(sql, false);
    return value && *value ? (*value)->to_string() : std::string("?");
  };
  const std::string before = count("SELECT count(*) FROM products");
  auto outcome = Orvel::Supports::Database::ScriptRunner(connection).run(connection.builder()->patch_table(products));
  if (!outcome) {
    std::printf("  the rebuild failed and changed nothing: %s\n", outcome.error().describe().c_str());
    return;
  }
  std::printf("  products rebuilt with a new column in %zu statements: %s rows before, %s after;\n"
              "  order_totals, which joins products, still gives %s rows; foreign key violations: %s\n",
              *outcome, before.c_str(), count("SELECT count(*) FROM products").c_str(),
              count("SELECT count(*) FROM order_totals").c_str(),
              count("SELECT count(*) FROM pragma_foreign_key_check").c_str());
  // The rebuild keeps the old table; the sample database does not need it.
  if (const std::string* backup = products->get_data_as<std::string>("BACKUP")) {
    (void)connection.execute_no_query("DROP TABLE \"main\"." + q(*backup) + ";", false);
    std::printf("  the old table, kept as %s, is dropped again here\n", q(*backup).c_str());
  }
}

Runner add_transform_command(CLI::App& app) {
  auto arguments = std::make_shared<TransformArguments>();
  CLI::App* command = app.add_subcommand("transform", "Change a table's definition by rebuilding it safely");
  command->footer(
      "Change columns of a table the way SQLite allows only by rebuilding the table: read its definition,\n"
      "apply the changes, and run the rebuild in one transaction. The table is renamed to a backup\n"
      "(kept afterwards as <table>_old_<time>), created anew and filled with every row; its indexes and\n"
      "triggers are made again, and foreign keys, views and triggers of other tables keep naming it.\n"
      "Before the commit every view and trigger that uses the table is compiled and the foreign keys\n"
      "are checked; any failure rolls everything back and leaves the database as it was.\n"
      "\n"
      "Edits apply in this order, each may be repeated: --rename-column, --drop-column, --add-column,\n"
      "--type, --not-null, --default, then --pk; later edits name columns by their new names. A renamed\n"
      "column is renamed in the table's own constraints, indexes and triggers (NEW.x and OLD.x); views\n"
      "and other tables' triggers that still use the old name stop the rebuild.\n"
      "\n"
      "Example: tolvane transform shop.db orders --rename-column note=remark --type qty=INTEGER \\\n"
      "           --add-column \"shipped TEXT\" --default shipped=CURRENT_TIMESTAMP --dry-run");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("table", arguments->table, "The table to change (in the main schema)")->required();
  command->add_option("--rename-column", arguments->renames, "OLD=NEW: rename a column")->allow_extra_args(false);
  command->add_option("--drop-column", arguments->drops, "C: drop a column and its data")->allow_extra_args(false);
  command->add_option("--add-column", arguments->additions, "\"NAME TYPE\": add a column (NULL in every row)")
      ->allow_extra_args(false);
  command->add_option("--type", arguments->types, "C=TYPE: declare another type, e.g. price=NUMERIC(10,2)")
      ->allow_extra_args(false);
  command->add_option("--not-null", arguments->not_null, "C: make a column NOT NULL (fails on rows with NULL)")
      ->allow_extra_args(false);
  command->add_option("--default", arguments->defaults,
                      "C=VALUE: a default, a literal ('text', 42) or an expression (datetime('now'))")
      ->allow_extra_args(false);
  command->add_option("--pk", arguments->primary_key, "C1,C2,...: the new primary key, in key order");
  command->add_flag("--dry-run", arguments->dry_run, "Print the rebuild script instead of running it");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) {
    return command->parsed() ? run_transform(session, *arguments) : -1;
  };
}

}  // namespace Tolvane::Cli
