#pragma once

#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Providers::Contracts {

// Marks the outcomes of an execution: a table of rows, a count, a failure.
class TESSIN_API IResult {
  TOLVANE_INTERFACE(IResult)
  virtual ~IResult();
};

}  // namespace Tolvane::Providers::Contracts
