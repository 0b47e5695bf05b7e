// tolvane: the command-line host of the Tolvane engine.

#include <clocale>

#include <CLI/CLI.hpp>

#include "orvel/version.hpp"
#include "tools/tolvane/commands.hpp"

int main(int argc, char** argv) {
  using namespace Tolvane::Cli;

  std::setlocale(LC_ALL, "");
  Paths paths = Paths::defaults();
  bool verbose = false;
  CLI::App app("tolvane: run queries and scripts against SQLite databases, encrypted ones included.", "tolvane");
  app.footer(std::string("\n") + kExitCodeHelp +
             "\n\nSecrets: --key and --password are visible to other users in the process list; prefer the\n"
             "environment variables TOLVANE_KEY and TOLVANE_PASSWORD, which the commands read when the\n"
             "options are not given. Run `tolvane <command> --help` for the options of a command.");
  app.set_version_flag("--version", std::string("tolvane ") + Tolvane::Orvel::version());
  app.add_option("--log-dir", paths.log_dir, "Folder of the log files")->default_str(paths.log_dir);
  app.add_option("--profiles", paths.profiles_file, "The profile file")->default_str(paths.profiles_file);
  app.add_flag("-v,--verbose", verbose, "Also print the engine's log lines on standard error");
  app.require_subcommand(1);

  std::vector<Runner> runners{add_query_command(app), add_script_command(app), add_profile_command(app),
                              add_demo_command(app), add_format_command(app), add_settings_command(app),
                              add_keygen_command(app), add_export_command(app), add_import_command(app)};
  for (CLI::App* command : app.get_subcommands({})) {
    command->footer(command->get_footer() + "\n\n" + kExitCodeHelp);
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
