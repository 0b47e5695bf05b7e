#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Transform {

// One entry of a transfer's FIELDS option: a source column and the name it
// gets in the target.
struct FieldMapping {
  std::string source;
  std::string target;
};

// The entries of a FIELDS text ("id=key;name=label"), blanks around names
// trimmed. An entry without '=' or with an empty side names no column pair
// and is left out, as are empty entries (a trailing ';').
ORVEL_API std::vector<FieldMapping> parse_fields(std::string_view fields);

// The names on one side of the FIELDS entries, in entry order: the source
// columns to read (`source_side` true) or the target columns to write.
ORVEL_API std::vector<std::string> collect_columns_customize(std::string_view fields, bool source_side);

// The names of `columns` in order.
ORVEL_API std::vector<std::string> collect_columns_all(const std::vector<MetaModel::MetaColumnPtr>& columns);

// Trims a column list to a FIELDS selection the way the transfer's structure
// step does: a column stays when its name followed by '=' occurs anywhere in
// the FIELDS text (a plain substring test, so "xid=" keeps a column "id"),
// then each entry gives the first column of its source name its target name.
// Returns the renames made, old name first.
ORVEL_API std::vector<FieldMapping> apply_fields(std::vector<MetaModel::MetaColumnPtr>& columns,
                                                 std::string_view fields);

// `apply_fields` on a table's columns, with the table's own parts made to
// fit: indexes, constraints and triggers that use a column left out are left
// out with it (they could not be created), and the others name renamed
// columns by their new names. Returns the names of the parts left out.
ORVEL_API std::vector<std::string> trim_to_fields(MetaModel::MetaTable& table, std::string_view fields);

}  // namespace Tolvane::Orvel::Transform
