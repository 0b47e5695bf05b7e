// tolvane query <database> [sql]: one statement, its rows streamed as they come.

#include <unistd.h>

#include "orvel/foundation/logging_service.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/number_text.hpp"
#include "tessin/supports/sqlite/sql_text.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_options.hpp"
#include "tools/tolvane/row_source.hpp"

namespace Tolvane::Cli {

namespace {

using Providers::Supports::SQLiteParameter;
using Providers::Supports::SQLiteParameters;

struct QueryArguments {
  OpenRequest request;
  std::string sql;
  std::vector<std::string> parameters;  // NAME VALUE pairs, flattened
  OutputOptionSet output;
};

// A value typed on the command line: the canonical text of an integer or a
// real binds as that number, anything else as text ("007" and "1.50" stay
// texts, so no digit a user typed is lost).
Providers::Contracts::ValueObjectPtr parameter_value(const std::string& text) {
  using namespace Providers::Contracts;
  if (!text.empty()) {
    gchar* end = nullptr;
    errno = 0;
    const gint64 integer = g_ascii_strtoll(text.c_str(), &end, 10);
    if (errno == 0 && *end == '\0' && std::to_string(integer) == text) {
      return ValueInt64::create(integer);
    }
    const double real = g_ascii_strtod(text.c_str(), &end);
    if (*end == '\0' && std::isfinite(real) && Core::format_double(real) == text) {
      return ValueDouble::create(real);
    }
  }
  return ValueString::create(text);
}

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
  SQLiteParameters parameters;
  for (std::size_t i = 0; i + 1 < arguments.parameters.size(); i += 2) {
    parameters.push_back(SQLiteParameter{arguments.parameters[i], parameter_value(arguments.parameters[i + 1])});
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  OutputStream& out = OutputStream::standard_output();
  const OutputOptions options = arguments.output.resolve(isatty(STDOUT_FILENO) != 0);
  const gint64 started = g_get_monotonic_time();
  Orvel::Foundation::LoggingService::info((*connection)->get_server()->get_uuid().c_str(), "SQL: %s",
                                          Providers::Supports::SqlText::redact(sql).c_str());
  auto& provider = Session::provider_of(**connection);
  Interrupts::Scope interruptible([](void* target) { static_cast<decltype(&provider)>(target)->interrupt(); },
                                  &provider);
  auto reader = provider.execute_prepared(sql, parameters);
  const auto fail = [&](const Core::Error& error) {
    (*connection)->rollback();
    (*connection)->close();
    if (Interrupts::requested()) {
      out.flush();
      return Interrupts::report();
    }
    finish_output(kSuccess);
    return report(Failure{kStatementFailed, "query failed on " + arguments.request.database + ": " + describe(error)});
  };
  if (!reader) {
    return fail(reader.error());
  }
  std::int64_t rows = 0;
  if ((*reader)->is_query()) {
    auto writer = make_row_writer(options, out);
    auto streamed = stream_reader(**reader, *writer, out, (*reader)->has_row());
    if (!streamed) {
      return fail(streamed.error());
    }
    rows = streamed->rows;
  }
  const std::int64_t changes = (*reader)->changes();
  const bool query = (*reader)->is_query();
  (*reader)->close();
  (*connection)->close();
  if (Interrupts::requested()) {
    out.flush();
    return Interrupts::report();
  }
  const int code = finish_output(kSuccess);
  if (code == kSuccess) {
    const double elapsed_ms = static_cast<double>(g_get_monotonic_time() - started) / 1000.0;
    if (query) {
      std::fprintf(stderr, "%lld %s in %.1f ms\n", static_cast<long long>(rows), rows == 1 ? "row" : "rows",
                   elapsed_ms);
    } else {
      std::fprintf(stderr, "%lld %s changed in %.1f ms\n", static_cast<long long>(changes),
                   changes == 1 ? "row" : "rows", elapsed_ms);
    }
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
      "@name, $name) are bound with -p NAME VALUE; a number as NAME binds by position; a VALUE that\n"
      "is the plain text of an integer or real binds as a number, anything else as text. The rows go\n"
      "to standard output; the row count (or the change count) and the elapsed time to standard error.");
  command
      ->add_option("database", arguments->request.database,
                   "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("sql", arguments->sql,
                      "The statement, e.g. \"SELECT * FROM t\"; - or nothing reads standard input");
  command->add_option("-p,--param", arguments->parameters, "Bind a parameter: -p NAME VALUE (repeatable)")
      ->expected(2)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  arguments->output.add(*command);
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_query(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
