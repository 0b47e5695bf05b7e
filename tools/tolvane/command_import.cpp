// tolvane import <database> <table> <file> [--format csv|tsv|json|xml] [--encoding NAME|auto] ...

#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "orvel/helpers/database_helper.hpp"
#include "orvel/helpers/encoding_helper.hpp"
#include "orvel/model/meta_table.hpp"
#include "orvel/supports/data/extractors/dsv_extractor.hpp"
#include "orvel/supports/data/extractors/json_extractor.hpp"
#include "orvel/supports/data/extractors/xml_extractor.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/progress.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Helpers::DatabaseHelper;
using Orvel::MetaModel::MetaTable;
using Orvel::Supports::Data::Extractors::BaseExtractor;
using Orvel::Supports::Data::Extractors::DsvExtractor;
using Orvel::Supports::Data::Extractors::DsvReader;
using Orvel::Supports::Data::Extractors::DsvRecord;
using Orvel::Supports::Data::Extractors::RowFailure;
using Providers::Contracts::DataType;

// How many failed records the summary lists one by one.
constexpr std::size_t kListedFailures = 20;
// How much of a file the encoding is guessed from.
constexpr std::size_t kEncodingSample = 1 << 16;

struct ImportArguments {
  OpenRequest request;
  std::string table;
  std::string file;
  std::string format = "csv";
  std::string delimiter;
  std::string encoding = "UTF-8";
  bool no_header = false;
  std::string columns;
  std::string action = "append";
  bool fast = false;
  bool stop_on_error = false;
};

// The value kind of a declared column type, by SQLite's affinity rules.
DataType kind_of_declared(std::string declared) {
  for (char& c : declared) {
    c = g_ascii_toupper(c);
  }
  const auto has = [&declared](const char* part) { return declared.find(part) != std::string::npos; };
  if (has("INT")) {
    return DataType::Int64;
  }
  if (has("CHAR") || has("CLOB") || has("TEXT")) {
    return DataType::String;
  }
  if (has("BLOB")) {
    return DataType::Blob;
  }
  if (declared.empty()) {
    return DataType::Unknown;  // no affinity: values are kept as written
  }
  if (has("REAL") || has("FLOA") || has("DOUB")) {
    return DataType::Double;
  }
  return DataType::Money;  // numeric affinity
}

// The table's insertable columns (generated and hidden ones left out), or none
// when there is no such table.
Outcome<std::shared_ptr<MetaTable>> describe_table(Orvel::Contracts::Database::IConnection& connection,
                                                    const std::string& name) {
  auto model = connection.execute_as_model("SELECT name, type, pk FROM pragma_table_xinfo(" +
                                               DatabaseHelper::quote_text(name) + ", 'main') WHERE hidden = 0",
                                           false);
  if (!model) {
    return std::unexpected(Failure{kStatementFailed, "cannot read the columns of " + name + ": " +
                                                         describe(model.error())});
  }
  auto table = MetaTable::with_names("", "main", name);
  for (const auto& row : (*model)->get_rows()) {
    const auto& values = row->get_values();
    auto column = table->new_column(values[0]->to_string(), kind_of_declared(values[1]->to_string()));
    column->set_raw_type(values[1]->to_string());
    column->set_is_primary_key(values[2]->to_string() != "0");
  }
  return table;
}

// The first record of the file: the header's names, or the field count.
Outcome<DsvRecord> first_record(DsvExtractor& extractor) {
  auto dialect = extractor.dialect();
  auto input = dialect ? extractor.open_input() : Core::Result<Core::GRef<GInputStream>>(Core::fail(dialect.error()));
  if (!input) {
    return std::unexpected(Failure{kInputFailure, "cannot read " + extractor.option("FILENAME") + ": " +
                                                      input.error().message});
  }
  DsvReader reader(input->get(), *dialect);
  DsvRecord record;
  auto more = reader.next(record);
  if (!more) {
    return std::unexpected(Failure{kInputFailure, "cannot read " + extractor.option("FILENAME") + ": " +
                                                      more.error().message});
  }
  if (!*more) {
    return std::unexpected(Failure{kInputFailure, extractor.option("FILENAME") + " is empty"});
  }
  return record;
}

