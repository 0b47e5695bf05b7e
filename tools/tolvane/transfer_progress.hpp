#pragma once

#include <cstdint>
#include <string>

namespace Tolvane::Cli {

// A one-line progress display of a long export or import on standard error:
// rows done, rate, and the share and time left when the total is known. It
// shows only when standard error is a terminal and the job has run for a
// second, redraws at most five times a second, and clears its line at the end.
class TransferProgress {
 public:
  explicit TransferProgress(std::string verb);
  ~TransferProgress();

  // `done` of `total` units (0: unknown) processed; `rows` rows so far.
  void update(std::int64_t rows, std::uint64_t done, std::uint64_t total);
  void finish();

 private:
  std::string m_verb;
  bool m_terminal;
  bool m_shown = false;
  std::int64_t m_started;
  std::int64_t m_drawn = 0;
};

}  // namespace Tolvane::Cli
