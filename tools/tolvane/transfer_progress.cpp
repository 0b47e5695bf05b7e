#include "tools/tolvane/transfer_progress.hpp"

#include <unistd.h>

#include <cstdio>

#include <glib.h>

namespace Tolvane::Cli {

TransferProgress::TransferProgress(std::string verb)
    : m_verb(std::move(verb)), m_terminal(isatty(STDERR_FILENO) != 0), m_started(g_get_monotonic_time()) {}

TransferProgress::~TransferProgress() { finish(); }

void TransferProgress::update(std::int64_t rows, std::uint64_t done, std::uint64_t total) {
  if (!m_terminal) {
    return;
  }
  const std::int64_t now = g_get_monotonic_time();
  if (now - m_started < G_USEC_PER_SEC || now - m_drawn < G_USEC_PER_SEC / 5) {
    return;
  }
  m_drawn = now;
  m_shown = true;
  const double seconds = static_cast<double>(now - m_started) / G_USEC_PER_SEC;
  const double rate = static_cast<double>(rows) / seconds;
  if (total > 0 && done > 0) {
    const double share = std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
    const double left = seconds / share - seconds;
    std::fprintf(stderr, "\r\033[K%3.0f%%  %lld rows %s, %.0f rows/s, %.0f s left", share * 100,
                 static_cast<long long>(rows), m_verb.c_str(), rate, left);
  } else {
    std::fprintf(stderr, "\r\033[K%lld rows %s, %.0f rows/s", static_cast<long long>(rows), m_verb.c_str(), rate);
  }
  std::fflush(stderr);
}

void TransferProgress::finish() {
  if (m_shown) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    m_shown = false;
  }
}

}  // namespace Tolvane::Cli
