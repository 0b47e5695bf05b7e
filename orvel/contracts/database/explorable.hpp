#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/db_object.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Lists the objects of one kind in a schema as a result table ready for
// display: databases, schemas, tables, views, indexes, triggers.
class ORVEL_API IExplorable {
  TOLVANE_INTERFACE(IExplorable)

  virtual ~IExplorable();

  // `database` and `extra_data` are required but not read; an empty `schema`
  // means "main". A kind without a listing gives an empty table; a failing
  // query passes its error on. A missing argument is a programming error
  // ("database != NULL", "schema != NULL", "extra_data != NULL") and gives null.
  virtual Core::Result<Providers::Contracts::TableModelPtr> load_objects(std::optional<std::string_view> database,
                                                                        std::optional<std::string_view> schema,
                                                                        Providers::Contracts::DBObject type,
                                                                        const Core::ObjectPtr& extra_data) = 0;
};

using IExplorablePtr = std::shared_ptr<IExplorable>;

}  // namespace Tolvane::Orvel::Contracts::Database
