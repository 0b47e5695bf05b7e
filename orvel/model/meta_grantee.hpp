#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

// What roles and users share: the relations they hold and their privileges,
// two text maps written to JSON as objects of strings. Not a node kind of its
// own: MetaRole and MetaUser register MetaObject as their parent.
class ORVEL_API MetaGrantee : public MetaObject {
 public:
  // Live: callers may add and remove entries.
  const TextMap& get_relations() const noexcept { return m_relations; }
  TextMap& get_relations() noexcept { return m_relations; }
  void set_relations(TextMap relations) { assign(m_relations, std::move(relations), "relations"); }
  const TextMap& get_privileges() const noexcept { return m_privileges; }
  TextMap& get_privileges() noexcept { return m_privileges; }
  void set_privileges(TextMap privileges) { assign(m_privileges, std::move(privileges), "privileges"); }

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 protected:
  MetaGrantee() = default;
  // A clone of this node, of class T, with its own copies of both maps.
  template <class T>
  MetaObjectPtr clone_with_grants() const {
    auto copy = std::static_pointer_cast<T>(MetaObject::clone());
    copy->m_relations = m_relations;
    copy->m_privileges = m_privileges;
    return copy;
  }

 private:
  TextMap m_relations;
  TextMap m_privileges;
};

}  // namespace Tolvane::Orvel::MetaModel
