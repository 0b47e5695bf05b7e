#include "orvel/transform/transfer.hpp"

#include <algorithm>
#include <limits>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "orvel/supports/database/sqlite/sqlite_adapter.hpp"
#include "orvel/transform/transfer_fields.hpp"
#include "orvel/transform/transfer_rows.hpp"
#include "tessin/core/source_log.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

using Contracts::Thread::Progress;
using MetaModel::MetaSchema;
using MetaModel::MetaTable;
using namespace std::string_literals;

constexpr std::int64_t kDefaultBatch = 1000;

std::string sq(const std::string& text) { return Supports::Database::quoted(text, '\''); }
std::string dq(const std::string& text) { return Supports::Database::quoted(text, '"'); }

// BATCH as a page size: a whole decimal number from 1 up to the 32-bit limit
// of a query's LIMIT; anything else (0, negative, not a number) is the default.
std::int64_t page_size(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  const long long value = g_ascii_strtoll(start, &end, 10);
  if (end == start || *end != '\0' || value < 1) {
    return kDefaultBatch;
  }
  return std::min<long long>(value, std::numeric_limits<std::int32_t>::max());
}

// RECORDS cut into its conditions. A ';' inside a literal or quoted name
// belongs to its condition, and an empty piece (a trailing ';') is no
// condition; no condition at all means every row.
std::vector<std::string> row_filters(const std::string& records) {
  std::vector<std::string> filters;
  for (const auto& span : Providers::Supports::split_statements(records)) {
    std::string_view text = span.text(records);
    if (text.ends_with(';')) {
      text.remove_suffix(1);
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    if (last != std::string_view::npos) {
      filters.emplace_back(text.substr(0, last + 1));
    }
  }
  if (filters.empty()) {
    filters.emplace_back();
  }
  return filters;
}

// The first words of a statement, names unquoted, keywords upper-cased.
std::vector<std::string> leading_words(std::string_view statement, std::size_t count) {
  std::vector<std::string> words;
  for (const auto& token : Providers::Supports::tokenize_sql(statement.substr(0, 200))) {
    if (words.size() == count) {
      break;
    }
    std::string word = Providers::Supports::unquote_sql(token.text(statement));
    if (token.kind == Providers::Supports::SqlTokenKind::Word) {
      word = Core::take_std(g_ascii_strup(word.c_str(), -1));
    }
    words.push_back(std::move(word));
  }
  return words;
}

// CREATE [TEMP|TEMPORARY] TRIGGER ... and CREATE [UNIQUE] INDEX ...: what
// is made after the rows are in.
bool creates_after_rows(std::string_view statement) {
  const auto words = leading_words(statement, 3);
  if (words.size() < 2 || words[0] != "CREATE") {
    return false;
  }
  const bool temporary = words[1] == "TEMP" || words[1] == "TEMPORARY";
  const std::string& kind = temporary || words[1] == "UNIQUE" ? (words.size() == 3 ? words[2] : words[0]) : words[1];
  return kind == "TRIGGER" || (kind == "INDEX" && !temporary);
}

// INSERT INTO [schema.]sqlite_sequence ...: the builder's AUTOINCREMENT
// counter, which the data copy carries over itself (and which fails on a
// target whose table already exists without AUTOINCREMENT).
bool seeds_counter(std::string_view statement) {
  const auto words = leading_words(statement, 5);
  return words.size() >= 3 && words[0] == "INSERT" && words[1] == "INTO" &&
         (words[2] == "sqlite_sequence" || (words.size() == 5 && words[3] == "." && words[4] == "sqlite_sequence"));
}

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
  std::string text;
  for (const std::string& item : items) {
    text += (text.empty() ? "" : std::string(separator)) + item;
  }
  return text;
}

// Gives a schema, and everything in it, its name in the target, so every
// statement built from it names the target's schema.
void rename_schema(MetaSchema& schema, const std::string& name) {
  schema.set_name(name);
  for (const auto& table : schema.get_tables()) {
    table->set_schema(name);
    for (const auto& index : table->get_indexes()) {
      index->set_schema(name);
    }
    for (const auto& trigger : table->get_triggers()) {
      trigger->set_schema(name);
    }
  }
  for (const auto& view : schema.get_views()) {
    view->set_schema(name);
  }
}

