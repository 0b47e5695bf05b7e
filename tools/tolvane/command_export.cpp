// tolvane export <database> (<table> | --query SQL) [-o FILE] [--format ...]

#include "orvel/helpers/database_helper.hpp"
#include "orvel/supports/data/extractors/dsv_extractor.hpp"
#include "orvel/supports/data/extractors/html_extractor.hpp"
#include "orvel/supports/data/extractors/json_extractor.hpp"
#include "orvel/supports/data/extractors/markdown_extractor.hpp"
#include "orvel/supports/data/extractors/sql_extractors.hpp"
#include "orvel/supports/data/extractors/xml_extractor.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/progress.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Supports::Data::Extractors::BaseExtractor;
using Orvel::Supports::Data::Extractors::DsvExtractor;
using Orvel::Supports::Data::Extractors::RowSource;

struct ExportArguments {
  OpenRequest request;
  std::string table;
  std::string query;
  std::string output;
  std::string format = "csv";
  std::string delimiter;
  bool no_header = false;
  std::optional<std::string> null_text;
  std::string quote = "needed";
  std::string storage = "element";
};

// Formats that write nothing for a result without rows.
bool writes_nothing_without_rows(const std::string& format) {
  return format == "sql-insert" || format == "sql-update" || format == "html" || format == "markdown";
}

std::shared_ptr<BaseExtractor> extractor_for(const ExportArguments& arguments) {
  namespace Extractors = Orvel::Supports::Data::Extractors;
  if (arguments.format == "json") {
    return Extractors::JsonExtractor::create("json");
  }
  if (arguments.format == "html") {
    return Extractors::HtmlExtractor::create("html");
  }
  if (arguments.format == "markdown") {
    return Extractors::MarkdownExtractor::create("md");
  }
  if (arguments.format == "xml") {
    auto extractor = Extractors::XmlExtractor::create("xml");
    auto& options = extractor->get_options();
    options["STORAGE"] = arguments.storage;
    // NULL as xsi:nil, apart from an empty text, unless --null names a text.
    options["NULL_VALUE"] = arguments.null_text.value_or("");
    options["MARK_NULL"] = arguments.null_text ? "false" : "true";
    return extractor;
  }
  if (arguments.format == "sql-insert" || arguments.format == "sql-update") {
    std::shared_ptr<BaseExtractor> extractor;
    if (arguments.format == "sql-insert") {
      extractor = Orvel::Supports::Data::Extractors::SqlInsertExtractor::create();
    } else {
      extractor = Orvel::Supports::Data::Extractors::SqlUpdateExtractor::create();
    }
    extractor->get_options()["TABLENAME"] = arguments.table.empty() ? "result" : arguments.table;
    return extractor;
  }
  auto extractor = DsvExtractor::create(arguments.format);
  auto& options = extractor->get_options();
  options["DELIMITER_COLUMN"] = !arguments.delimiter.empty() ? arguments.delimiter
                                : arguments.format == "tsv"    ? "\t"
                                                               : ",";
  options["HAS_HEADER"] = arguments.no_header ? "false" : "true";
  options["NULL_VALUE"] = arguments.null_text.value_or("");
  options["QUOTATION_TIME"] = arguments.quote == "always" ? "always" : "ifneed";
  // Empty texts come out as "" and NULL as an empty field, as the sqlite3
  // shell writes them, so `tolvane import` tells them apart again.
  options["QUOTE_EMPTY"] = "true";
  return extractor;
}

