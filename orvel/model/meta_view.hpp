#pragma once

#include <vector>

#include "orvel/model/meta_column.hpp"
#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaView;
class Materialized;
using MetaViewPtr = std::shared_ptr<MetaView>;
using MaterializedPtr = std::shared_ptr<Materialized>;

// A view: its SELECT text and the columns derived from that text's select list.
class ORVEL_API MetaView : public MetaObject {
  TOLVANE_OBJECT(MetaView)

  MetaView() = default;
  static MetaViewPtr create() { return std::make_shared<MetaView>(); }
  static MetaViewPtr with_names(OptionalText database, OptionalText schema, OptionalText name);

  const std::string& get_definition() const noexcept { return m_definition; }
  // Stores the text, always notifies "definition" and derives `columns` from the
  // select list. A text whose select list is not recognised keeps the columns
  // as they were.
  void set_definition(std::string definition);

  // Derived, read-only as a property; the list is live for callers.
  const std::vector<MetaColumnPtr>& get_columns() const noexcept { return m_columns; }
  std::vector<MetaColumnPtr>& get_columns() noexcept { return m_columns; }

  DBObject character() const override { return DBObject::View; }
  // The copy has no columns until its definition is set again.
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;

 private:
  void derive_columns();

  std::string m_definition;
  std::vector<MetaColumnPtr> m_columns;
};

// A materialized view.
class ORVEL_API Materialized : public MetaView {
  TOLVANE_OBJECT(Materialized)

  Materialized() = default;
  static MaterializedPtr create() { return std::make_shared<Materialized>(); }
  static MaterializedPtr with_names(OptionalText database, OptionalText schema, OptionalText name);

  TOLVANE_META_TEXT(table_space, "table-space")
  TOLVANE_META_TEXT(definer, "definer")
  TOLVANE_META_TEXT(fill_factor, "fill-factor")
  TOLVANE_META_VALUE(bool, with_data, "with-data")

 private:
  std::string m_table_space;
  std::string m_definer;
  std::string m_fill_factor;
  bool m_with_data = true;
};

}  // namespace Tolvane::Orvel::MetaModel
