#include "tools/tolvane/dot_commands.hpp"

#include <array>

namespace Tolvane::Cli {

namespace {

struct Equivalent {
  std::string_view dot;
  std::string_view instead;
};

constexpr std::array<Equivalent, 14> kEquivalents{{
    {".tables", "`tolvane tables DB`, or SELECT name FROM sqlite_schema WHERE type = 'table'"},
    {".schema", "`tolvane schema DB`, or SELECT sql FROM sqlite_schema"},
    {".indexes", "SELECT name FROM sqlite_schema WHERE type = 'index'"},
    {".dump", "`tolvane export DB --format sql`"},
    {".import", "`tolvane import DB FILE`"},
    {".mode", "the --format option (--csv, --json, -t, ...)"},
    {".headers", "the --no-headers option"},
    {".nullvalue", "the --null option"},
    {".read", "`tolvane script DB FILE`"},
    {".open", "the database argument of the command"},
    {".timeout", "the --timeout option"},
    {".bail", "the --bail option"},
    {".rekey", "`tolvane rekey DB`"},
    {".quit", "the end of the script"},
}};

}  // namespace

std::string dot_command_refusal(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  const std::string_view word = line.substr(0, line.find_first_of(" \t"));
  std::string message = "\"" + std::string(line) + "\" is a command of the sqlite3 shell, not SQL";
  for (const Equivalent& equivalent : kEquivalents) {
    if (equivalent.dot == word) {
      message += "; use " + std::string(equivalent.instead);
      return message;
    }
  }
  return message + "; tolvane runs only SQL statements in scripts (see `tolvane help`)";
}

}  // namespace Tolvane::Cli
