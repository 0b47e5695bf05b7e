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
using Providers::Supports::SQLiteProvider;
using Providers::Supports::SQLiteReader;
using Providers::Supports::StatementSpan;
using Providers::Supports::StatementSplitter;

struct ScriptArguments {
  OpenRequest request;
  std::string file = "-";
  bool bail = false;
  bool transaction = false;
  OutputOptionSet output;
};

// A stretch of the script to run as it stands, or a dot-command of shell
// habit (a line starting with '.' between statements), which is cut out so it
// cannot swallow the statement after it.
struct Piece {
  std::string_view text;
  std::size_t line;  // of the script, where the piece starts
  bool dot_command;
};

std::vector<Piece> pieces_of(std::string_view script) {
  std::vector<Piece> pieces;
  std::size_t start = 0;  // of the stretch not yet handed out, where the splitter starts
  std::size_t start_line = 1;
  bool cut = true;
  while (cut && start < script.size()) {
    cut = false;
    const std::string_view rest = script.substr(start);
    StatementSplitter splitter(rest);
    StatementSpan span;
    while (splitter.next(span)) {
      if (rest[span.offset] != '.') {
        continue;
      }
      const std::size_t line = start_line + span.line - 1;
      if (span.offset > 0) {
        pieces.push_back({rest.substr(0, span.offset), start_line, false});
      }
      const std::size_t end = rest.find('\n', span.offset);
      pieces.push_back({rest.substr(span.offset, end == std::string_view::npos ? end : end - span.offset), line, true});
      if (end == std::string_view::npos) {
        return pieces;
      }
      start += end + 1;
      start_line = line + 1;
      cut = true;
      break;
    }
  }
  if (start < script.size()) {
    pieces.push_back({script.substr(start), start_line, false});
  }
  return pieces;
}

class ScriptRun {
 public:
  ScriptRun(const ScriptArguments& arguments, SQLiteConnection& connection, const OutputOptions& options)
      : m_arguments(arguments), m_connection(connection), m_options(options), m_out(OutputStream::standard_output()) {}

  int run(const std::string& script) {
    if (m_arguments.transaction) {
      if (auto begun = m_connection.transaction(); !begun || !*begun) {
        return report(Failure{kStatementFailed, "cannot begin the script's transaction: " +
                                                    (begun ? std::string("no transaction") : describe(begun.error()))});
      }
      m_transaction_line = 0;
    }
    SQLiteProvider& provider = Session::provider_of(m_connection);
    Interrupts::Scope interruptible([](void* target) { static_cast<SQLiteProvider*>(target)->interrupt(); }, &provider);
    // Counted in bytes of the script: known before it runs, unlike its statements.
    Progress progress("bytes of SQL", static_cast<std::int64_t>(script.size()));
    for (const Piece& piece : pieces_of(script)) {
      if (m_stopped) {
        break;
      }
      if (piece.dot_command) {
        ++m_run;
        m_stopped = !failed(piece.line, dot_command_refusal(piece.text)) && stop_on_failure();
        continue;
      }
      const auto piece_offset = static_cast<std::size_t>(piece.text.data() - script.data());
      using Outcome = Core::Result<Providers::Supports::SQLiteReaderPtr>;
      auto visit = [&](const Providers::Supports::ScriptStep& step, Outcome& outcome) {
        ++m_run;
        const std::size_t line = piece.line + step.line - 1;
        const bool ok = outcome ? report_outcome(**outcome, step.text, line) : failed(line, describe(outcome.error()));
        progress.set(static_cast<std::int64_t>(piece_offset + step.offset + step.text.size()));
        m_stopped = Interrupts::requested() || m_out.failed() || (!ok && stop_on_failure());
        return !m_stopped;
      };
      if (auto ran = provider.execute_script(std::string(piece.text), visit); !ran) {
        ++m_failures;
        m_out.flush();
        std::fprintf(stderr, "tolvane: %s\n", describe(ran.error()).c_str());
        break;
      }
    }
    progress.finish();
    return finish();
  }

 private:
  bool stop_on_failure() const { return m_arguments.bail || m_arguments.transaction; }

  // Prints what a statement gave: its rows, or its change count when it
  // changes rows; false when reading its rows failed.
  bool report_outcome(SQLiteReader& reader, std::string_view text, std::size_t line) {
    const StatementKind kind = statement_kind(text);
    if (reader.is_query()) {
      auto writer = make_row_writer(m_options, m_out);
      if (auto streamed = stream_reader(reader, *writer, m_out, reader.has_row()); !streamed) {
        return failed(line, describe(streamed.error()));
      }
    }
    const std::int64_t changes = std::max<std::int64_t>(reader.changes(), 0);
    if (kind == StatementKind::Change && !reader.is_query()) {
      report_changes(changes);
    }
    track(kind, line, changes);
    return true;
  }

  // On standard output in the aligned table; beside machine formats, on
  // standard error, so the output stays one format.
  void report_changes(std::int64_t changes) {
    const std::string line = std::to_string(changes) + (changes == 1 ? " row changed\n" : " rows changed\n");
    if (m_options.format == OutputFormat::Table) {
      m_out.write(line);
    } else {
      m_out.flush();
      std::fputs(line.c_str(), stderr);
    }
  }

  // Follows the script's own transaction, so one it leaves open is noticed.
  void track(StatementKind kind, std::size_t line, std::int64_t changes) {
    switch (kind) {
      case StatementKind::Begin:
        m_transaction_line = static_cast<std::int64_t>(line);
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
  }

  bool failed(std::size_t line, const std::string& message) {
    ++m_failures;
    m_out.flush();
    std::fprintf(stderr, "error near line %zu: %s\n", line, message.c_str());
    return false;
  }

  // Ends the transaction the command or the script left open and gives the exit code.
  int finish() {
    m_out.flush();
    const bool interrupted = Interrupts::requested();
    if (m_transaction_line >= 0) {
      const bool keep = m_arguments.transaction && m_failures == 0 && !interrupted && !m_out.failed();
      if (!keep) {
        undo(m_transaction_line == 0 ? std::string("the script's transaction")
                                     : "the transaction begun near line " + std::to_string(m_transaction_line));
      } else if (auto committed = m_connection.commit(); !committed) {
        ++m_failures;
        std::fprintf(stderr, "tolvane: the script's transaction could not be committed: %s\n",
                     describe(committed.error()).c_str());
        undo("the script's transaction");
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
  bool m_stopped = false;
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
  // Refused before anything runs: the engine would read the script only up to it.
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
  const int code = run.run(*text);
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
      "dot (shell commands such as .tables) are refused. A transaction the script leaves open is\n"
      "rolled back, saying how many changes that undid. The exit code is 1 when any statement failed.");
  command
      ->add_option("database", arguments->request.database,
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
