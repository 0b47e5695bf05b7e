// tolvane format [file|-] [--minify]

#include "orvel/supports/database/formatter.hpp"
#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

namespace {

struct FormatArguments {
  std::string file = "-";
  bool minify = false;
};

int run_format(const FormatArguments& arguments) {
  auto input = read_input(arguments.file);
  if (!input) {
    return report(input.error());
  }
  std::string text = std::move(*input);
  // A file's final line break is not part of the SQL.
  while (!text.empty() && g_ascii_isspace(text.back())) {
    text.pop_back();
  }
  // Formatting needs no database: a formatter configured as a connection's.
  auto formatter = Orvel::Supports::Database::Formatter::configured();
  auto formatted = arguments.minify ? formatter->minify(text) : formatter->beautify(text);
  const std::string& out = formatted ? *formatted : text;
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (out.empty() || out.back() != '\n') {
    std::fputc('\n', stdout);
  }
  return kSuccess;
}

}  // namespace

Runner add_format_command(CLI::App& app) {
  auto arguments = std::make_shared<FormatArguments>();
  CLI::App* command = app.add_subcommand("format", "Beautify or minify SQL text");
  command->footer(
      "Lay SQL text out for reading (clauses on lines of their own, select lists one item a line,\n"
      "sub-queries indented, keywords in capitals) or, with --minify, squeeze it onto one line.\n"
      "Text inside single quotes is left as it is. Needs no database.");
  command->add_option("file", arguments->file, "SQL file; - or nothing reads standard input")->default_str("-");
  command->add_flag("--minify", arguments->minify, "Put the text on one line instead");
  return [command, arguments](Session&) { return command->parsed() ? run_format(*arguments) : -1; };
}

}  // namespace Tolvane::Cli
