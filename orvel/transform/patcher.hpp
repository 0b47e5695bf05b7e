#pragma once

#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_set_model.hpp"
#include "tessin/contracts/row_model.hpp"
#include "tessin/contracts/table_model.hpp"

namespace Tolvane::Orvel::Transform {

// Compares two metadata trees, or two sets of table data, and makes a patch: a
// new container that holds, for every element present on either side, the
// element itself (not a copy) marked in its `version` with a DataVersion:
// identical 1, delete 2, insert 4, update 8. The diffs write these marks into
// the trees they are given.
//
// Elements are equal when their JSON texts are equal character for character;
// elements of one kind are matched by exact name, the first match winning
// (looked up through a name -> first position map, so a comparison costs time
// in proportion to the sizes of the lists).
//
// Each operation returns the DataVersion as an integer: 1 when the two texts
// are equal (the patch is then null), else 8; 0, after a critical naming the
// missing argument ("source != NULL"), when an argument is missing.
//
// With `compare_names` false the target is compared as if its "database" and
// "schema" members held the source's names (member values only, at every
// level of the tree: a column named like the database stays what it is).
//
// The patcher has no state; one instance serves any number of comparisons from
// any number of threads, as long as no two of them work on the same trees.
class ORVEL_API Patcher {
 public:
  Patcher() = default;

  int diff_meta_database(const MetaModel::MetaDatabasePtr& source, const MetaModel::MetaDatabasePtr& target,
                         bool compare_names, MetaModel::MetaDatabasePtr* patch = nullptr) const;
  // Tables present on both sides are compared with the target as the table
  // diff's source and the source as its target, so the marks inside a table
  // patch run the same way as the schema's own: a column only the source has
  // is "insert", one only the target has "delete", a changed one carries the
  // source's definition. The table patch has the target table's names.
  int diff_meta_schema(const MetaModel::MetaSchemaPtr& source, const MetaModel::MetaSchemaPtr& target,
                       bool compare_names, MetaModel::MetaSchemaPtr* patch = nullptr) const;
  int diff_meta_table(const MetaModel::MetaTablePtr& source, const MetaModel::MetaTablePtr& target,
                      bool compare_names, MetaModel::MetaTablePtr* patch = nullptr) const;
  // These three compare whole texts; their patch is always null.
  int diff_meta_view(const MetaModel::MetaViewPtr& source, const MetaModel::MetaViewPtr& target, bool compare_names,
                     MetaModel::MetaViewPtr* patch = nullptr) const;
  int diff_meta_function(const MetaModel::MetaFunctionPtr& source, const MetaModel::MetaFunctionPtr& target,
                         bool compare_names, MetaModel::MetaFunctionPtr* patch = nullptr) const;
  int diff_meta_event(const MetaModel::MetaEventPtr& source, const MetaModel::MetaEventPtr& target,
                      bool compare_names, MetaModel::MetaEventPtr* patch = nullptr) const;

  // Data is paired by position over the source's tables, rows and values; a
  // position the target lacks has no counterpart and is left out of the patch.
  int diff_data_set(const Providers::Contracts::DataSetModelPtr& source,
                    const Providers::Contracts::DataSetModelPtr& target,
                    Providers::Contracts::DataSetModelPtr* patch = nullptr) const;
  int diff_data_table(const Providers::Contracts::TableModelPtr& source,
                      const Providers::Contracts::TableModelPtr& target,
                      Providers::Contracts::TableModelPtr* patch = nullptr) const;
  // The row patch holds the target's values, each with its mark attached as
  // object data under "VERSION" (a DataVersion).
  int diff_data_row(const Providers::Contracts::RowModelPtr& source, const Providers::Contracts::RowModelPtr& target,
                    Providers::Contracts::RowModelPtr* patch = nullptr) const;
};

}  // namespace Tolvane::Orvel::Transform
