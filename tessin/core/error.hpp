#pragma once

#include <expected>
#include <string>

#include <glib.h>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// A failure as data: the domain is an interned-style text ("SQLite", "default",
// the SQL error quark string, GIO's domain ...), the code is the domain's own.
struct TESSIN_API Error {
  std::string domain;
  int code = 0;
  std::string message;

  // Copies a GError; the caller keeps ownership of `error`.
  static Error from_gerror(const GError* error);
  // Takes over a GError and frees it.
  static Error take_gerror(GError* error);

  // The domain GIO uses for file and stream errors.
  static const char* gio_domain();

  bool operator==(const Error&) const = default;
};

template <class T>
using Result = std::expected<T, Error>;
using Status = Result<void>;

inline std::unexpected<Error> fail(std::string domain, int code, std::string message) {
  return std::unexpected<Error>(Error{std::move(domain), code, std::move(message)});
}
inline std::unexpected<Error> fail(Error error) { return std::unexpected<Error>(std::move(error)); }

// Logs an error an operation decided to swallow, with the source position.
TESSIN_API void log_uncaught(const char* file, int line, const Error& error);
// Logs an error of a domain the operation does not declare.
TESSIN_API void log_unexpected(const char* file, int line, const Error& error);

// A programming error: logs GLib's critical "assertion '<condition>' failed" naming
// the condition exactly as given.
TESSIN_API void precondition_failed(const char* function, const char* condition);

}  // namespace Tolvane::Core

// `condition` is the C++ test; `text` is the wording of the check that is logged.
#define TOLVANE_RETURN_IF_FAIL(condition, text)                  \
  do {                                                           \
    if (!(condition)) [[unlikely]] {                             \
      ::Tolvane::Core::precondition_failed(G_STRFUNC, text);     \
      return;                                                    \
    }                                                            \
  } while (0)

#define TOLVANE_RETURN_VAL_IF_FAIL(condition, text, value)       \
  do {                                                           \
    if (!(condition)) [[unlikely]] {                             \
      ::Tolvane::Core::precondition_failed(G_STRFUNC, text);     \
      return value;                                              \
    }                                                            \
  } while (0)

#define TOLVANE_LOG_UNCAUGHT(error) ::Tolvane::Core::log_uncaught(__FILE__, __LINE__, (error))
#define TOLVANE_LOG_UNEXPECTED(error) ::Tolvane::Core::log_unexpected(__FILE__, __LINE__, (error))