// JSON and XML records name their own fields: the names of the first record,
// which the table's columns are matched to. Each record's fields then go to
// the columns of their names.
Outcome<std::vector<std::string>> first_record_names(Orvel::Contracts::Data::IImporter& importer,
                                                     const std::string& file) {
  if (g_access(file.c_str(), R_OK) != 0) {
    return std::unexpected(Failure{kInputFailure, "cannot read " + file + ": " + g_strerror(errno)});
  }
  auto first = importer.load_from_file(1);
  if (!first) {
    return std::unexpected(Failure{kInputFailure, "cannot read " + file + ": " + describe(first.error())});
  }
  if (*first == nullptr || (*first)->get_rows().empty()) {
    return std::unexpected(Failure{kInputFailure, file + " holds no records"});
  }
  std::vector<std::string> names;
  for (const auto& column : (*first)->get_columns()) {
    names.push_back(column->get_name());
  }
  return names;
}

std::vector<std::string> split_list(const std::string& text) {
  std::vector<std::string> items;
  gchar** parts = g_strsplit(text.c_str(), ",", -1);
  for (gchar** part = parts; *part != nullptr; ++part) {
    items.push_back(g_strstrip(*part));
  }
  g_strfreev(parts);
  return items;
}

// Stores the records of the file in the table: opens the database, makes a
// missing table with --create, matches the file's fields (`sources`) to the
// table's columns and runs the import with progress and a summary.
int import_records(Session& session, const ImportArguments& arguments, BaseExtractor& extractor,
                   Orvel::Contracts::Data::IImporter& importer, const std::vector<std::string>& sources);

// The file's records as JSON or XML: each record names its fields.
int run_import_named_records(Session& session, const ImportArguments& arguments) {
  if (!arguments.delimiter.empty() || arguments.no_header || !arguments.columns.empty() ||
      arguments.encoding != "UTF-8") {
    return report(Failure{kUsage, "--delimiter, --no-header, --columns and --encoding apply to csv and tsv only"});
  }
  std::shared_ptr<BaseExtractor> extractor;
  Orvel::Contracts::Data::IImporter* importer = nullptr;
  if (arguments.format == "json") {
    auto json = Orvel::Supports::Data::Extractors::JsonExtractor::create("json");
    importer = json.get();
    extractor = std::move(json);
  } else {
    auto xml = Orvel::Supports::Data::Extractors::XmlExtractor::create("xml");
    importer = xml.get();
    extractor = std::move(xml);
  }
  auto& options = extractor->get_options();
  options["FILENAME"] = arguments.file;
  options["ACTION"] = arguments.action;
  options["FAST_IMPORT"] = arguments.fast ? "true" : "false";
  extractor->set_continue_on_error(!arguments.stop_on_error);
  auto sources = first_record_names(*importer, arguments.file);
  if (!sources) {
    return report(sources.error());
  }
  return import_records(session, arguments, *extractor, *importer, *sources);
}

