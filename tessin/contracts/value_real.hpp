#pragma once

#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Providers::Contracts {

// What the four floating-point classes share: the number, its setter that
// notifies on every call, the "%f" text form (six decimals, always a '.').
template <class T>
class ValueRealBase : public ValueObject, public INumeric {
 public:
  explicit ValueRealBase(T value = 0) noexcept : m_itsvalue(value) {}

  T get_itsvalue() const noexcept { return m_itsvalue; }
  void set_itsvalue(T value) {
    m_itsvalue = value;
    notify("itsvalue");
  }

  std::string to_string() const override;
  double to_double() const override { return static_cast<double>(m_itsvalue); }

 protected:
  T m_itsvalue;
};

extern template class TESSIN_API ValueRealBase<float>;
extern template class TESSIN_API ValueRealBase<double>;

#define TOLVANE_VALUE_REAL_CLASS(Class, Type)                                    \
  class TESSIN_API Class final : public ValueRealBase<Type> {                    \
    TOLVANE_OBJECT(Class)                                                        \
    using ValueRealBase<Type>::ValueRealBase;                                    \
    static std::shared_ptr<Class> create(Type value = 0) {                       \
      return std::make_shared<Class>(value);                                     \
    }                                                                            \
    Core::GValueHolder to_value() const override;                                \
    ValueObjectPtr clone() const override { return create(m_itsvalue); }         \
    std::string get_name() const override;                                       \
    DataType get_data_type() const override;                                     \
  }

TOLVANE_VALUE_REAL_CLASS(ValueFloat, float);
TOLVANE_VALUE_REAL_CLASS(ValueDouble, double);
TOLVANE_VALUE_REAL_CLASS(ValueMoney, double);
TOLVANE_VALUE_REAL_CLASS(ValueDecimal, double);

#undef TOLVANE_VALUE_REAL_CLASS

}  // namespace Tolvane::Providers::Contracts