int run_export(Session& session, const ExportArguments& arguments) {
  if (arguments.table.empty() == arguments.query.empty()) {
    return report(Failure{kUsage, "give either a table or --query, not both"});
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  const std::string sql =
      arguments.query.empty()
          ? "SELECT * FROM " + Orvel::Helpers::DatabaseHelper::format_object_name("", arguments.table)
          : arguments.query;
  // A reader streams the rows; a result without rows comes as an empty
  // model instead, since the connection's readers need a first row.
  std::shared_ptr<Providers::Contracts::IDataReader> reader;
  Providers::Contracts::TableModelPtr empty;
  Core::Result<std::unique_ptr<RowSource>> source = Core::fail(Core::Error{});
  if (auto opened = (*connection)->execute_reader(sql)) {
    reader = *opened;
    source = RowSource::of_reader(*reader);
  } else if (auto model = (*connection)->execute_as_model(sql, false); model && (*model)->get_rows().empty()) {
    empty = *model;
    source = RowSource::of_model(*empty);
  } else {
    source = Core::fail(opened.error());
  }
  if (!source) {
    (*connection)->close();
    return report(Failure{kStatementFailed, "cannot read " + (arguments.query.empty() ? "table " + arguments.table
                                                                                     : std::string("the query")) +
                                                ": " + describe(source.error())});
  }
  auto extractor = extractor_for(arguments);
  Progress progress("rows exported");
  const auto on_row = [&progress](std::uint32_t, std::uint32_t row, std::string_view) { progress.set(row); };

  Core::Result<std::int64_t> written = 0;
  const bool to_stdout = arguments.output.empty() || arguments.output == "-";
  if (to_stdout) {
    Orvel::Supports::Data::Extractors::StdioSink sink(stdout);
    written = extractor->export_rows(**source, sink, on_row);
  } else {
    auto sink = Orvel::Supports::Data::Extractors::FileSink::open(arguments.output);
    if (!sink) {
      (*connection)->close();
      return report(Failure{kInputFailure, "cannot write " + arguments.output + ": " + sink.error().message});
    }
    written = extractor->export_rows(**source, **sink, on_row);
  }
  progress.finish();
  if (reader) {
    reader->close();
  }
  (*connection)->close();
  if (!written) {
    const bool file_error = written.error().domain == Core::Error::gio_domain();
    return report(Failure{file_error ? kInputFailure : kStatementFailed,
                          "export failed" + (to_stdout ? std::string() : " (" + arguments.output + " is unchanged)") +
                              ": " + describe(written.error())});
  }
  if (*written == 0 && !to_stdout && writes_nothing_without_rows(arguments.format)) {
    std::fprintf(stderr, "0 rows: nothing written to %s\n", arguments.output.c_str());
    return kSuccess;
  }
  std::fprintf(stderr, "%lld %s exported%s\n", static_cast<long long>(*written), *written == 1 ? "row" : "rows",
               to_stdout ? "" : (" to " + arguments.output).c_str());
  return kSuccess;
}

}  // namespace

Runner add_export_command(CLI::App& app) {
  auto arguments = std::make_shared<ExportArguments>();
  CLI::App* command =
      app.add_subcommand("export", "Export a table or a query as CSV, TSV, JSON, XML, HTML, Markdown or SQL");
  command->footer(
      "Write the rows of a table (or of --query) as delimited text, JSON or XML records, an HTML\n"
      "page, a Markdown table or SQL statements, to a file (replaced only when the export is\n"
      "complete) or to standard output. Rows are streamed: memory does not grow with the table.\n"
      "Delimited text quotes fields as RFC 4180 does, writes NULL as an empty field (or --null)\n"
      "and empty text as \"\"; JSON writes NULL as null, XML as an element marked xsi:nil (or\n"
      "--null). Doubles are written at full precision and blobs as hexadecimal, so `tolvane\n"
      "import` reads back the same rows from CSV, TSV, JSON and XML. HTML and Markdown show\n"
      "every value as text; without rows (as SQL) they write no file.");
  command->add_option("database", arguments->request.database,
                      "Database file path, or the title or uuid of a saved profile")
      ->required();
  command->add_option("table", arguments->table, "The table to export");
  command->add_option("--query", arguments->query, "Export the rows of this query instead of a table");
  command->add_option("-o,--output", arguments->output, "The file to write (default: standard output)");
  command->add_option("--format", arguments->format, "csv, tsv, json, xml, html, markdown, sql-insert or sql-update")
      ->check(CLI::IsMember({"csv", "tsv", "json", "xml", "html", "markdown", "sql-insert", "sql-update"}))
      ->default_str("csv");
  command->add_option("--storage", arguments->storage, "XML: cells as child elements (element) or attributes")
      ->check(CLI::IsMember({"element", "attribute"}))
      ->default_str("element");
  command->add_option("--delimiter", arguments->delimiter, "Column delimiter of csv/tsv (default \",\" or tab)");
  command->add_flag("--no-header", arguments->no_header, "Leave out the line of column names");
  command->add_option("--null", arguments->null_text,
                      "Text written for NULL in csv, tsv and xml (default: an empty field; xml: xsi:nil)");
  command->add_option("--quote", arguments->quote, "Quote every field (always) or only where needed (needed)")
      ->check(CLI::IsMember({"always", "needed"}))
      ->default_str("needed");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_export(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
