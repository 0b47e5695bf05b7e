// tolvane format [file|-] [--minify] [--check]

#include <algorithm>

#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/formatter_check.hpp"
#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Supports::Database::first_invalid_utf8;
using Orvel::Supports::Database::Formatter;

struct FormatArguments {
  std::string file = "-";
  bool minify = false;
  bool check = false;
};

// A file's final line break (and any white space before it) is not part of the SQL.
void drop_trailing_white(std::string& text) {
  while (!text.empty() && g_ascii_isspace(text.back())) {
    text.pop_back();
  }
}

std::size_t line_at(std::string_view text, std::size_t offset) {
  return static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n')) +
         1;
}

// Formatting reads text: bytes that are not UTF-8, or a NUL byte, mean the
// input is something else, and laying it out would only scramble it.
std::optional<std::string> not_text(std::string_view text) {
  if (const auto invalid = first_invalid_utf8(text)) {
    return "not UTF-8 text (invalid byte at offset " + std::to_string(*invalid) + ")";
  }
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return "not text (a NUL byte at offset " + std::to_string(nul) + ")";
  }
  return std::nullopt;
}

int run_format(const FormatArguments& arguments) {
  auto input = read_input(arguments.file);
  if (!input) {
    return report(input.error());
  }
  const std::string source = arguments.file == "-" ? "standard input" : arguments.file;
  std::string text = std::move(*input);
  if (const auto problem = not_text(text)) {
    return report(Failure{kStatementFailed, source + ": " + *problem + "; nothing formatted"});
  }
  drop_trailing_white(text);
  // The checked operations refuse a result whose tokens differ from the input's
  // (which would be a fault of the formatter): better no output than changed SQL.
  auto formatted = arguments.minify ? Formatter::minify_checked(text) : Formatter::beautify_checked(text);
  if (!formatted) {
    return report(Failure{kStatementFailed, source + ": " + formatted.error().message + "; nothing printed"});
  }
  std::string out = std::move(*formatted);
  drop_trailing_white(out);
  if (arguments.check) {
    if (out == text) {
      return kSuccess;
    }
    const auto differ = std::mismatch(text.begin(), text.end(), out.begin(), out.end());
    const auto offset = static_cast<std::size_t>(differ.first - text.begin());
    return report(Failure{kStatementFailed, source + ": not formatted (from line " +
                                                std::to_string(line_at(text, offset)) + " on)"});
  }
  out.push_back('\n');
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    return report(Failure{kInputFailure, "cannot write standard output"});
  }
  return kSuccess;
}

}  // namespace

Runner add_format_command(CLI::App& app) {
  auto arguments = std::make_shared<FormatArguments>();
  CLI::App* command = app.add_subcommand("format", "Beautify or minify SQL text");
  command->footer(
      "Lay SQL text out for reading (each statement, clause and select-list item on a line of its own,\n"
      "sub-queries indented, keywords in capitals) or, with --minify, squeeze it onto one line.\n"
      "Only white space and the case of keywords change: string literals, quoted names, blobs and comments\n"
      "stay as they are, and a line comment keeps its line end. Should a result ever hold other tokens than\n"
      "its input, nothing is printed and the command fails. Input that is not UTF-8 text is refused.\n"
      "With --check nothing is printed: the exit code tells whether the input is formatted already.\n"
      "Exit codes here: 0 formatted (or, with --check, formatted already); 1 the input is not text, could\n"
      "not be formatted, or (with --check) is not formatted; 5 the input could not be read.\n"
      "Needs no database.");
  command->add_option("file", arguments->file, "SQL file; - or nothing reads standard input")->default_str("-");
  command->add_flag("--minify", arguments->minify, "Put the text on one line instead");
  command->add_flag("--check", arguments->check,
                    "Print nothing; exit 0 when the input is formatted already, 1 when it is not");
  return [command, arguments](Session&) { return command->parsed() ? run_format(*arguments) : -1; };
}

}  // namespace Tolvane::Cli
