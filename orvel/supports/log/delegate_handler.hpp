#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvel/orvel_api.hpp"
#include "orvel/supports/log/log_handler.hpp"

namespace Tolvane::Orvel::Supports::Log {

class DelegateHandler;
using DelegateHandlerPtr = std::shared_ptr<DelegateHandler>;

// Passes each line within the threshold to a callback as the caller's message
// (no formatter), with the user object given at construction.
class ORVEL_API DelegateHandler : public LogHandler {
  TOLVANE_OBJECT(DelegateHandler)

  using Callback =
      std::function<void(LogLevel level, const std::string& message, const Core::ObjectPtr& user_object)>;

  DelegateHandler(Callback callback, Core::ObjectPtr user_object);
  // Null, with a critical "user_object != NULL", without a user object.
  static DelegateHandlerPtr create(Callback callback, Core::ObjectPtr user_object);

  // The callback runs outside the handler's lock, so it may log itself.
  void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
               va_list args) override;
  std::string recent(int lines) override;
  // Releases the callback; later lines go nowhere.
  void close() override;

  Core::ObjectPtr get_user_object() const { return m_user_object; }

 private:
  // Shared, so a line takes the callback without copying what it captured.
  std::shared_ptr<const Callback> m_callback;
  Core::ObjectPtr m_user_object;
};

}  // namespace Tolvane::Orvel::Supports::Log
