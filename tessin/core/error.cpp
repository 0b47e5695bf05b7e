#include "tessin/core/error.hpp"

#include <gio/gio.h>

namespace Tolvane::Core {

Error Error::from_gerror(const GError* error) {
  if (error == nullptr) {
    return Error{};
  }
  return Error{g_quark_to_string(error->domain), error->code, error->message != nullptr ? error->message : ""};
}

Error Error::take_gerror(GError* error) {
  Error result = from_gerror(error);
  if (error != nullptr) {
    g_error_free(error);
  }
  return result;
}

const char* Error::gio_domain() { return g_quark_to_string(G_IO_ERROR); }

void log_uncaught(const char* file, int line, const Error& error) {
  g_critical("file %s: line %d: uncaught error: %s (%s, %d)", file, line, error.message.c_str(),
             error.domain.c_str(), error.code);
}

void log_unexpected(const char* file, int line, const Error& error) {
  g_critical("file %s: line %d: unexpected error: %s (%s, %d)", file, line, error.message.c_str(),
             error.domain.c_str(), error.code);
}

void precondition_failed(const char* function, const char* condition) {
  g_return_if_fail_warning(G_LOG_DOMAIN, function, condition);
}

}  // namespace Tolvane::Core
