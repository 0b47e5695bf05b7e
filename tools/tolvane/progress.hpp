#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace Tolvane::Cli {

// A one-line progress display for long work: what is counted, how many are
// done (of how many, when known), the rate and the time left. It shows only
// when standard error is a terminal, not before the work has run for a moment,
// at most a few times a second, and the line is erased at the end, so piped
// and logged output never carries it.
//
// Used by one thread. Call `advance` or `set` as often as wished: each call
// costs a counter update and, every so many calls (fewer the faster the calls
// come), a clock read.
class Progress {
 public:
  // `unit` names what is counted ("rows", "statements"); `total` is 0 when unknown.
  explicit Progress(std::string unit, std::int64_t total = 0);
  // Also for tests: draw on `stream` whether or not it is a terminal.
  Progress(std::string unit, std::int64_t total, std::FILE* stream, bool shown);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void advance(std::int64_t count = 1) { set(m_done + count); }
  void set(std::int64_t done) {
    m_done = done;
    if (m_shown && ++m_calls >= m_next_check) {
      tick();
    }
  }
  void set_total(std::int64_t total) { m_total = total; }
  // How much of the work is done by another measure (bytes of a file read, as
  // a share from 0 to 1) when the total count is not known: the line then
  // gives the share and the time left.
  void set_share(double share) { m_share = share; }
  std::int64_t done() const { return m_done; }

  // Erases the line; the destructor does it too.
  void finish();

  // "1,234,567"
  static std::string grouped(std::int64_t number);
  // "0:07", "1:02:03"
  static std::string duration(double seconds);
  // The line drawn for `done` of `total` after `seconds`.
  static std::string line(const std::string& unit, std::int64_t done, std::int64_t total, double seconds,
                          double share = 0);

 private:
  void tick();

  std::string m_unit;
  std::int64_t m_total;
  double m_share = 0;
  std::FILE* m_stream;
  bool m_shown;
  std::int64_t m_done = 0;
  std::int64_t m_calls = 0;
  std::int64_t m_next_check = 1;
  std::int64_t m_stride = 1;
  std::int64_t m_started_us;
  std::int64_t m_last_check_us;
  std::int64_t m_last_draw_us = 0;
  bool m_drawn = false;
};

}  // namespace Tolvane::Cli
