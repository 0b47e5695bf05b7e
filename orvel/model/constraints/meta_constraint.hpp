#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaConstraint;
using MetaConstraintPtr = std::shared_ptr<MetaConstraint>;

// A table constraint; the base of checks, unique keys, foreign keys and
// exclusions. Inside a table's JSON each constraint names its class, so a table
// read back gets constraints of the right classes.
class ORVEL_API MetaConstraint : public MetaObject {
  TOLVANE_OBJECT(MetaConstraint)

  MetaConstraint() = default;
  static MetaConstraintPtr create() { return std::make_shared<MetaConstraint>(); }
  static MetaConstraintPtr with_names(OptionalText name);

  DBObject character() const override { return DBObject::Contraint; }

  // The JSON form inside a table: the node's members and "class" with the
  // registered name of its class.
  Core::Json::ObjectRef to_classed_json_object() const;
  // A constraint of the class named by the "class" member, filled from the
  // other members; null when the name is missing or names no constraint class.
  static MetaConstraintPtr from_classed_json_object(JsonObject* json);
};

}  // namespace Tolvane::Orvel::MetaModel
