#pragma once

// Owning handles for GLib's C objects. GRef<T> holds one reference of a
// reference-counted GLib type and can be copied; GPtr<T> owns a plain GLib
// allocation and can only be moved. Memory from GLib goes back to GLib.

#include <memory>
#include <string>
#include <utility>

#include <gio/gio.h>
#include <glib-object.h>
#include <glib.h>

namespace Tolvane::Core {

template <class T>
struct GRefTraits;

#define TOLVANE_GREF_TRAITS(Type, ref_fn, unref_fn)            \
  template <>                                                  \
  struct GRefTraits<Type> {                                    \
    static Type* ref(Type* p) { return ref_fn(p); }            \
    static void unref(Type* p) { unref_fn(p); }                \
  }

TOLVANE_GREF_TRAITS(GBytes, g_bytes_ref, g_bytes_unref);
TOLVANE_GREF_TRAITS(GDateTime, g_date_time_ref, g_date_time_unref);
TOLVANE_GREF_TRAITS(GTimeZone, g_time_zone_ref, g_time_zone_unref);
TOLVANE_GREF_TRAITS(GRegex, g_regex_ref, g_regex_unref);
TOLVANE_GREF_TRAITS(GMainContext, g_main_context_ref, g_main_context_unref);
TOLVANE_GREF_TRAITS(GMainLoop, g_main_loop_ref, g_main_loop_unref);
TOLVANE_GREF_TRAITS(GSource, g_source_ref, g_source_unref);
TOLVANE_GREF_TRAITS(GByteArray, g_byte_array_ref, g_byte_array_unref);
TOLVANE_GREF_TRAITS(GVariant, g_variant_ref_sink, g_variant_unref);
TOLVANE_GREF_TRAITS(GHashTable, g_hash_table_ref, g_hash_table_unref);

#undef TOLVANE_GREF_TRAITS

// GObject-derived types (GFile, GInputStream, JsonParser ...) share one trait.
template <class T>
  requires requires(T* p) { G_OBJECT(p); }
struct GRefTraits<T> {
  static T* ref(T* p) { return static_cast<T*>(g_object_ref(p)); }
  static void unref(T* p) { g_object_unref(p); }
};

template <class T>
class GRef {
 public:
  GRef() noexcept = default;
  GRef(std::nullptr_t) noexcept {}

  // Takes over a reference the caller already owns (a "transfer full" result).
  static GRef adopt(T* pointer) noexcept {
    GRef r;
    r.m_ptr = pointer;
    return r;
  }
  // Adds a reference of its own.
  static GRef share(T* pointer) noexcept {
    GRef r;
    r.m_ptr = pointer != nullptr ? GRefTraits<T>::ref(pointer) : nullptr;
    return r;
  }

  GRef(const GRef& other) noexcept : m_ptr(other.m_ptr != nullptr ? GRefTraits<T>::ref(other.m_ptr) : nullptr) {}
  GRef(GRef&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
  GRef& operator=(const GRef& other) noexcept {
    if (this != &other) {
      GRef copy(other);
      swap(copy);
    }
    return *this;
  }
  GRef& operator=(GRef&& other) noexcept {
    if (this != &other) {
      reset();
      m_ptr = std::exchange(other.m_ptr, nullptr);
    }
    return *this;
  }
  ~GRef() { reset(); }

  void reset() noexcept {
    if (m_ptr != nullptr) {
      GRefTraits<T>::unref(std::exchange(m_ptr, nullptr));
    }
  }
  // Hands the reference over to the caller.
  [[nodiscard]] T* release() noexcept { return std::exchange(m_ptr, nullptr); }
  void swap(GRef& other) noexcept { std::swap(m_ptr, other.m_ptr); }

  T* get() const noexcept { return m_ptr; }
  T* operator->() const noexcept { return m_ptr; }
  explicit operator bool() const noexcept { return m_ptr != nullptr; }
  bool operator==(const GRef& other) const noexcept { return m_ptr == other.m_ptr; }

 private:
  T* m_ptr = nullptr;
};

template <auto FreeFunction>
struct GFreeDeleter {
  template <class T>
  void operator()(T* pointer) const noexcept {
    FreeFunction(pointer);
  }
};

template <class T, auto FreeFunction>
using GPtr = std::unique_ptr<T, GFreeDeleter<FreeFunction>>;

using GCharPtr = GPtr<gchar, g_free>;
using GErrorPtr = GPtr<GError, g_error_free>;
using GMatchInfoPtr = GPtr<GMatchInfo, g_match_info_free>;
using GStrvPtr = GPtr<gchar*, g_strfreev>;
inline void free_gstring(GString* text) { g_string_free(text, TRUE); }
using GStringPtr = GPtr<GString, free_gstring>;
using GDatePtr = GPtr<GDate, g_date_free>;

// GLib text that may be null, as a std::string ("" for null).
inline std::string to_std(const gchar* text) { return text != nullptr ? std::string(text) : std::string(); }
// Takes over a g_malloc'ed text.
inline std::string take_std(gchar* text) {
  GCharPtr owned(text);
  return to_std(owned.get());
}

}  // namespace Tolvane::Core
