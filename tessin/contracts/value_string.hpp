#pragma once

#include <functional>

#include "tessin/contracts/value_object.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Providers::Contracts {

using FileCallback = std::function<void(Core::Status)>;

// UTF-8 text. ValueXml, ValueJson and ValueUuid are texts of a particular kind.
class TESSIN_API ValueString : public ValueObject {
  TOLVANE_OBJECT(ValueString)

  explicit ValueString(std::string text = {}) : m_itsvalue(std::move(text)) {}
  static std::shared_ptr<ValueString> create(std::string text = {}) {
    return std::make_shared<ValueString>(std::move(text));
  }

  const std::string& get_itsvalue() const noexcept { return m_itsvalue; }
  // Notifies on every call, changed or not.
  void set_itsvalue(std::string text);

  Core::GValueHolder to_value() const override;
  std::string to_string() const override { return m_itsvalue; }
  ValueObjectPtr clone() const override;
  std::string get_name() const override;
  DataType get_data_type() const override;

  // Reads the file's lines (each ended by a line feed) into the value on a
  // worker thread; a missing file leaves the value as it is. `callback` runs in
  // the caller's thread-default main context. The value must be owned by a
  // shared pointer.
  void load(const std::string& filename, FileCallback callback);
  // Replaces the file with the text.
  void save(const std::string& filename, FileCallback callback);

 protected:
  std::string m_itsvalue;
};

#define TOLVANE_VALUE_TEXT_CLASS(Class)                                                  \
  class TESSIN_API Class final : public ValueString {                                    \
    TOLVANE_OBJECT(Class)                                                                \
    explicit Class(std::string text) : ValueString(std::move(text)) {}                   \
    static std::shared_ptr<Class> create(std::string text) {                             \
      return std::make_shared<Class>(std::move(text));                                   \
    }                                                                                    \
    ValueObjectPtr clone() const override { return create(m_itsvalue); }                 \
    std::string get_name() const override;                                               \
    DataType get_data_type() const override;                                             \
  }

TOLVANE_VALUE_TEXT_CLASS(ValueXml);
TOLVANE_VALUE_TEXT_CLASS(ValueJson);

#undef TOLVANE_VALUE_TEXT_CLASS

class TESSIN_API ValueUuid final : public ValueString {
  TOLVANE_OBJECT(ValueUuid)

  explicit ValueUuid(std::string text) : ValueString(std::move(text)) {}
  // A new random version-4 UUID, lower case, 36 characters.
  static std::shared_ptr<ValueUuid> create();
  static std::shared_ptr<ValueUuid> uuid(std::string text) { return std::make_shared<ValueUuid>(std::move(text)); }

  ValueObjectPtr clone() const override { return uuid(m_itsvalue); }
  std::string get_name() const override;
  DataType get_data_type() const override;
};

}  // namespace Tolvane::Providers::Contracts
