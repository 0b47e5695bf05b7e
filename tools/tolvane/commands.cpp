#include "tools/tolvane/commands.hpp"

#include <iostream>
#include <iterator>

namespace Tolvane::Cli {

void add_open_options(CLI::App& command, OpenRequest& request) {
  command.add_option("--key", request.key,
                     "Encryption key of the database (default: $TOLVANE_KEY); may not contain '=', ',', ';' or blanks");
  command.add_option("--user", request.user, "User name for a database that requires a login");
  command.add_option("--password", request.password, "Password of that user (default: $TOLVANE_PASSWORD)");
  command.add_flag("--create", request.create, "Create the database file when it does not exist");
}

Outcome<std::string> read_input(const std::string& file) {
  if (file == "-") {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) {
      return std::unexpected(Failure{kInputFailure, "cannot read standard input"});
    }
    return text;
  }
  gchar* contents = nullptr;
  gsize length = 0;
  GError* error = nullptr;
  if (g_file_get_contents(file.c_str(), &contents, &length, &error) == FALSE) {
    Core::Error failure = Core::Error::take_gerror(error);
    return std::unexpected(Failure{kInputFailure, "cannot read " + file + ": " + failure.message});
  }
  std::string text(contents, length);
  g_free(contents);
  return text;
}

int report(const Failure& failure) {
  std::fprintf(stderr, "tolvane: %s\n", failure.message.c_str());
  return failure.exit_code;
}

}  // namespace Tolvane::Cli
