#pragma once

#include <functional>

namespace Tolvane::Cli {

// Ctrl-C and termination requests, handled the way shell users expect:
// the first SIGINT or SIGTERM sets a flag and interrupts the statements that
// are running (each command registers its connections while it uses them), so
// the command can roll back what it started, print "interrupted" and exit with
// 130; a second one ends the process at once. SIGPIPE is ignored: a reader
// that goes away shows as a failed write (see OutputStream).
//
// The handler does only what is safe in a signal handler: it sets an atomic
// flag and calls the registered interrupt functions, which must be safe there
// too (the engine's interrupt is made for this: it sets a flag the running
// statement checks).
class Interrupts {
 public:
  // Installs the handlers; once, at start-up.
  static void install();
  // A signal came.
  static bool requested();
  // Forgets a request (tests of the handling, a prompt that was cancelled).
  static void clear();

  // While it lives, a signal also calls `interrupt(context)`. At most a few
  // scopes are live at once (a command with two databases has two).
  class Scope {
   public:
    using Function = void (*)(void* context);
    Scope(Function interrupt, void* context);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    Function function() const { return m_function; }
    void* context() const { return m_context; }

   private:
    Function m_function;
    void* m_context;
    int m_slot = -1;
  };

  // Prints "interrupted" on standard error; returns the exit code 130.
  static int report();
};

}  // namespace Tolvane::Cli
