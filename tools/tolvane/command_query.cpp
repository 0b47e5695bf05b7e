// tolvane query <database> [sql]: one statement, its rows streamed as they come.

#include <unistd.h>

#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_options.hpp"
#include "tools/tolvane/row_source.hpp"

namespace Tolvane::Cli {

namespace {

struct QueryArguments {
  OpenRequest request;
  std::string sql;
  std::vector<std::string> parameters;  // NAME VALUE pairs, flattened
  OutputOptionSet output;
};

int run_query(Session& session, const QueryArguments& arguments) {
  std::string sql = arguments.sql;
  if (sql.empty() || sql == "-") {
    auto input = read_input("-");
    if (!input) {
      return report(input.error());
    }
    sql = std::move(*input);
  }
  const auto statements = Providers::Supports::split_statements(sql);
  if (statements.empty()) {
    return report(Failure{kUsage, "no SQL statement to run"});
  }
  if (statements.size() > 1) {
    return report(Failure{kUsage, "the text holds " + std::to_string(statements.size()) +
                                      " statements (the second starts on line " + std::to_string(statements[1].line) +
                                      "); query runs one: use `tolvane script` for several"});
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  OutputStream& out = OutputStream::standard_output();
  const OutputOptions options = arguments.output.resolve(isatty(STDOUT_FILENO) != 0);
  const gint64 started = g_get_monotonic_time();
  auto reader = (*connection)->execute_reader(sql);
  if (!reader) {
    const Core::Error& error = reader.error();
    (*connection)->close();
    if (Interrupts::requested()) {
      return Interrupts::report();
    }
    if (error.code == -1 && error.message == "No data return by non-select statement") {
      std::fprintf(stderr, "the statement ran and returned no rows\n");
      return kSuccess;
    }
    return report(Failure{kStatementFailed, "query failed on " + arguments.request.database + ": " + describe(error)});
  }
  auto writer = make_row_writer(options, out);
  auto streamed = stream_reader(**reader, *writer, out);
  (*reader)->close();
  (*connection)->close();
  if (Interrupts::requested()) {
    out.flush();
    return Interrupts::report();
  }
  if (!streamed) {
    finish_output(kSuccess);
    return report(Failure{kStatementFailed, "query failed on " + arguments.request.database + ": " +
                                                describe(streamed.error())});
  }
  const int code = finish_output(kSuccess);
  if (code == kSuccess) {
    const double elapsed_ms = static_cast<double>(g_get_monotonic_time() - started) / 1000.0;
    std::fprintf(stderr, "%lld %s in %.1f ms\n", static_cast<long long>(streamed->rows),
                 streamed->rows == 1 ? "row" : "rows", elapsed_ms);
  }
  return code;
}

}  // namespace

Runner add_query_command(CLI::App& app) {
  auto arguments = std::make_shared<QueryArguments>();
  CLI::App* command = app.add_subcommand("query", "Run one statement and print its rows");
  command->footer(
      "Run one statement against a database and print its rows as they come, in any output format.\n"
      "With no SQL argument (or \"-\") the statement is read from standard input. A text with more\n"
      "than one statement is refused: run scripts with `tolvane script`. Parameters (?, ?NNN, :name,\n"
      "@name, $name) are bound with -p NAME VALUE; a number as NAME binds by position. The rows go to\n"
      "standard output; the row count and the elapsed time to standard error.");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("sql", arguments->sql, "The statement, e.g. \"SELECT * FROM t\"; - or nothing reads standard input");
  command->add_option("-p,--param", arguments->parameters, "Bind a parameter: -p NAME VALUE (repeatable)")
      ->expected(2)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  arguments->output.add(*command);
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_query(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
