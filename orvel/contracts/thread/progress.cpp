#include "orvel/contracts/thread/progress.hpp"

#include <glib.h>

#include "orvel/helpers/date_time_helper.hpp"

namespace Tolvane::Orvel::Contracts::Thread {

std::string Progress::stamped(std::string_view text) {
  // The local time text looks at the time zone file each time it is made; a
  // job that reports a step per row asks for it far more often than the clock
  // moves on by a millisecond.
  thread_local std::int64_t made_ms = -1;
  thread_local std::string made;
  if (const std::int64_t ms = g_get_real_time() / 1000; ms != made_ms) {
    made = Helpers::DateTimeHelper::datetime_with_ms_normal();
    made_ms = ms;
  }
  std::string line;
  line.reserve(made.size() + 1 + text.size());
  line.append(made).append(1, ' ').append(text);
  return line;
}

void Progress::report_success(std::chrono::microseconds elapsed, std::string_view text) {
  std::string line = text.empty() ? std::string() : stamped(text);
  std::lock_guard lock(mutex_);
  elapsed_ = elapsed;
  ++processed_;
  if (!line.empty()) messages_.push_back(std::move(line));
}

void Progress::report_failure(std::chrono::microseconds elapsed, std::string line) {
  std::lock_guard lock(mutex_);
  elapsed_ = elapsed;
  ++processed_;
  ++failed_;
  messages_.push_back(std::move(line));
}

void Progress::queue(std::string line) {
  std::lock_guard lock(mutex_);
  messages_.push_back(std::move(line));
}

void Progress::reset_counters() {
  std::lock_guard lock(mutex_);
  processed_ = 0;
  aux_count_ = 0;
  failed_ = 0;
  elapsed_ = std::chrono::microseconds{0};
  finished_ = false;
}

void Progress::set_aux_count(int64_t value) {
  std::lock_guard lock(mutex_);
  aux_count_ = value;
}

void Progress::add_aux_count(int64_t delta) {
  std::lock_guard lock(mutex_);
  aux_count_ += delta;
}

void Progress::set_finished(bool value) {
  std::lock_guard lock(mutex_);
  finished_ = value;
}

Progress::Snapshot Progress::snapshot() const {
  std::lock_guard lock(mutex_);
  return {processed_, aux_count_, failed_, elapsed_, finished_};
}

int64_t Progress::processed() const {
  std::lock_guard lock(mutex_);
  return processed_;
}

int64_t Progress::failed() const {
  std::lock_guard lock(mutex_);
  return failed_;
}

int64_t Progress::aux_count() const {
  std::lock_guard lock(mutex_);
  return aux_count_;
}

bool Progress::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

std::chrono::microseconds Progress::elapsed() const {
  std::lock_guard lock(mutex_);
  return elapsed_;
}

std::vector<std::string> Progress::take_messages() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> taken(std::make_move_iterator(messages_.begin()),
                                 std::make_move_iterator(messages_.end()));
  messages_.clear();
  return taken;
}

std::vector<std::string> Progress::messages() const {
  std::lock_guard lock(mutex_);
  return {messages_.begin(), messages_.end()};
}

}  // namespace Tolvane::Orvel::Contracts::Thread
