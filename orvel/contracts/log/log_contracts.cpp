#include <array>

#include "orvel/contracts/log/formatter.hpp"
#include "orvel/contracts/log/log_handler.hpp"
#include "orvel/contracts/log/logger.hpp"

namespace Tolvane::Orvel::Contracts::Log {

namespace {

constexpr int kNotCounted = -1;
constexpr int kLevels = 3;

// How many live handlers accept up to each level (index = level).
std::array<std::atomic<int>, kLevels>& census() {
  static std::array<std::atomic<int>, kLevels> counts{};
  return counts;
}

int census_index(LogLevel level) {
  int value = static_cast<int>(level);
  if (value < 0) {
    return kNotCounted;
  }
  return value < kLevels ? value : kLevels - 1;
}

}  // namespace

const Core::TypeInfo& IFormatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsLogIFormatter", {});
  return info;
}
IFormatter::~IFormatter() = default;

const Core::TypeInfo& ILogHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsLogILogHandler", {});
  return info;
}

ILogHandler::ILogHandler() noexcept : m_accepted(census_index(LogLevel::DEBUG)) {
  census()[static_cast<std::size_t>(m_accepted.load())].fetch_add(1, std::memory_order_relaxed);
}

ILogHandler::~ILogHandler() {
  int index = m_accepted.load();
  if (index != kNotCounted) {
    census()[static_cast<std::size_t>(index)].fetch_sub(1, std::memory_order_relaxed);
  }
}

void ILogHandler::set_accepted_level(LogLevel level) noexcept {
  int index = census_index(level);
  int previous = m_accepted.exchange(index);
  if (previous == index) {
    return;
  }
  if (index != kNotCounted) {
    census()[static_cast<std::size_t>(index)].fetch_add(1, std::memory_order_relaxed);
  }
  if (previous != kNotCounted) {
    census()[static_cast<std::size_t>(previous)].fetch_sub(1, std::memory_order_relaxed);
  }
}

bool ILogHandler::some_handler_accepts(LogLevel level) noexcept {
  int from = census_index(level);
  if (from == kNotCounted) {
    from = 0;
  }
  for (int i = from; i < kLevels; ++i) {
    if (census()[static_cast<std::size_t>(i)].load(std::memory_order_relaxed) > 0) {
      return true;
    }
  }
  return false;
}

const Core::TypeInfo& ILogger::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsLogILogger", {});
  return info;
}
ILogger::~ILogger() = default;

const Core::TypeInfo& ILogManager::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsLogILogManager", {});
  return info;
}
ILogManager::~ILogManager() = default;
void ILogManager::set_max_slices(std::int64_t) {}

}  // namespace Tolvane::Orvel::Contracts::Log
