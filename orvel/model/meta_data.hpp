#pragma once

#include <memory>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaObject;
using MetaObjectPtr = std::shared_ptr<MetaObject>;

// What every node of the metadata tree offers to generic code: a deep copy and
// a return to the unfilled state.
class ORVEL_API IMetaData {
  TOLVANE_INTERFACE(IMetaData)

  virtual ~IMetaData();

  virtual MetaObjectPtr clone() const = 0;
  virtual void reset() = 0;

 protected:
  IMetaData() = default;
  IMetaData(const IMetaData&) = default;
  IMetaData& operator=(const IMetaData&) = default;
};

}  // namespace Tolvane::Orvel::MetaModel
