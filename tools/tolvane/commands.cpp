#include "tools/tolvane/commands.hpp"

namespace Tolvane::Cli {

void add_open_options(CLI::App& command, OpenRequest& request) {
  command.add_option("--key", request.key,
                     "Encryption key of the database (default: $TOLVANE_KEY); may not contain '=', ',', ';' or blanks");
  command.add_option("--user", request.user, "User name for a database that requires a login");
  command.add_option("--password", request.password, "Password of that user (default: $TOLVANE_PASSWORD)");
  command.add_flag("--create", request.create, "Create the database file when it does not exist");
}

int report(const Failure& failure) {
  std::fprintf(stderr, "tolvane: %s\n", failure.message.c_str());
  return failure.exit_code;
}

}  // namespace Tolvane::Cli
