#pragma once

// One setting of a settings group: the typed getter, the setter that stores a
// real change and notifies under the setting's JSON key, and the member with
// its initial value. Leaves the access at `public:`.
#define TOLVANE_SETTING(Type, name, key, initial)                                 \
 public:                                                                          \
  const Type& get_##name() const noexcept { return m_##name; }                    \
  void set_##name(Type value) { assign(m_##name, std::move(value), key); }        \
                                                                                  \
 private:                                                                         \
  Type m_##name = initial;                                                        \
                                                                                  \
 public:
