#pragma once

#include <vector>

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaFunction;
using MetaFunctionPtr = std::shared_ptr<MetaFunction>;

// A stored routine: a function when `is-function` is set, else a procedure.
class ORVEL_API MetaFunction : public MetaObject {
  TOLVANE_OBJECT(MetaFunction)

  MetaFunction() = default;
  static MetaFunctionPtr create() { return std::make_shared<MetaFunction>(); }
  static MetaFunctionPtr with_names(OptionalText database, OptionalText schema, OptionalText name);

  TOLVANE_META_VALUE(bool, is_function, "is-function")
  TOLVANE_META_TEXT(return_type, "return-type")
  TOLVANE_META_TEXT(body, "body")
  // Live: callers may add and remove entries.
  const std::vector<std::string>& get_parameters() const noexcept { return m_parameters; }
  std::vector<std::string>& get_parameters() noexcept { return m_parameters; }
  void set_parameters(std::vector<std::string> parameters) {
    assign(m_parameters, std::move(parameters), "parameters");
  }

  DBObject character() const override { return m_is_function ? DBObject::Function : DBObject::Procedure; }
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  bool m_is_function = false;
  std::string m_return_type;
  std::string m_body;
  std::vector<std::string> m_parameters;
};

}  // namespace Tolvane::Orvel::MetaModel
