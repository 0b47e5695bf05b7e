#pragma once

#include <memory>
#include <string>

#include "orvel/model/meta_object.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::CodeGen {

// Generates SQL statements for one metadata object. Declared for code
// generators; the library implements it nowhere.
class ORVEL_API ISqlCodeBuildable {
  TOLVANE_INTERFACE(ISqlCodeBuildable)

  virtual ~ISqlCodeBuildable();

  virtual std::string build_table(const MetaModel::MetaObjectPtr& meta_object) = 0;
  virtual std::string build_select(const MetaModel::MetaObjectPtr& meta_object) = 0;
  virtual std::string build_update(const MetaModel::MetaObjectPtr& meta_object) = 0;
  virtual std::string build_delete(const MetaModel::MetaObjectPtr& meta_object) = 0;
  virtual std::string build_insert(const MetaModel::MetaObjectPtr& meta_object) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::CodeGen
