// tolvane rekey <database>: sets, changes or removes the encryption key.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/tolvane/commands.hpp"
#include "tools/tolvane/interrupts.hpp"

namespace Tolvane::Cli {

namespace {

struct RekeyArguments {
  OpenRequest request;
  bool remove = false;
};

// One line typed on the terminal without echo; nullopt when there is no
// terminal or the user interrupted.
std::optional<std::string> read_hidden(int tty, const char* prompt) {
  termios saved{};
  if (tcgetattr(tty, &saved) != 0) {
    return std::nullopt;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  tcsetattr(tty, TCSAFLUSH, &quiet);
  (void)!::write(tty, prompt, std::strlen(prompt));
  std::string line;
  char c = 0;
  bool done = false;
  while (!done) {
    const ssize_t got = ::read(tty, &c, 1);
    if (got < 0 && errno == EINTR && !Interrupts::requested()) {
      continue;
    }
    if (got <= 0 || c == '\n') {
      done = true;
    } else {
      line.push_back(c);
    }
  }
  tcsetattr(tty, TCSAFLUSH, &saved);
  (void)!::write(tty, "\n", 1);
  if (Interrupts::requested()) {
    return std::nullopt;
  }
  return line;
}

// The new key: $TOLVANE_NEW_KEY, or typed twice on the terminal.
Outcome<std::string> new_key() {
  if (const char* given = g_getenv("TOLVANE_NEW_KEY")) {
    if (*given == '\0') {
      return std::unexpected(Failure{kUsage, "TOLVANE_NEW_KEY is empty; use --remove to remove the key"});
    }
    return std::string(given);
  }
  const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (tty < 0) {
    return std::unexpected(Failure{kUsage, "no new key: set TOLVANE_NEW_KEY or run on a terminal to type it"});
  }
  auto first = read_hidden(tty, "New key: ");
  auto second = first ? read_hidden(tty, "The new key again: ") : std::nullopt;
  ::close(tty);
  if (Interrupts::requested()) {
    return std::unexpected(Failure{kInterrupted, "interrupted"});
  }
  if (!first || !second) {
    return std::unexpected(Failure{kUsage, "cannot read the new key from the terminal"});
  }
  if (*first != *second) {
    return std::unexpected(Failure{kUsage, "the two keys differ; nothing was changed"});
  }
  if (first->empty()) {
    return std::unexpected(Failure{kUsage, "the new key is empty; use --remove to remove the key"});
  }
  return *first;
}

int run_rekey(Session& session, const RekeyArguments& arguments) {
  std::string key;
  if (!arguments.remove) {
    auto typed = new_key();
    if (!typed) {
      return report(typed.error());
    }
    key = std::move(*typed);
  }
  auto connection = session.open(arguments.request);
  if (!connection) {
    return report(connection.error());
  }
  const Core::Status changed = Session::provider_of(**connection).rekey(key);
  (*connection)->close();
  if (!changed) {
    return report(Failure{kStatementFailed,
                          "cannot change the key of " + arguments.request.database + ": " + describe(changed.error())});
  }
  std::fprintf(stderr, "%s %s\n", arguments.remove ? "removed the key of" : "changed the key of",
               arguments.request.database.c_str());
  return kSuccess;
}

}  // namespace

Runner add_rekey_command(CLI::App& app) {
  auto arguments = std::make_shared<RekeyArguments>();
  CLI::App* command = app.add_subcommand("rekey", "Set, change or remove the encryption key of a database");
  command->footer(
      "Open the database with its present key (--key, $TOLVANE_KEY, or none for a plain file) and\n"
      "encrypt it with a new one, taken from $TOLVANE_NEW_KEY or typed twice on the terminal without\n"
      "echo. --remove decrypts it instead. The cipher scheme stays the one the database was opened\n"
      "with (--cipher). Keys are never logged nor shown.");
  command
      ->add_option("database", arguments->request.database,
                   "Database file path, file: URI, or the title or uuid of a saved profile")
      ->required();
  command->add_flag("--remove", arguments->remove, "Remove the key: leave the database unencrypted");
  add_open_options(*command, arguments->request, "", "the database", false);
  return [command, arguments](Session& session) { return command->parsed() ? run_rekey(session, *arguments) : -1; };
}

}  // namespace Tolvane::Cli
