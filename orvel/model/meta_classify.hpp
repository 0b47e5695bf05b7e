#pragma once

#include <vector>

#include "orvel/model/meta_object.hpp"
#include "tessin/core/list_model.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaClassify;
using MetaClassifyPtr = std::shared_ptr<MetaClassify>;
using MetaObjectStore = Core::ListStore<MetaObject>;

// A grouping node for front ends, such as the folder of tables under a schema:
// a label, the kind of object it groups and, possibly, a list of the grouped
// nodes.
class ORVEL_API MetaClassify : public MetaObject {
  TOLVANE_OBJECT(MetaClassify)

  MetaClassify() = default;
  explicit MetaClassify(DBObject character) : m_character(character) {}
  static MetaClassifyPtr create() { return std::make_shared<MetaClassify>(); }

  // `name` is the label; `children` stays null.
  static MetaClassifyPtr create(DBObject character, OptionalText database, OptionalText schema, OptionalText label);
  static MetaClassifyPtr with_model(DBObject character, OptionalText database, OptionalText schema,
                                    OptionalText label, std::shared_ptr<Core::IListModel> list_model);
  // `children` becomes a new list store holding `items` in order.
  static MetaClassifyPtr with_array(DBObject character, OptionalText database, OptionalText schema,
                                    OptionalText label, std::vector<MetaObjectPtr> items);

  const std::shared_ptr<Core::IListModel>& get_children() const noexcept { return m_children; }
  void set_children(std::shared_ptr<Core::IListModel> children) { assign(m_children, std::move(children), "children"); }

  // The grouping kind given at construction.
  DBObject character() const override { return m_character; }

  // The copy groups the same kind; its `children` is null, since the grouped
  // nodes are not its own.
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  DBObject m_character = DBObject::Unknown;
  std::shared_ptr<Core::IListModel> m_children;
};

}  // namespace Tolvane::Orvel::MetaModel

extern template class ORVEL_API Tolvane::Core::ListStore<Tolvane::Orvel::MetaModel::MetaObject>;
