// tolvane: the command-line host of the Tolvane engine.

#include <clocale>

#include <CLI/CLI.hpp>

#include "orvel/version.hpp"
#include "tools/tolvane/command_line.hpp"
#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"

namespace {

using namespace Tolvane::Cli;

// Answers `tolvane help [command]`, a missing command and a mistyped one
// before the parser, which knows none of these. -1 lets the parser go on.
int answer_without_parsing(CLI::App& app, int argc, char** argv) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({})) {
    names.push_back(command->get_name());
  }
  const CommandWord word = first_command_word(argc, argv, {"--log-dir", "--profiles"});
  if (word.word.empty()) {
    for (int i = 1; i < argc; ++i) {
      const std::string option = argv[i];
      if (option == "-h" || option == "--help" || option == "--version") {
        return -1;
      }
    }
    std::fputs(app.help().c_str(), stderr);
    std::fputs("tolvane: a command is required (see the list above)\n", stderr);
    return kUsage;
  }
  if (word.word == "help") {
    if (static_cast<int>(word.index) + 1 >= argc) {
      std::fputs(app.help().c_str(), stdout);
      return kSuccess;
    }
    const std::string topic = argv[word.index + 1];
    for (CLI::App* command : app.get_subcommands({})) {
      if (command->get_name() == topic) {
        std::fputs(command->help().c_str(), stdout);
        return kSuccess;
      }
    }
    std::string message = "tolvane: no command \"" + topic + "\"";
    if (auto nearest = nearest_command(topic, names)) {
      message += "; did you mean \"" + *nearest + "\"?";
    }
    std::fprintf(stderr, "%s\n", message.c_str());
    return kUsage;
  }
  if (std::find(names.begin(), names.end(), word.word) == names.end()) {
    std::string message = "tolvane: unknown command \"" + word.word + "\"";
    if (auto nearest = nearest_command(word.word, names)) {
      message += "; did you mean \"" + *nearest + "\"?";
    }
    std::fprintf(stderr, "%s (run `tolvane help` for the list)\n", message.c_str());
    return kUsage;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  Interrupts::install();
  Paths paths = Paths::defaults();
  bool verbose = false;
  CLI::App app("tolvane: run queries and scripts against SQLite databases, encrypted ones included.", "tolvane");
  app.footer(std::string("\n") + kExitCodeHelp +
             "\n\nSecrets: --key and --password are visible to other users in the process list; prefer the\n"
             "environment variables TOLVANE_KEY and TOLVANE_PASSWORD, which the commands read when the\n"
             "options are not given. Run `tolvane help <command>` for the options of a command.");
  app.set_version_flag("--version", std::string("tolvane ") + Tolvane::Orvel::version());
  app.add_option("--log-dir", paths.log_dir, "Folder of the log files")->default_str(paths.log_dir);
  app.add_option("--profiles", paths.profiles_file, "The profile file")->default_str(paths.profiles_file);
  app.add_flag("-v,--verbose", verbose, "Also print the engine's log lines on standard error");
  app.require_subcommand(1);

  std::vector<Runner> runners{add_query_command(app), add_script_command(app), add_profile_command(app),
                              add_demo_command(app),  add_format_command(app), add_rekey_command(app),
                              add_settings_command(app), add_keygen_command(app), add_export_command(app),
                              add_import_command(app), add_tables_command(app), add_schema_command(app),
                              add_transform_command(app), add_doc_command(app), add_diff_command(app),
                              add_sync_command(app), add_copy_command(app)};
  for (CLI::App* command : app.get_subcommands({})) {
    command->footer(command->get_footer() + "\n\n" + kExitCodeHelp);
  }
  if (int code = answer_without_parsing(app, argc, argv); code >= 0) {
    return code;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }

  Session session(paths, verbose);
  for (const Runner& runner : runners) {
    if (int code = runner(session); code >= 0) {
      return code;
    }
  }
  return kUsage;
}
