// tolvane script <database> [file|-]: the statements of a script one after
// another, each outcome printed as it comes.

#include <unistd.h>

#include <cstring>

#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/dot_commands.hpp"
#include "tools/tolvane/interrupts.hpp"
#include "tools/tolvane/output_options.hpp"
#include "tools/tolvane/progress.hpp"
#include "tools/tolvane/row_source.hpp"
#include "tools/tolvane/statement_kind.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Supports::Database::SQLiteConnection;
using Providers::Supports::StatementSpan;
using Providers::Supports::StatementSplitter;

struct ScriptArguments {
  OpenRequest request;
  std::string file = "-";
  bool bail = false;
  bool transaction = false;
  OutputOptionSet output;
};

// One statement of the script with the line it starts on.
struct Statement {
  std::string_view text;
  std::size_t line;
  bool dot_command;
};

// The statements of a script, in order, with the dot-commands of shell habit
// cut out as statements of their own: a line starting with '.' between
// statements is one, and must not swallow the statement after it.
std::vector<Statement> statements_of(std::string_view script) {
  std::vector<Statement> statements;
  std::size_t base = 0;
  std::size_t base_line = 1;
  while (base < script.size()) {
    const std::string_view rest = script.substr(base);
    StatementSplitter splitter(rest);
    StatementSpan span;
    bool restarted = false;
    while (splitter.next(span)) {
      const std::string_view text = span.text(rest);
      const std::size_t line = base_line + span.line - 1;
      if (text.front() == '.') {
        const std::size_t end = text.find('\n');
        const std::string_view dot = text.substr(0, end);
        statements.push_back({dot, line, true});
        if (end == std::string_view::npos) {
          return statements;
        }
        base += span.offset + end + 1;
        base_line = line + 1;
        restarted = true;
        break;
      }
      statements.push_back({text, line, false});
    }
    if (!restarted) {
      break;
    }
  }
  return statements;
}

class ScriptRun {
 public:
  ScriptRun(const ScriptArguments& arguments, SQLiteConnection& connection, const OutputOptions& options)
      : m_arguments(arguments), m_connection(connection), m_options(options),
        m_out(OutputStream::standard_output()) {}

  int run(const std::vector<Statement>& statements) {
    if (m_arguments.transaction) {
      if (auto begun = m_connection.transaction(); !begun || !*begun) {
        return report(Failure{kStatementFailed, "cannot begin the script's transaction: " +
                                                    (begun ? std::string("no transaction") : describe(begun.error()))});
      }
      m_transaction_line = 0;
    }
    Progress progress("statements", static_cast<std::int64_t>(statements.size()));
    for (const Statement& statement : statements) {
      if (Interrupts::requested() || m_out.failed()) {
        break;
      }
      ++m_run;
      if (!execute(statement) && (m_arguments.bail || m_arguments.transaction)) {
        break;
      }
      progress.advance();
    }
    progress.finish();
    return finish();
  }

 private:
  // Runs one statement and prints its outcome; false when it failed.
  bool execute(const Statement& statement) {
    if (statement.dot_command) {
      return failed(statement, dot_command_refusal(statement.text));
    }
    const StatementKind kind = statement_kind(statement.text);
    const std::string sql(statement.text);
    auto reader = m_connection.execute_reader(sql);
    if (reader) {
      auto writer = make_row_writer(m_options, m_out);
      auto streamed = stream_reader(**reader, *writer, m_out);
      (*reader)->close();
      if (!streamed) {
        return failed(statement, describe(streamed.error()));
      }
      return track(kind, statement, 0);
    }
    const Core::Error& error = reader.error();
    if (error.code != -1 || error.message != "No data return by non-select statement") {
      return failed(statement, describe(error));
    }
    std::int64_t changes = 0;
    if (kind == StatementKind::Change) {
      auto count = m_connection.execute_as_scalar("SELECT changes()", false);
      changes = count && *count ? Providers::Contracts::to_integer(**count) : 0;
      report_changes(changes);
    }
    return track(kind, statement, changes);
  }

  void report_changes(std::int64_t changes) {
    std::string line = std::to_string(changes) + (changes == 1 ? " row changed\n" : " rows changed\n");
    if (m_options.format == OutputFormat::Table) {
      m_out.write(line);
    } else {
      m_out.flush();
      std::fputs(line.c_str(), stderr);
    }
  }