// The rows a filtered or named column list can take: generated columns
// compute themselves and refuse values.
std::vector<std::string> stored_columns(const MetaTable& table) {
  std::vector<MetaModel::MetaColumnPtr> columns;
  for (const auto& column : table.get_columns()) {
    if (column && !column->get_is_virtual()) {
      columns.push_back(column);
    }
  }
  return collect_columns_all(columns);
}

std::string column_list(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += (text.empty() ? "" : ", ") + Helpers::DatabaseHelper::format_column_name(name);
  }
  return text;
}

}  // namespace

const Core::TypeInfo& Transfer::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelTransformTransfer", &Core::Object::static_type(),
                                   {&Contracts::Thread::ITransform::static_type()}, nullptr, {});
  return info;
}

Transfer::Transfer(Options options) : m_options(std::move(options)) {}

Transfer::~Transfer() = default;

Core::Status Transfer::initialize() { return {}; }

void Transfer::cancel() {
  m_cancelled.store(true, std::memory_order_relaxed);
  std::lock_guard lock(m_mutex);
  if (m_copy != nullptr) {
    m_copy->cancel();
  }
  for (const auto& connection : {server_source(), server_target()}) {
    if (connection) {
      connection->interrupt();
    }
  }
}

std::optional<Core::Error> Transfer::broken() const {
  std::lock_guard lock(m_mutex);
  return m_broken;
}

std::chrono::microseconds Transfer::elapsed() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - m_started);
}

void Transfer::succeeded(std::string_view text) { progress()->report_success(elapsed(), text); }

Core::Status Transfer::failed(std::string line, Core::Error error) {
  progress()->report_failure(elapsed(), std::move(line));
  if (m_continue && !cancelled()) {
    return {};
  }
  return Core::fail(std::move(error));
}

void Transfer::handle() {
  TOLVANE_RETURN_IF_FAIL(server_source() != nullptr && server_target() != nullptr,
                         "server_source != NULL && server_target != NULL");
  m_started = std::chrono::steady_clock::now();
  m_cancelled.store(false, std::memory_order_relaxed);
  m_rows.store(0, std::memory_order_relaxed);
  m_deferred.clear();
  {
    std::lock_guard lock(m_mutex);
    m_broken.reset();
  }
  auto record = progress();
  record->reset_counters();
  m_continue = m_options.continue_on_failure();
  TOLVANE_WARNING("Process continue: %s", m_continue ? "true" : "false");

  auto run = [&]() -> Core::Status {
    auto tree = load_meta_data();
    if (!tree) {
      return Core::fail(std::move(tree.error()));
    }
    if (auto status = transfer_structure(**tree); !status) {
      return status;
    }
    auto fresh = load_meta_data();
    if (!fresh) {
      return Core::fail(std::move(fresh.error()));
    }
    auto copied = transfer_user_data(**fresh);
    // Triggers come last: rows copied into a table with its triggers in
    // place would fire them and add rows the source does not have. Indexes
    // too: one build costs far less than keeping them up to date row by row.
    // They belong to the structure, which is made whole even when copying
    // rows failed; only a cancelled job leaves them out.
    std::string last;
    last.swap(m_deferred);
    if (cancelled()) {
      return copied;
    }
    auto made = run_pieces(last, "create table", false);
    return copied ? made : copied;
  };
  if (auto status = run(); !status) {
    TOLVANE_WARNING("Process is broken: %s", status.error().message.c_str());
    std::lock_guard lock(m_mutex);
    m_broken = std::move(status.error());
  }
  TOLVANE_WARNING("Handle finished.");
  record->set_finished(true);
}

