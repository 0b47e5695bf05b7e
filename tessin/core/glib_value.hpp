#pragma once

#include <utility>

#include <glib-object.h>

#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// Owns one GValue: unset on destruction, movable, not copyable (use copy()).
class TESSIN_API GValueHolder {
 public:
  GValueHolder() noexcept = default;
  explicit GValueHolder(GType type) noexcept { g_value_init(&m_value, type); }
  GValueHolder(GValueHolder&& other) noexcept : m_value(other.m_value) { other.m_value = G_VALUE_INIT; }
  GValueHolder& operator=(GValueHolder&& other) noexcept {
    if (this != &other) {
      reset();
      m_value = other.m_value;
      other.m_value = G_VALUE_INIT;
    }
    return *this;
  }
  GValueHolder(const GValueHolder&) = delete;
  GValueHolder& operator=(const GValueHolder&) = delete;
  ~GValueHolder() { reset(); }

  GValueHolder copy() const {
    if (!is_set()) {
      return {};
    }
    GValueHolder result(type());
    g_value_copy(&m_value, &result.m_value);
    return result;
  }

  void reset() noexcept {
    if (is_set()) {
      g_value_unset(&m_value);
    }
  }
  bool is_set() const noexcept { return G_IS_VALUE(&m_value); }
  GType type() const noexcept { return is_set() ? G_VALUE_TYPE(&m_value) : G_TYPE_INVALID; }
  GValue* get() noexcept { return &m_value; }
  const GValue* get() const noexcept { return &m_value; }

  // Builders for the kinds the value model produces.
  static GValueHolder of_string(const char* text) {
    GValueHolder v(G_TYPE_STRING);
    g_value_set_string(v.get(), text);
    return v;
  }

 private:
  GValue m_value = G_VALUE_INIT;
};

}  // namespace Tolvane::Core
