#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "orvel/contracts/log/logger.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Log {

using Contracts::Log::ILogger;
using Contracts::Log::LogLevel;

class LogManager;
using LogManagerPtr = std::shared_ptr<LogManager>;

// The loggers of the process. The main logger ("SYS"/"SYS") writes slice files
// in the log folder; every other uuid gets, on first `open`, a logger of its
// own writing to a temporary file. A recursive lock guards the map.
class ORVEL_API LogManager : public Core::Object, public Contracts::Log::ILogManager {
  TOLVANE_OBJECT(LogManager)

  LogManager() = default;
  static LogManagerPtr create() { return std::make_shared<LogManager>(); }

  // Makes a new main logger for `uuid_default` (closing the previous one) with
  // a slice-file handler of `threshold` in `log_file_dir`, which is created
  // (one level, private to the user) when missing, keeping the number of
  // slices `set_max_slices` gave. Without a usable folder the main logger has
  // no file handler; a warning says why.
  void initialize(const char* uuid_default, LogLevel threshold, const char* log_file_dir,
                  std::int64_t max_size) override;
  std::shared_ptr<ILogger> open(const char* uuid) override;
  void close(const char* uuid) override;
  // Closes and forgets every logger.
  void shutdown() override;
  std::shared_ptr<ILogger> get_main() const override;
  void set_max_slices(std::int64_t count) override;

  std::string get_uuid_default() const;
  std::int64_t get_max_slices() const;

 private:
  mutable std::recursive_mutex m_mutex;
  // Guarded by m_mutex:
  std::string m_uuid_default;
  std::int64_t m_max_slices = Contracts::Log::kDefaultMaxSlices;
  std::shared_ptr<ILogger> m_main;
  std::unordered_map<std::string, std::shared_ptr<ILogger>> m_loggers;
};

}  // namespace Tolvane::Orvel::Supports::Log
