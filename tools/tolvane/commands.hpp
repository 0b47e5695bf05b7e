#pragma once

#include <CLI/CLI.hpp>

#include "tools/tolvane/session.hpp"

namespace Tolvane::Cli {

// Each command registers its sub-command and returns the function that runs it
// once the command line has been parsed. The function returns the exit code.
using Runner = std::function<int(Session&)>;

Runner add_query_command(CLI::App& app);
Runner add_script_command(CLI::App& app);
Runner add_profile_command(CLI::App& app);
Runner add_demo_command(CLI::App& app);
Runner add_format_command(CLI::App& app);
Runner add_export_command(CLI::App& app);
Runner add_import_command(CLI::App& app);
Runner add_settings_command(CLI::App& app);
Runner add_keygen_command(CLI::App& app);

// Adds --key, --user, --password and --create to a command that opens a database.
void add_open_options(CLI::App& command, OpenRequest& request);

// The content of a file, or of standard input for "-".
Outcome<std::string> read_input(const std::string& file);

// Prints "tolvane: <message>" on standard error and returns the failure's exit code.
int report(const Failure& failure);

}  // namespace Tolvane::Cli
