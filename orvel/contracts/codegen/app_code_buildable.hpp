#pragma once

#include <memory>
#include <string>

#include "orvel/model/meta_object.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::CodeGen {

// Generates application source code for one metadata object. Declared for
// code generators; the library implements it nowhere.
class ORVEL_API IAppCodeBuildable {
  TOLVANE_INTERFACE(IAppCodeBuildable)

  virtual ~IAppCodeBuildable();

  virtual std::string build_app_code(const MetaModel::MetaObjectPtr& meta_object) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::CodeGen
