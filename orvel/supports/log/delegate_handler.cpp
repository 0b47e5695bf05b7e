#include "orvel/supports/log/delegate_handler.hpp"

#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Log {

const Core::TypeInfo& DelegateHandler::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsLogDelegateHandler", &LogHandler::static_type(), {},
                                   Core::factory_of<DelegateHandler>(), {});
  return info;
}

DelegateHandler::DelegateHandler(Callback callback, Core::ObjectPtr user_object)
    : m_callback(callback ? std::make_shared<const Callback>(std::move(callback)) : nullptr), m_user_object(std::move(user_object)) {}

DelegateHandlerPtr DelegateHandler::create(Callback callback, Core::ObjectPtr user_object) {
  TOLVANE_RETURN_VAL_IF_FAIL(user_object != nullptr, "user_object != NULL", nullptr);
  return std::make_shared<DelegateHandler>(std::move(callback), std::move(user_object));
}

void DelegateHandler::publish(LogLevel level, std::string_view, std::string_view, const char* format,
                              va_list args) {
  if (!accepts(level) || format == nullptr) {
    return;
  }
  std::shared_ptr<const Callback> callback;
  {
    std::lock_guard lock(m_mutex);
    callback = m_callback;
  }
  if (callback) {
    (*callback)(level, expand(format, args), m_user_object);
  }
}

std::string DelegateHandler::recent(int) { return {}; }

void DelegateHandler::close() {
  std::lock_guard lock(m_mutex);
  m_callback.reset();
}

}  // namespace Tolvane::Orvel::Supports::Log
