#include "orvel/supports/log/log_manager.hpp"

#include <cerrno>

#include <glib/gstdio.h>

#include "orvel/supports/log/logger.hpp"
#include "orvel/supports/log/slice_file_log_handler.hpp"
#include "orvel/supports/log/temp_file_log_handler.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& LogManager::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogLogManager", &Core::Object::static_type(),
                                   {&Contracts::Log::ILogManager::static_type()}, Core::factory_of<LogManager>(),
                                   {Core::property("main", &LogManager::get_main)});
  return info;
}

void LogManager::initialize(const char* uuid_default, LogLevel threshold, const char* log_file_dir,
                            std::int64_t max_size) {
  TOLVANE_RETURN_IF_FAIL(uuid_default != nullptr, "uuid_default != NULL");
  TOLVANE_RETURN_IF_FAIL(log_file_dir != nullptr, "log_file_dir != NULL");
  std::lock_guard lock(m_mutex);
  if (m_main) {
    auto stored = m_loggers.find(m_main->get_uuid());
    if (stored != m_loggers.end() && stored->second == m_main) {
      m_loggers.erase(stored);
    }
    m_main->close();
  }
  m_uuid_default = uuid_default;
  LoggerPtr main = Logger::create(uuid_default);
  main->initialize("SYS", "SYS");
  m_main = main;
  m_loggers.insert_or_assign(m_uuid_default, main);

  std::string failure;
  if (!g_file_test(log_file_dir, G_FILE_TEST_EXISTS) && g_mkdir(log_file_dir, 0700) != 0) {
    int code = errno;
    failure = std::string(log_file_dir) + ": " + g_strerror(code);
  } else {
    SliceFileLogHandlerPtr slices = SliceFileLogHandler::create();
    Core::Status opened = slices->initialize(uuid_default, log_file_dir, max_size, m_max_slices);
    if (opened) {
      slices->set_threshold(threshold);
      main->append_handler(slices);
    } else {
      failure = opened.error().message;
    }
  }
  if (!failure.empty()) {
    g_warning("manager:52: *** Failed creating FileHandler: %s\n", failure.c_str());
  }
}

std::shared_ptr<ILogger> LogManager::open(const char* uuid) {
  TOLVANE_RETURN_VAL_IF_FAIL(uuid != nullptr, "uuid != NULL", nullptr);
  std::lock_guard lock(m_mutex);
  auto found = m_loggers.find(uuid);
  if (found != m_loggers.end()) {
    return found->second;
  }
  LoggerPtr logger = Logger::create(uuid);
  TempFileLogHandlerPtr file = TempFileLogHandler::create();
  file->initialize(uuid);
  file->set_threshold(LogLevel::PLAIN);
  logger->append_handler(file);
  m_loggers.emplace(uuid, logger);
  return logger;
}

void LogManager::close(const char* uuid) {
  TOLVANE_RETURN_IF_FAIL(uuid != nullptr, "uuid != NULL");
  std::lock_guard lock(m_mutex);
  auto found = m_loggers.find(uuid);
  if (found == m_loggers.end()) {
    return;
  }
  std::shared_ptr<ILogger> logger = std::move(found->second);
  m_loggers.erase(found);
  logger->close();
}

void LogManager::shutdown() {
  std::lock_guard lock(m_mutex);
  for (auto& [uuid, logger] : m_loggers) {
    logger->close();
  }
  m_loggers.clear();
}

std::shared_ptr<ILogger> LogManager::get_main() const {
  std::lock_guard lock(m_mutex);
  return m_main;
}

void LogManager::set_max_slices(std::int64_t count) {
  std::lock_guard lock(m_mutex);
  m_max_slices = count;
}

std::int64_t LogManager::get_max_slices() const {
  std::lock_guard lock(m_mutex);
  return m_max_slices;
}

std::string LogManager::get_uuid_default() const {
  std::lock_guard lock(m_mutex);
  return m_uuid_default;
}

}  // namespace Tolvane::Orvel::Supports::Log
