#include "tools/tolvane/interrupts.hpp"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "tools/tolvane/exit_codes.hpp"

namespace Tolvane::Cli {

namespace {

constexpr int kSlots = 4;

std::atomic<int> g_signals{0};
std::atomic<Interrupts::Scope*> g_scopes[kSlots];

void on_signal(int) {
  if (g_signals.fetch_add(1) > 0) {
    // The second request: the user does not want to wait for the clean-up.
    static const char kMessage[] = "\ninterrupted\n";
    (void)!::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    _exit(kInterrupted);
  }
  for (auto& slot : g_scopes) {
    if (Interrupts::Scope* scope = slot.load()) {
      scope->function()(scope->context());
    }
  }
}

}  // namespace

void Interrupts::install() {
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking read (a script from standard input) returns and
  // the command sees the request.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool Interrupts::requested() { return g_signals.load() > 0; }

void Interrupts::clear() { g_signals.store(0); }

Interrupts::Scope::Scope(Function interrupt, void* context) : m_function(interrupt), m_context(context) {
  for (int i = 0; i < kSlots; ++i) {
    Scope* expected = nullptr;
    if (g_scopes[i].compare_exchange_strong(expected, this)) {
      m_slot = i;
      break;
    }
  }
  // A request that came before the scope began still stops its statements.
  if (requested()) {
    m_function(m_context);
  }
}

Interrupts::Scope::~Scope() {
  if (m_slot >= 0) {
    g_scopes[m_slot].store(nullptr);
  }
}

int Interrupts::report() {
  std::fputs("interrupted\n", stderr);
  return kInterrupted;
}

}  // namespace Tolvane::Cli
