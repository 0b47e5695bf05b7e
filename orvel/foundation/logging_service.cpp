#include "orvel/foundation/logging_service.hpp"

#include <atomic>
#include <cstdarg>
#include <mutex>

#include "orvel/foundation/services.hpp"
#include "orvel/supports/log/log_flusher.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Foundation {

using Contracts::Log::ILogger;
using Contracts::Log::ILogHandler;
using Contracts::Log::ILogManager;
using Contracts::Log::LogLevel;

namespace {

enum class Operation { Error, Critical, Warning, Message, Info, Debug };

LogLevel level_of(Operation operation) {
  switch (operation) {
    case Operation::Error:
    case Operation::Critical:
    case Operation::Warning:
      return LogLevel::RISKY;
    case Operation::Message:
    case Operation::Info:
      return LogLevel::PLAIN;
    case Operation::Debug:
      break;
  }
  return LogLevel::DEBUG;
}

void call(Operation operation, ILogger& logger, const char* server, const char* name, const char* format,
          va_list args) {
  switch (operation) {
    case Operation::Error:
      logger.error(server, name, format, args);
      break;
    case Operation::Critical:
      logger.critical(server, name, format, args);
      break;
    case Operation::Warning:
      logger.warning(server, name, format, args);
      break;
    case Operation::Message:
      logger.message(server, name, format, args);
      break;
    case Operation::Info:
      logger.info(server, name, format, args);
      break;
    case Operation::Debug:
      logger.debug(server, name, format, args);
      break;
  }
}

struct Facade {
  std::recursive_mutex mutex;
  std::shared_ptr<ILogManager> manager;
  std::atomic<bool> active{false};
  // The main logger and its uuid as last seen, so a line does not copy the uuid.
  std::shared_ptr<ILogger> main;
  std::string main_uuid;
};

// Never destroyed: worker threads may still log while the process exits.
Facade& facade() {
  static Facade* instance = new Facade();
  return *instance;
}

void log(Operation operation, const char* uuid, const char* format, va_list args) {
  Facade& f = facade();
  if (!f.active.load(std::memory_order_acquire) || !ILogHandler::some_handler_accepts(level_of(operation))) {
    return;
  }
  TOLVANE_RETURN_IF_FAIL(format != nullptr, "format != NULL");
  std::lock_guard lock(f.mutex);
  if (!f.active.load(std::memory_order_relaxed) || !f.manager) {
    return;
  }
  std::shared_ptr<ILogger> main = f.manager->get_main();
  if (!main) {
    return;
  }
  if (main != f.main) {
    f.main = main;
    f.main_uuid = main->get_uuid();
  }
  std::string server = main->get_server();
  std::string name = main->get_name();
  if (uuid != nullptr && f.main_uuid != uuid) {
    if (std::shared_ptr<ILogger> logger = f.manager->open(uuid)) {
      server = logger->get_server();
      name = logger->get_name();
      va_list copy;
      va_copy(copy, args);
      call(operation, *logger, server.c_str(), name.c_str(), format, copy);
      va_end(copy);
    }
  }
  call(operation, *main, server.c_str(), name.c_str(), format, args);
}

}  // namespace

void LoggingService::initialize(const std::string& uuid_default, LogLevel threshold, const std::string& log_file_dir,
                                std::int64_t max_size, std::int64_t max_slices) {
  Facade& f = facade();
  std::lock_guard lock(f.mutex);
  if (!f.manager) {
    f.manager = Services::get<ILogManager>();
  }
  TOLVANE_RETURN_IF_FAIL(f.manager != nullptr, "null != s_Log_manager");
  f.manager->set_max_slices(max_slices);
  f.manager->initialize(uuid_default.c_str(), threshold, log_file_dir.c_str(), max_size);
  f.active.store(true, std::memory_order_release);
}

void LoggingService::shutdown() {
  Facade& f = facade();
  std::lock_guard lock(f.mutex);
  f.active.store(false, std::memory_order_release);
  if (f.manager) {
    f.manager->shutdown();
  }
  f.main.reset();
  f.main_uuid.clear();
}

void LoggingService::flush() { Supports::Log::LogFlusher::flush_all(); }

std::shared_ptr<ILogManager> LoggingService::get_manager() {
  Facade& f = facade();
  std::lock_guard lock(f.mutex);
  return f.manager;
}

#define TOLVANE_FACADE_OPERATION(function, operation) \
  void LoggingService::function(const char* uuid, const char* format, ...) { \
    va_list args;                                                           \
    va_start(args, format);                                                 \
    log(operation, uuid, format, args);                                     \
    va_end(args);                                                           \
  }

TOLVANE_FACADE_OPERATION(error, Operation::Error)
TOLVANE_FACADE_OPERATION(critical, Operation::Critical)
TOLVANE_FACADE_OPERATION(warning, Operation::Warning)
TOLVANE_FACADE_OPERATION(message, Operation::Message)
TOLVANE_FACADE_OPERATION(info, Operation::Info)
TOLVANE_FACADE_OPERATION(debug, Operation::Debug)

#undef TOLVANE_FACADE_OPERATION

}  // namespace Tolvane::Orvel::Foundation
