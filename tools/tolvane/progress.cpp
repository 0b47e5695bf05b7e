#include "tools/tolvane/progress.hpp"

#include <unistd.h>

#include <glib.h>

namespace Tolvane::Cli {

namespace {

// Nothing shows for work that ends within this time.
constexpr std::int64_t kQuietStartUs = 500000;
constexpr std::int64_t kRedrawUs = 250000;
// Calls between clock reads adapt to how often the caller calls: a clock read
// is cheap, but not per row of a fast stream; slow work reads it every call.
constexpr std::int64_t kMaxStride = 4096;
constexpr std::int64_t kFastCheckUs = 10000;
constexpr std::int64_t kSlowCheckUs = 50000;

}  // namespace

Progress::Progress(std::string unit, std::int64_t total)
    : Progress(std::move(unit), total, stderr, isatty(STDERR_FILENO) != 0) {}

Progress::Progress(std::string unit, std::int64_t total, std::FILE* stream, bool shown)
    : m_unit(std::move(unit)),
      m_total(total),
      m_stream(stream),
      m_shown(shown),
      m_started_us(g_get_monotonic_time()),
      m_last_check_us(m_started_us) {}

Progress::~Progress() { finish(); }

void Progress::tick() {
  const std::int64_t now = g_get_monotonic_time();
  const std::int64_t since_check = now - m_last_check_us;
  m_last_check_us = now;
  if (since_check < kFastCheckUs && m_stride < kMaxStride) {
    m_stride *= 2;
  } else if (since_check > kSlowCheckUs && m_stride > 1) {
    m_stride /= 2;
  }
  m_next_check = m_calls + m_stride;
  if (now - m_started_us < kQuietStartUs || now - m_last_draw_us < kRedrawUs) {
    return;
  }
  m_last_draw_us = now;
  const std::string text = line(m_unit, m_done, m_total, static_cast<double>(now - m_started_us) / 1e6, m_share);
  // Back to the start of the line, then clear what a longer line left.
  std::fprintf(m_stream, "\r%s\033[K", text.c_str());
  std::fflush(m_stream);
  m_drawn = true;
}

void Progress::finish() {
  if (m_drawn) {
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
  }
  m_shown = false;
}

std::string Progress::grouped(std::int64_t number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      out.push_back(',');
    }
    out.push_back(digits[i]);
  }
  return number < 0 ? "-" + out : out;
}

std::string Progress::duration(double seconds) {
  const auto total = static_cast<std::int64_t>(seconds + 0.5);
  const std::int64_t hours = total / 3600;
  const std::int64_t minutes = total / 60 % 60;
  const std::int64_t rest = total % 60;
  char buffer[48];
  if (hours > 0) {
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(rest));
  } else {
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(rest));
  }
  return buffer;
}

std::string Progress::line(const std::string& unit, std::int64_t done, std::int64_t total, double seconds,
                           double share) {
  const bool by_share = total <= 0 && share > 0 && share < 1;
  std::string text = by_share ? std::to_string(static_cast<int>(share * 100)) + "%  " : std::string();
  text += grouped(done);
  if (total > 0) {
    text += " of " + grouped(total);
  }
  text += " " + unit;
  if (seconds > 0) {
    const double rate = static_cast<double>(done) / seconds;
    text += ", " + grouped(static_cast<std::int64_t>(rate)) + "/s";
    if (total > 0 && done > 0 && done < total) {
      text += ", " + duration(static_cast<double>(total - done) / rate) + " left";
    } else if (by_share) {
      text += ", " + duration(seconds / share - seconds) + " left";
    } else {
      text += ", " + duration(seconds);
    }
  }
  return text;
}

}  // namespace Tolvane::Cli