Core::Result<Transfer::MetaDatabasePtr> Transfer::load_meta_data() {
  auto database = MetaModel::MetaDatabase::with_name(m_options.side_database(OptionWord::kSource));
  if (cancelled()) {
    return Core::fail("SQLite", 9, "interrupted");
  }
  if (auto filled = server_source()->adapter()->fill_meta_database(database, true); !filled) {
    const std::string line = Progress::stamped("Load meta data......\n" + filled.error().message);
    if (auto status = failed(line, filled.error()); !status) {
      return Core::fail(std::move(status.error()));
    }
    return database;
  }
  succeeded("Load meta data......[done]");
  return database;
}

Core::Status Transfer::transfer_structure(MetaModel::MetaDatabase& database) {
  transfer_structure_trim(database);
  return do_restructure(database);
}

void Transfer::transfer_structure_trim(MetaModel::MetaDatabase& database) {
  auto& schemas = database.get_schemas();
  // From the last to the first, so removing one keeps the places of the rest.
  for (std::size_t s = schemas.size(); s-- > 0;) {
    MetaSchema& schema = *schemas[s];
    const std::string key = option_key("schema", schema.get_name(), OptionWord::kMode);
    const bool selected = m_options.has("schema", schema.get_name(), OptionWord::kMode);
    const std::string mode = m_options.get("schema", schema.get_name(), OptionWord::kMode);
    TOLVANE_WARNING("Handle schema: %s ==> %s", key.c_str(), selected ? mode.c_str() : "NULL");
    if (!selected) {
      schemas.erase(schemas.begin() + static_cast<std::ptrdiff_t>(s));
      continue;
    }
    TOLVANE_WARNING("Handle schema: %s.%s......", schema.get_database().c_str(), schema.get_name().c_str());
    if (mode == "true") {
      const std::string name = m_options.get("schema", schema.get_name(), OptionWord::kName, schema.get_name());
      if (!name.empty() && name != schema.get_name()) {
        rename_schema(schema, name);
      }
    }
    for (std::size_t t = schema.get_tables().size(); t-- > 0;) {
      transfer_structure_trim_table(schema, t);
    }
    for (std::size_t v = schema.get_views().size(); v-- > 0;) {
      transfer_structure_trim_view(schema, v);
    }
    TOLVANE_WARNING("Handle schema: %s.%s......[done]", schema.get_database().c_str(), schema.get_name().c_str());
  }
}

void Transfer::transfer_structure_trim_table(MetaSchema& schema, std::size_t index) {
  auto& tables = schema.get_tables();
  auto table = tables[index];
  const std::string source_name = table->get_name();
  if (!m_options.has("table", source_name, OptionWord::kMode)) {
    tables.erase(tables.begin() + static_cast<std::ptrdiff_t>(index));
    return;
  }
  TOLVANE_WARNING("Handle table: %s.%s.%s......", table->get_database().c_str(), schema.get_name().c_str(),
                  source_name.c_str());
  if (m_options.get("table", source_name, OptionWord::kMode) == "true") {
    const std::string name = m_options.get("table", source_name, OptionWord::kName, source_name);
    if (!name.empty()) {
      table->set_name(name);
    }
    const std::string fields = m_options.get("table", source_name, OptionWord::kFields, "ALL");
    if (fields != "ALL") {
      for (const std::string& part : trim_to_fields(*table, fields)) {
        TOLVANE_WARNING("Handle table: %s leaves out %s: it uses a column not copied", source_name.c_str(),
                        part.c_str());
      }
    }
  }
  succeeded("tidy table: " + schema.get_database() + "." + schema.get_name() + "." + table->get_name() +
            "......[done]");
}

