#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaSynonym;
using MetaSynonymPtr = std::shared_ptr<MetaSynonym>;

// Another name for an object.
class ORVEL_API MetaSynonym : public MetaObject {
  TOLVANE_OBJECT(MetaSynonym)

  MetaSynonym() = default;
  static MetaSynonymPtr create() { return std::make_shared<MetaSynonym>(); }
  // Sets `schema` and `name`; `database` stays "".
  static MetaSynonymPtr with_names(OptionalText schema, OptionalText name);

  TOLVANE_META_TEXT(target, "target")

  DBObject character() const override { return DBObject::Synonym; }

 private:
  std::string m_target;
};

}  // namespace Tolvane::Orvel::MetaModel
