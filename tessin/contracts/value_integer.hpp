#pragma once

#include <cstdint>

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// What the eight integer classes share: the number, its setter that notifies on
// every call, the decimal text form and the numeric interfaces.
template <class T>
class ValueIntegerBase : public ValueObject, public IInteger {
 public:
  explicit ValueIntegerBase(T value = 0) noexcept : m_itsvalue(value) {}

  T get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(T value) {
    m_itsvalue = value;
    notify("itsvalue");
  }

  std::string to_string() const override;
  std::int64_t to_integer() const override {
    if constexpr (std::is_same_v<T, std::uint64_t>) {
      return m_itsvalue > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(m_itsvalue);
    } else {
      return static_cast<std::int64_t>(m_itsvalue);
    }
  }

 protected:
  T m_itsvalue;
};

template <class T>
class ValueUnsignedBase : public ValueIntegerBase<T>, public IUnsigned {
 public:
  using ValueIntegerBase<T>::ValueIntegerBase;
  std::uint64_t to_unsigned() const override { return this->m_itsvalue; }
};

extern template class TESSIN_API ValueIntegerBase<std::int8_t>;
extern template class TESSIN_API ValueIntegerBase<std::int16_t>;
extern template class TESSIN_API ValueIntegerBase<std::int32_t>;
extern template class TESSIN_API ValueIntegerBase<std::int64_t>;
extern template class TESSIN_API ValueIntegerBase<std::uint8_t>;
extern template class TESSIN_API ValueIntegerBase<std::uint16_t>;
extern template class TESSIN_API ValueIntegerBase<std::uint32_t>;
extern template class TESSIN_API ValueIntegerBase<std::uint64_t>;

// One concrete integer class: its factory, its typed accessor (get_int8 ...) and
// what tells it apart (GLib form, short name, data type).
#define TOLVANE_VALUE_INTEGER_CLASS(Class, Base, Type, accessor)                        \
  class TESSIN_API Class final : public Base<Type> {                                    \
    TOLVANE_OBJECT(Class)                                                               \
    using Base<Type>::Base;                                                             \
    static std::shared_ptr<Class> create(Type value = 0) {                              \
      return std::make_shared<Class>(value);                                            \
    }                                                                                   \
    Type accessor() const noexcept { return m_itsvalue; }                               \
    Core::GValueHolder to_value() const override;                                       \
    ValueObjectPtr clone() const override { return create(m_itsvalue); }                \
    std::string get_name() const override;                                              \
    DataType get_data_type() const override;                                            \
  }

TOLVANE_VALUE_INTEGER_CLASS(ValueInt8, ValueIntegerBase, std::int8_t, get_int8);
TOLVANE_VALUE_INTEGER_CLASS(ValueInt16, ValueIntegerBase, std::int16_t, get_int16);
TOLVANE_VALUE_INTEGER_CLASS(ValueInt32, ValueIntegerBase, std::int32_t, get_int32);
TOLVANE_VALUE_INTEGER_CLASS(ValueInt64, ValueIntegerBase, std::int64_t, get_int64);
TOLVANE_VALUE_INTEGER_CLASS(ValueUInt8, ValueUnsignedBase, std::uint8_t, get_uint8);
TOLVANE_VALUE_INTEGER_CLASS(ValueUInt16, ValueUnsignedBase, std::uint16_t, get_uint16);
TOLVANE_VALUE_INTEGER_CLASS(ValueUInt32, ValueUnsignedBase, std::uint32_t, get_uint32);
TOLVANE_VALUE_INTEGER_CLASS(ValueUInt64, ValueUnsignedBase, std::uint64_t, get_uint64);

#undef TOLVANE_VALUE_INTEGER_CLASS

}  // namespace Tolvane::Providers::Contracts