void Transfer::transfer_structure_trim_view(MetaSchema& schema, std::size_t index) {
  auto& views = schema.get_views();
  auto view = views[index];
  const std::string source_name = view->get_name();
  if (!m_options.has("table", source_name, OptionWord::kMode)) {
    views.erase(views.begin() + static_cast<std::ptrdiff_t>(index));
    return;
  }
  TOLVANE_WARNING("Handle view: %s.%s.%s......", view->get_database().c_str(), schema.get_name().c_str(),
                  source_name.c_str());
  if (m_options.get("table", source_name, OptionWord::kMode) == "true") {
    const std::string name = m_options.get("table", source_name, OptionWord::kName, source_name);
    if (m_options.get("table", source_name, OptionWord::kViewToTable) == "true") {
      auto table = MetaTable::with_names(view->get_database(), schema.get_name(), name.empty() ? source_name : name);
      table->get_columns() = view_columns(*view);
      const std::string fields = m_options.get("view", source_name, OptionWord::kFields, "ALL");
      if (fields != "ALL") {
        apply_fields(table->get_columns(), fields);
      }
      schema.get_tables().push_back(table);
      // The table takes the view's place: both under one name cannot exist.
      views.erase(views.begin() + static_cast<std::ptrdiff_t>(index));
      succeeded("tidy view: " + schema.get_database() + "." + schema.get_name() + "." + table->get_name() +
                "......[done]");
      return;
    }
    if (!name.empty()) {
      view->set_name(name);
    }
  }
  succeeded("tidy view: " + schema.get_database() + "." + schema.get_name() + "." + view->get_name() +
            "......[done]");
}

std::vector<MetaModel::MetaColumnPtr> Transfer::view_columns(const MetaModel::MetaView& view) {
  std::vector<MetaModel::MetaColumnPtr> columns;
  const std::string schema = view.get_schema().empty() ? "main"s : view.get_schema();
  auto rows = server_source()->execute_as_model(
      "SELECT name, type FROM pragma_table_info(" + sq(view.get_name()) + ", " + sq(schema) + ");", false);
  if (!rows) {
    TOLVANE_LOG_UNCAUGHT(rows.error());
    // What the view's text says, without types.
    for (const auto& column : view.get_columns()) {
      columns.push_back(column->clone_as<MetaModel::MetaColumn>());
    }
    return columns;
  }
  auto inspector = server_target()->inspector();
  auto holder = MetaTable::with_names(view.get_database(), schema, view.get_name());
  for (const auto& row : (*rows)->get_rows()) {
    auto column = holder->new_column(row->get_values()[0]->to_string(), Providers::Contracts::DataType::Unknown);
    Supports::Database::SQLiteAdapter::set_declared_type(*column, row->get_values()[1]->to_string(), inspector.get());
  }
  return holder->get_columns();
}

Core::Status Transfer::do_restructure(MetaModel::MetaDatabase& database) {
  auto builder = server_target()->builder();
  if (m_options.drop_objects()) {
    for (const auto& schema : database.get_schemas()) {
      if (auto status = run_pieces(builder->build_delete(schema), "drop object", false); !status) {
        return status;
      }
    }
  }
  for (const auto& schema : database.get_schemas()) {
    // The declared types as written: a type the inspector does not know
    // (INT, DATETIME, DOUBLE, none) would otherwise lose its affinity.
    const std::string text = builder->build_schema(schema, true);
    TOLVANE_WARNING("Transfer schema: %s.%s......\n%s", schema->get_database().c_str(), schema->get_name().c_str(),
                    text.c_str());
    if (auto status = run_pieces(text, "create table", true); !status) {
      return status;
    }
    TOLVANE_WARNING("Transfer schema: %s.%s......[done]", schema->get_database().c_str(), schema->get_name().c_str());
  }
  TOLVANE_WARNING("Call transfer_structure...[done]");
  return {};
}

Core::Status Transfer::run_pieces(const std::string& text, const char* what, bool defer) {
  auto target = server_target();
  for (const auto& span : Providers::Supports::split_statements(text)) {
    if (cancelled()) {
      return Core::fail("SQLite", 9, "interrupted");
    }
    const std::string piece(span.text(text));
    if (defer && creates_after_rows(piece)) {
      m_deferred += piece + "\n";
      continue;
    }
    if (defer && seeds_counter(piece)) {
      continue;
    }
    TOLVANE_WARNING("transfer_structure: %s", piece.c_str());
    auto outcome = Supports::Database::ScriptRunner(*target).run(piece);
    if (outcome) {
      succeeded(what + "......[done]\n"s + piece);
      continue;
    }
    Core::Error error = outcome.error().error;
    const std::string line = Progress::stamped(what + "......"s + error.message + "\n" + piece);
    if (auto status = failed(line, std::move(error)); !status) {
      return status;
    }
  }
  return {};
}

Core::Status Transfer::transfer_user_data(MetaModel::MetaDatabase& database) {
  TOLVANE_WARNING("Call transfer_user_data...");
  for (const auto& schema : database.get_schemas()) {
    if (!m_options.has("schema", schema->get_name(), OptionWord::kMode)) {
      continue;
    }
    std::string target_schema = schema->get_name();
    if (m_options.get("schema", schema->get_name(), OptionWord::kMode) == "true") {
      target_schema = m_options.get("schema", schema->get_name(), OptionWord::kName, target_schema);
      if (target_schema.empty()) {
        target_schema = schema->get_name();
      }
    }
    for (const auto& table : schema->get_tables()) {
      if (!m_options.has("table", table->get_name(), OptionWord::kMode)) {
        continue;
      }
      if (auto status = transfer_userdata_table(*table, target_schema); !status) {
        return status;
      }
    }
  }
  TOLVANE_WARNING("Call transfer_user_data...[done]");
  return {};
}

Core::Status Transfer::transfer_userdata_table(const MetaTable& table, const std::string& target_schema) {
  const std::string& database = table.get_database();
  const std::string& schema = table.get_schema();
  const std::string& name = table.get_name();
  const std::string title = database + "." + schema + "." + name;
  TOLVANE_WARNING("Transfer table: %s", title.c_str());
  RowTarget where{target_schema, name, stored_columns(table)};
  std::vector<std::string> source_columns = where.columns;
  std::int64_t batch = kDefaultBatch;
  std::string records;
  if (m_options.get("table", name, OptionWord::kMode) == "true") {
    const std::string renamed = m_options.get("table", name, OptionWord::kName, name);
    where.table = renamed.empty() ? name : renamed;
    const std::string fields = m_options.get("table", name, OptionWord::kFields, "ALL");
    if (fields != "ALL") {
      source_columns = collect_columns_customize(fields, true);
      where.columns = collect_columns_customize(fields, false);
    }
    batch = page_size(m_options.get("table", name, OptionWord::kBatch, "1000"));
    records = m_options.get("table", name, OptionWord::kRecords);
  }
  auto target = server_target();
  auto fail_table = [&](const Core::Error& error) {
    TOLVANE_WARNING("Transfer table: %s......[failed]", title.c_str());
    return failed(Progress::stamped("transfer table data " + title + "......\n" + error.message), error);
  };

  // Emptied in its own schema: an unqualified name would reach a temp table
  // of the same name first.
  std::string empty = "DELETE FROM " + dq(where.schema) + "." + dq(where.table) + ";";
  auto sequence = target->execute_as_model(
      "SELECT 1 FROM " + dq(where.schema) + ".sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence';", false);
  const bool has_sequence = sequence && !(*sequence)->get_rows().empty();
  if (has_sequence) {
    empty += "\nUPDATE " + dq(where.schema) + ".sqlite_sequence SET seq=0 WHERE name=" + sq(where.table) + ";";
  }
  if (auto emptied = Supports::Database::run_script(*target, empty); !emptied) {
    return fail_table(emptied.error());
  }
  progress()->queue(Progress::stamped("truncate table: " + database + "." + where.schema + "." + where.table +
                                      "......[done]"));

  const std::vector<std::string> filters = row_filters(records);
  TOLVANE_WARNING("Recordsets: %d -> %s", static_cast<int>(filters.size()), joined(filters, ";").c_str());
  RowCopy copy(*target, where, batch);
  copy.on_row([this](const std::string& text, const Core::Error* error) {
    if (error == nullptr) {
      progress()->report_success(elapsed(), text);
      m_rows.fetch_add(1, std::memory_order_relaxed);
    } else {
      progress()->report_failure(elapsed(), Progress::stamped(text + "\n" + error->message));
    }
  });
  {
    std::lock_guard lock(m_mutex);
    m_copy = &copy;
  }
  Core::Status copied;
  const std::string columns = column_list(source_columns);
  for (const std::string& filter : filters) {
    copied = copy_rows(table, filter, columns, copy);
    if (!copied) {
      break;
    }
  }
  {
    std::lock_guard lock(m_mutex);
    m_copy = nullptr;
  }
  if (!copied) {
    return fail_table(copied.error());
  }
  if (auto kept = keep_counter(table, where); !kept) {
    return fail_table(kept.error());
  }
  succeeded("transfer table data " + title + "......[done]\n");
  TOLVANE_WARNING("Transfer table: %s......[done]", title.c_str());
  return {};
}

