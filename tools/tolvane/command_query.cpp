// tolvane query <database> <sql>

#include <unistd.h>

#include "tessin/core/i18n.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/result_printer.hpp"

namespace Tolvane::Cli {

namespace {

struct QueryArguments {
  OpenRequest request;
  std::string sql;
  std::string format = "table";
};

int run_query(Session& session, const QueryArguments& arguments) {
  OutputFormat format = OutputFormat::Table;
  parse_output_format(arguments.format, format);
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  using Queried = Core::Result<Providers::Contracts::TableModelPtr>;
  const gint64 started = g_get_monotonic_time();
  Queried outcome = session.await<Queried>(
      [&](auto done) { (*connection)->execute_as_model_async(arguments.sql, done); });
  const double elapsed_ms = static_cast<double>(g_get_monotonic_time() - started) / 1000.0;
  (*connection)->close();

  if (!outcome) {
    const Core::Error& error = outcome.error();
    // The provider reports a statement without result columns as a failure,
    // although the statement ran.
    if (error.code == -1 && error.message == Core::_("No data returned.")) {
      std::fprintf(stderr, "tolvane: the statement ran and returned no rows; use `tolvane script` to see change counts\n");
      return kSuccess;
    }
    return report(Failure{kStatementFailed, "query failed on " + arguments.request.database + ": " + describe(error)});
  }
  const auto& model = *outcome;
  print_model(stdout, *model, format, format == OutputFormat::Table && isatty(fileno(stdout)) != 0);
  std::fflush(stdout);
  const std::size_t rows = model->get_rows().size();
  std::fprintf(stderr, "%zu %s in %.1f ms\n", rows, rows == 1 ? "row" : "rows", elapsed_ms);
  return kSuccess;
}

}  // namespace

Runner add_query_command(CLI::App& app) {
  auto arguments = std::make_shared<QueryArguments>();
  CLI::App* command = app.add_subcommand("query", "Run one query and print its rows");
  command->footer(
      "Run one query (a statement that returns rows) against a database and print the result.\n"
      "The rows go to standard output; the row count and the elapsed time to standard error.");
  command->add_option("database", arguments->request.database,
                      "Database file path, or the title or uuid of a saved profile")
      ->required();
  command->add_option("sql", arguments->sql, "The query, e.g. \"SELECT * FROM t\"")->required();
  command->add_option("--format", arguments->format,
                      "Output: table (aligned text, NULL shown as NULL), tsv (NULL as \\N), json-lines")
      ->check(CLI::IsMember({"table", "tsv", "json-lines"}))
      ->default_str("table");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_query(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
