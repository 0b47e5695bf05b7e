#pragma once

#include <string>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_set_model.hpp"
#include "tessin/contracts/row_model.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/contracts/value_object.hpp"

namespace Tolvane::Orvel::Transform {

// A deterministic JSON text of result models, for comparing data: equal models
// give equal texts. A value is written over its class's properties with
// json-glib's default rules, after "class" with its registered type name (so
// an integer 1 and a text "1" differ); bytes, which the default rules leave
// out, are written as upper-case hexadecimal under their property's name. A
// row is the array of its values (null for a missing one), a table the object
// of its column names and rows, a data set the array of its tables.
ORVEL_API std::string value_json(const Providers::Contracts::ValueObject& value);
ORVEL_API std::string row_json(const Providers::Contracts::RowModel& row);
ORVEL_API std::string table_json(const Providers::Contracts::TableModel& table);
ORVEL_API std::string data_set_json(const Providers::Contracts::DataSetModel& data_set);

}  // namespace Tolvane::Orvel::Transform
