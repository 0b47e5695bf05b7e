#pragma once

#include <CLI/CLI.hpp>

#include "tools/tolvane/open_options.hpp"
#include "tools/tolvane/session.hpp"

namespace Tolvane::Cli {

// Each command registers its sub-command and returns the function that runs it
// once the command line has been parsed. The function returns the exit code,
// or -1 when its sub-command was not the one given.
using Runner = std::function<int(Session&)>;

Runner add_query_command(CLI::App& app);
Runner add_script_command(CLI::App& app);
Runner add_profile_command(CLI::App& app);
Runner add_demo_command(CLI::App& app);
Runner add_format_command(CLI::App& app);
Runner add_rekey_command(CLI::App& app);
Runner add_export_command(CLI::App& app);
Runner add_import_command(CLI::App& app);
Runner add_settings_command(CLI::App& app);
Runner add_keygen_command(CLI::App& app);
Runner add_tables_command(CLI::App& app);
Runner add_schema_command(CLI::App& app);
Runner add_transform_command(CLI::App& app);
Runner add_copy_command(CLI::App& app);
Runner add_doc_command(CLI::App& app);
Runner add_diff_command(CLI::App& app);
Runner add_sync_command(CLI::App& app);

// The demo's look at the structure: a table's CREATE text and a table rebuilt.
void tour_structure(Orvel::Supports::Database::SQLiteConnection& connection);

// The content of a file, or of standard input for "-", read in large blocks.
Outcome<std::string> read_input(const std::string& file);

// Prints "tolvane: <message>" on standard error and returns the failure's exit code.
int report(const Failure& failure);

// Flushes standard output and turns a failed write into the command's result:
// `code` when all was written; 141, quietly, when the reader went away (the
// way a pipe into `head` ends); otherwise the write error and exit code 5.
int finish_output(int code);

}  // namespace Tolvane::Cli