  // Follows the script's own transaction, so one it leaves open is noticed.
  bool track(StatementKind kind, const Statement& statement, std::int64_t changes) {
    switch (kind) {
      case StatementKind::Begin:
        m_transaction_line = static_cast<std::int64_t>(statement.line);
        m_pending_changes = 0;
        break;
      case StatementKind::Commit:
      case StatementKind::Rollback:
        if (!m_arguments.transaction) {
          m_transaction_line = -1;
        }
        m_pending_changes = 0;
        break;
      case StatementKind::Change:
        m_pending_changes += changes;
        break;
      case StatementKind::Other:
        break;
    }
    return true;
  }

  bool failed(const Statement& statement, const std::string& message) {
    ++m_failures;
    m_out.flush();
    std::fprintf(stderr, "error near line %zu: %s\n", statement.line, message.c_str());
    return false;
  }

  // Ends the transaction the command or the script left open and gives the exit code.
  int finish() {
    m_out.flush();
    const bool interrupted = Interrupts::requested();
    if (m_transaction_line >= 0) {
      const bool keep = m_arguments.transaction && m_failures == 0 && !interrupted && !m_out.failed();
      if (keep) {
        if (auto committed = m_connection.commit(); !committed) {
          ++m_failures;
          std::fprintf(stderr, "tolvane: the script's transaction could not be committed: %s\n",
                       describe(committed.error()).c_str());
          undo("the script's transaction");
        }
      } else {
        undo(m_transaction_line == 0 ? std::string("the script's transaction")
                                     : "the transaction begun near line " + std::to_string(m_transaction_line));
      }
    }
    if (interrupted) {
      return Interrupts::report();
    }
    const int code = finish_output(m_failures > 0 ? kStatementFailed : kSuccess);
    if (m_failures > 0 && code == kStatementFailed) {
      std::fprintf(stderr, "tolvane: %d of %d statements failed\n", m_failures, m_run);
    }
    return code;
  }

  void undo(const std::string& what) {
    m_connection.rollback();
    std::fprintf(stderr, "tolvane: %s was rolled back, undoing %lld earlier %s\n", what.c_str(),
                 static_cast<long long>(m_pending_changes), m_pending_changes == 1 ? "change" : "changes");
  }

  const ScriptArguments& m_arguments;
  SQLiteConnection& m_connection;
  OutputOptions m_options;
  OutputStream& m_out;
  int m_run = 0;
  int m_failures = 0;
  // Where the open transaction began: -1 none, 0 the command's own (--transaction).
  std::int64_t m_transaction_line = -1;
  // Rows changed since that transaction began.
  std::int64_t m_pending_changes = 0;
};

int run_script(Session& session, const ScriptArguments& arguments) {
  auto text = read_input(arguments.file);
  if (!text) {
    return report(text.error());
  }
  if (const void* nul = std::memchr(text->data(), '\0', text->size())) {
    return report(Failure{kInputFailure, "the script contains a NUL byte at offset " +
                                             std::to_string(static_cast<const char*>(nul) - text->data())});
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  const OutputOptions options = arguments.output.resolve(isatty(STDOUT_FILENO) != 0);
  ScriptRun run(arguments, **connection, options);
  const int code = run.run(statements_of(*text));
  (*connection)->close();
  return code;
}

}  // namespace

Runner add_script_command(CLI::App& app) {
  auto arguments = std::make_shared<ScriptArguments>();
  CLI::App* command = app.add_subcommand("script", "Run a script of SQL statements");
  command->footer(
      "Run the statements of a script one after another and print each outcome as it comes: the\n"
      "rows of a query (in any output format), the number of rows an INSERT, UPDATE or DELETE\n"
      "changed, and for a failing statement \"error near line N: message (code C)\" on standard\n"
      "error. A failing statement does not stop the script unless --bail is given; --transaction\n"
      "runs the whole script in one transaction that any failure rolls back. Lines starting with a\n"
      "dot (shell commands such as .tables) are refused. The exit code is 1 when any statement failed.");
  command->add_option("database", arguments->request.database,
                      "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_option("file", arguments->file, "Script file; - or nothing reads standard input")->default_str("-");
  command->add_flag("--bail", arguments->bail, "Stop at the first statement that fails (exit code 1)");
  command->add_flag("--transaction", arguments->transaction,
                    "Run the whole script in one transaction; roll it back if any statement fails");
  arguments->output.add(*command);
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_script(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
