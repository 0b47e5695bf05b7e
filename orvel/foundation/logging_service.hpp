#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <glib.h>

#include "orvel/contracts/log/logger.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Foundation {

// The static logging facade. A line for a connection (its profile's uuid) goes
// to that connection's temporary log and to the main log, both carrying the
// connection logger's server and name; a line without uuid (or with the default
// uuid) goes to the main log only, as "SYS"/"SYS".
//
// One process-wide recursive lock serialises the log calls (lock order: facade,
// manager, logger, handler), so lines from several threads never mix. A line
// that no handler in the process would accept is dropped before the lock, so
// filtered lines cost a few atomic reads on any thread. Before `initialize` and
// after `shutdown` lines go nowhere.
//
// The file handlers buffer their lines; a line is on disk within a moment, at
// once when it is RISKY (`error`, `critical`, `warning`), after `flush`, and
// after `shutdown` or the end of the process.
class ORVEL_API LoggingService {
 public:
  LoggingService() = delete;

  // Resolves the ILogManager service (once) and initialises it; re-initialises
  // the held manager on later calls. `max_slices` bounds the number of slice
  // files kept in the folder (0 keeps all). Without the service: a critical
  // "null != s_Log_manager".
  static void initialize(const std::string& uuid_default, Contracts::Log::LogLevel threshold,
                         const std::string& log_file_dir, std::int64_t max_size,
                         std::int64_t max_slices = Contracts::Log::kDefaultMaxSlices);
  // Closes every logger, which writes every waiting line.
  static void shutdown();
  // Writes every waiting line of the process's log files now, on this thread.
  static void flush();
  static std::shared_ptr<Contracts::Log::ILogManager> get_manager();

  // `uuid` may be null (the main log only). printf-style, checked by the compiler.
  static void error(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
  static void critical(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
  static void warning(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
  static void message(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
  static void info(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
  static void debug(const char* uuid, const char* format, ...) G_GNUC_PRINTF(2, 3);
};

}  // namespace Tolvane::Orvel::Foundation