int run_import(Session& session, const ImportArguments& arguments) {
  if (arguments.format == "json" || arguments.format == "xml") {
    return run_import_named_records(session, arguments);
  }
  auto extractor = DsvExtractor::create(arguments.format);
  auto& options = extractor->get_options();
  options["FILENAME"] = arguments.file;
  options["DELIMITER_COLUMN"] = !arguments.delimiter.empty() ? arguments.delimiter
                                : arguments.format == "tsv"    ? "\t"
                                                               : ",";
  options["HAS_HEADER"] = arguments.no_header ? "false" : "true";
  options["ACTION"] = arguments.action;
  options["QUOTE_EMPTY"] = "true";
  options["FAST_IMPORT"] = arguments.fast ? "true" : "false";
  extractor->set_continue_on_error(!arguments.stop_on_error);

  std::string encoding = arguments.encoding;
  if (encoding == "auto") {
    std::string error;
    encoding = Orvel::Helpers::EncodingHelper::get_singleton().detect_file_start(arguments.file, kEncodingSample,
                                                                                 &error);
    if (encoding.empty()) {
      return report(Failure{kInputFailure, "cannot read " + arguments.file + ": " + error});
    }
    std::fprintf(stderr, "encoding of %s: %s\n", arguments.file.c_str(), encoding.c_str());
  }
  options["ENCODING"] = encoding;

  auto first = first_record(*extractor);
  if (!first) {
    return report(first.error());
  }
  // The names of the file's fields, in field order.
  std::vector<std::string> sources;
  if (!arguments.columns.empty()) {
    sources = split_list(arguments.columns);
  } else if (!arguments.no_header) {
    sources = first->fields;
  } else {
    for (std::size_t i = 0; i < first->fields.size(); ++i) {
      sources.push_back("C" + std::to_string(i));
    }
  }
  std::string joined;
  for (const auto& source : sources) {
    joined += (joined.empty() ? "" : ",") + source;
  }
  options["COLUMNS"] = joined;
  return import_records(session, arguments, *extractor, *extractor, sources);
}

int import_records(Session& session, const ImportArguments& arguments, BaseExtractor& extractor,
                   Orvel::Contracts::Data::IImporter& importer, const std::vector<std::string>& sources) {
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  auto table = describe_table(**connection, arguments.table);
  if (table && (*table)->get_columns().empty()) {
    if (!arguments.request.create) {
      (*connection)->close();
      return report(Failure{kStatementFailed, "no table " + arguments.table + " in " + arguments.request.database +
                                                  " (--create makes it from the file's columns)"});
    }
    std::string create = "CREATE TABLE " + DatabaseHelper::format_object_name("", arguments.table) + "(";
    for (std::size_t i = 0; i < sources.size(); ++i) {
      create += (i > 0 ? ", " : "") + DatabaseHelper::format_column_name(sources[i]) + " TEXT";
    }
    create += ")";
    if (auto made = (*connection)->execute_no_query(create, false); !made) {
      (*connection)->close();
      return report(Failure{kStatementFailed, "cannot create table " + arguments.table + ": " + describe(made.error())});
    }
    table = describe_table(**connection, arguments.table);
  }
  if (!table) {
    (*connection)->close();
    return report(table.error());
  }

  // Fields go to the columns of the same name (exactly, else ignoring case);
  // without header and names, to the columns in order.
  std::vector<std::string> unmatched;
  std::size_t mapped = 0;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    Orvel::MetaModel::MetaColumnPtr column;
    if (arguments.no_header && arguments.columns.empty()) {
      column = i < (*table)->get_columns().size() ? (*table)->get_columns()[i] : nullptr;
    } else {
      column = (*table)->get_column(sources[i]);
      for (const auto& candidate : (*table)->get_columns()) {
        if (column == nullptr && g_ascii_strcasecmp(candidate->get_name().c_str(), sources[i].c_str()) == 0) {
          column = candidate;
        }
      }
    }
    if (column == nullptr || column->has_data("SOURCE")) {
      unmatched.push_back(sources[i]);
      continue;
    }
    column->set_data("SOURCE", sources[i]);
    ++mapped;
  }
  if (mapped == 0) {
    (*connection)->close();
    return report(Failure{kUsage, "none of the file's columns is a column of " + arguments.table});
  }
  for (const auto& name : unmatched) {
    std::fprintf(stderr, "tolvane: ignoring the file's column \"%s\": the table has no column of that name\n",
                 name.c_str());
  }

  struct stat file_stat {};
  const std::uint64_t file_size = ::stat(arguments.file.c_str(), &file_stat) == 0 ? file_stat.st_size : 0;
  Progress progress("rows read");
  std::vector<RowFailure> failures;
  std::int64_t read = 0;
  std::int64_t imported = 0;
  std::int64_t failed = 0;
  Orvel::Supports::Data::Extractors::ImportObserver observer;
  observer.progress = [&](std::int64_t rows, std::int64_t stored, std::int64_t failed_rows, std::uint64_t bytes) {
    read = rows;
    imported = stored;
    failed = failed_rows;
    if (file_size > 0) {
      progress.set_share(static_cast<double>(bytes) / static_cast<double>(file_size));
    }
    progress.set(rows);
  };
  observer.failure = [&failures](const RowFailure& failure) {
    if (failures.size() < kListedFailures) {
      failures.push_back(failure);
    }
  };
  extractor.set_import_observer(observer);

  using Imported = Core::Result<std::int64_t>;
  Imported outcome = session.await<Imported>([&](auto done) {
    importer.import_from_file(*connection, *table, nullptr, done);
  });
  progress.finish();
  (*connection)->close();

  for (const RowFailure& failure : failures) {
    // JSON is read whole: its records have no line.
    std::fprintf(stderr, "%s %lld: %s\n", failure.line > 0 ? "line" : "record",
                 static_cast<long long>(failure.line > 0 ? failure.line : failure.record), failure.message.c_str());
  }
  if (failed > static_cast<std::int64_t>(failures.size())) {
    std::fprintf(stderr, "... and %lld more failed records\n",
                 static_cast<long long>(failed - static_cast<std::int64_t>(failures.size())));
  }
  if (!outcome) {
    const bool file_error = outcome.error().domain == Core::Error::gio_domain();
    const std::string kept = arguments.fast ? " (nothing was imported)" : "";
    return report(Failure{file_error ? kInputFailure : kStatementFailed,
                          "import of " + arguments.file + " stopped" + kept + ": " + describe(outcome.error())});
  }
  std::fprintf(stderr, "%lld rows read, %lld imported, %lld failed\n", static_cast<long long>(read),
               static_cast<long long>(imported), static_cast<long long>(failed));
  return failed > 0 ? kStatementFailed : kSuccess;
}

}  // namespace

