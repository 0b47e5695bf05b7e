#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tessin/contracts/values.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {

// A model of the columns (name and kind) holding `rows`.
inline Providers::Contracts::TableModelPtr typed_model(
    const std::vector<std::pair<std::string, Providers::Contracts::DataType>>& columns,
    const std::vector<std::vector<Providers::Contracts::ValueObjectPtr>>& rows) {
  using namespace Providers::Contracts;
  auto model = TableModel::create();
  for (const auto& [name, kind] : columns) {
    model->get_columns().push_back(ColumnModel::full(name, kind));
  }
  for (const auto& values : rows) {
    auto row = RowModel::create();
    row->get_values() = values;
    model->get_rows().push_back(row);
  }
  return model;
}

// A model of the named columns, each of `kind`, holding `rows`.
inline Providers::Contracts::TableModelPtr model_of(
    const std::vector<std::string>& names, const std::vector<std::vector<Providers::Contracts::ValueObjectPtr>>& rows,
    Providers::Contracts::DataType kind = Providers::Contracts::DataType::String) {
  std::vector<std::pair<std::string, Providers::Contracts::DataType>> columns;
  for (const auto& name : names) {
    columns.emplace_back(name, kind);
  }
  return typed_model(columns, rows);
}

inline Providers::Contracts::ValueObjectPtr text(std::string value) {
  return Providers::Contracts::ValueString::create(std::move(value));
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