Core::Status Transfer::keep_counter(const MetaTable& table, const RowTarget& where) {
  const auto& options = table.get_options();
  const auto seed = options.find(std::string(Supports::Database::MetaKeys::kAutoincrementSeed));
  if (seed == options.end() || seed->second.empty() ||
      !std::all_of(seed->second.begin(), seed->second.end(), [](char c) { return g_ascii_isdigit(c); })) {
    return {};
  }
  auto target = server_target();
  const std::string schema = dq(where.schema);
  auto counted = target->execute_as_model("SELECT 1 FROM " + schema + ".sqlite_master WHERE type = 'table' AND name = " +
                                              sq(where.table) + " AND sql LIKE '%AUTOINCREMENT%';",
                                          false);
  if (!counted) {
    return Core::fail(std::move(counted.error()));
  }
  if ((*counted)->get_rows().empty()) {
    return {};
  }
  const std::string sequence = schema + ".sqlite_sequence";
  return Supports::Database::run_script(
      *target, "UPDATE " + sequence + " SET seq = max(seq, " + seed->second + ") WHERE name = " + sq(where.table) +
                   ";\nINSERT INTO " + sequence + " (name, seq) SELECT " + sq(where.table) + ", " + seed->second +
                   " WHERE NOT EXISTS (SELECT 1 FROM " + sequence + " WHERE name = " + sq(where.table) + ");");
}

Core::Status Transfer::copy_rows(const MetaTable& table, const std::string& filter, const std::string& columns,
                                 RowCopy& copy) {
  auto source = server_source();
  auto statement = source->statement();
  const std::string& database = table.get_database();
  const std::string counting = statement->show_effected(database, table.get_schema(), table.get_name(), filter);
  auto counted = source->execute_as_scalar(counting, false);
  if (!counted) {
    return Core::fail(std::move(counted.error()));
  }
  const std::int64_t count = *counted ? Providers::Contracts::to_integer(**counted) : 0;
  TOLVANE_WARNING("Handle recordset: %s -> %lld\n%s", filter.c_str(), static_cast<long long>(count), counting.c_str());
  if (count <= 0) {
    return {};
  }
  // One forward read cut into pages here: paging with OFFSET would read the
  // skipped rows again for every page.
  const std::string query =
      statement->show_content(database, table.get_schema(), table.get_name(), columns, filter, "", 0, 0);
  auto reader = source->execute_reader(query);
  if (!reader) {
    return Core::fail(std::move(reader.error()));
  }
  const std::string title = database + "." + table.get_schema() + "." + table.get_name();
  const RowTarget& where = copy.target();
  const std::string into = where.schema + "." + where.table + "(" + joined(where.columns, ", ") + ")";
  const int values = (*reader)->get_field_count();
  copy.on_page_start([&] {
    progress()->queue(Progress::stamped("transfer data " + title + "......\n" + query));
    TOLVANE_WARNING("Call transfer_data_model: %s, values(%d)", into.c_str(), values);
  });
  copy.on_page([&](std::int64_t rows) {
    TOLVANE_WARNING("Call transfer_data_model......[done]");
    TOLVANE_WARNING("Transfer recordset: %lld ==>\n%s", static_cast<long long>(rows), query.c_str());
  });
  auto copied = copy.copy(**reader);
  copy.on_page_start(nullptr);
  copy.on_page(nullptr);
  if (!copied) {
    return Core::fail(std::move(copied.error()));
  }
  return {};
}

}  // namespace Tolvane::Orvel::Transform