Runner add_import_command(CLI::App& app) {
  auto arguments = std::make_shared<ImportArguments>();
  CLI::App* command = app.add_subcommand("import", "Import a CSV, TSV, JSON or XML file into a table");
  command->footer(
      "Read delimited text (RFC 4180 quoting, LF or CRLF lines, an optional byte-order mark), or\n"
      "the JSON and XML records `tolvane export` writes, and store each record in a table. The\n"
      "file's header (JSON members, XML elements) names the columns, matched to the table's by\n"
      "name; records that fail are reported with their line and skipped, or end the import with\n"
      "--stop-on-error. --fast runs the whole import in one transaction: much faster, and a\n"
      "stopped import leaves the table as it was. Ends with a summary; exit code 1 when any record\n"
      "failed.");
  command->add_option("database", arguments->request.database,
                      "Database file path, or the title or uuid of a saved profile")
      ->required();
  command->add_option("table", arguments->table, "The table to import into")->required();
  command->add_option("file", arguments->file, "The file to read")->required();
  command->add_option("--format", arguments->format, "csv, tsv, json or xml")
      ->check(CLI::IsMember({"csv", "tsv", "json", "xml"}))
      ->default_str("csv");
  command->add_option("--delimiter", arguments->delimiter, "Column delimiter (default \",\" or tab)");
  command->add_option("--encoding", arguments->encoding,
                      "Character set of the file (UTF-8, UTF-16LE, ISO-8859-1, SHIFT_JIS, GB18030 ...) or auto")
      ->default_str("UTF-8");
  command->add_flag("--no-header", arguments->no_header, "The first line is data, not column names");
  command->add_option("--columns", arguments->columns, "Names of the file's fields, comma-separated");
  command->add_option("--action", arguments->action, "What a record does: append, update, merge, delete, replace")
      ->check(CLI::IsMember({"append", "update", "merge", "delete", "replace"}))
      ->default_str("append");
  command->add_flag("--fast", arguments->fast, "Import in one transaction on one worker thread");
  command->add_flag("--stop-on-error", arguments->stop_on_error, "End the import at the first failed record");
  // --create also makes a missing table (TEXT columns named by the header).
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_import(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
