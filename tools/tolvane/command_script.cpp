// tolvane script <database> [file|-]

#include <unistd.h>

#include "tessin/contracts/values.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/result_printer.hpp"

namespace Tolvane::Cli {

namespace {

struct ScriptArguments {
  OpenRequest request;
  std::string file = "-";
};

int run_script(Session& session, const ScriptArguments& arguments) {
  auto text = read_input(arguments.file);
  if (!text) {
    return report(text.error());
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  using Ran = Core::Result<Orvel::Contracts::Database::IConnection::Results>;
  Ran outcome =
      session.await<Ran>([&](auto done) { (*connection)->execute_async(*text, done); });
  (*connection)->close();
  if (!outcome) {
    return report(Failure{kStatementFailed, "script failed on " + arguments.request.database + ": " +
                                                describe(outcome.error())});
  }

  using namespace Providers::Contracts;
  const bool colour = isatty(fileno(stdout)) != 0;
  int failures = 0;
  int number = 0;
  for (const Core::ObjectPtr& result : *outcome) {
    ++number;
    if (auto model = std::dynamic_pointer_cast<TableModel>(result)) {
      const std::size_t rows = model->get_rows().size();
      std::printf("[%d] %zu %s\n", number, rows, rows == 1 ? "row" : "rows");
      print_model(stdout, *model, OutputFormat::Table, colour);
    } else if (auto error = std::dynamic_pointer_cast<ValueError>(result)) {
      if (error->get_code() == 0) {
        // What follows the last statement held no statement (a comment).
        std::printf("[%d] no statement\n", number);
        continue;
      }
      ++failures;
      std::printf("[%d] error %d: %s\n", number, error->get_code(), error->get_message().c_str());
    } else if (auto count = std::dynamic_pointer_cast<ValueObject>(result)) {
      std::printf("[%d] %s %s changed\n", number, count->to_string().c_str(),
                  count->to_string() == "1" ? "row" : "rows");
    }
  }
  std::fflush(stdout);
  if (failures > 0) {
    std::fprintf(stderr, "tolvane: %d of %d statements failed\n", failures, number);
    return kStatementFailed;
  }
  return kSuccess;
}

}  // namespace

Runner add_script_command(CLI::App& app) {
  auto arguments = std::make_shared<ScriptArguments>();
  CLI::App* command = app.add_subcommand("script", "Run a script of SQL statements");
  command->footer(
      "Run the statements of a script one after another and print each outcome: the rows of a query,\n"
      "the number of rows a statement changed, or the error of a statement that failed. A failing\n"
      "statement does not stop the script; the exit code is 1 when any statement failed.");
  command->add_option("database", arguments->request.database,
                      "Database file path, or the title or uuid of a saved profile")
      ->required();
  command->add_option("file", arguments->file, "Script file; - or nothing reads standard input")->default_str("-");
  add_open_options(*command, arguments->request);
  return [command, arguments](Session& session) { return command->parsed() ? run_script(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
