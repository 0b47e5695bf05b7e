#include "orvel/transform/transfer_fields.hpp"

#include <algorithm>

#include "orvel/supports/database/sqlite/create_text.hpp"
#include "orvel/supports/database/sqlite/meta_keys.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Orvel::Transform {

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

using Providers::Supports::SqlTokenKind;
using Supports::Database::same_name;

bool is_name(SqlTokenKind kind) { return kind == SqlTokenKind::Word || kind == SqlTokenKind::QuotedName; }

bool mentions_any(std::string_view sql, const std::vector<std::string>& names) {
  for (const auto& token : Providers::Supports::tokenize_sql(sql)) {
    if (!is_name(token.kind)) {
      continue;
    }
    const std::string name = Providers::Supports::unquote_sql(token.text(sql));
    if (std::any_of(names.begin(), names.end(), [&](const std::string& other) { return same_name(name, other); })) {
      return true;
    }
  }
  return false;
}

// `sql` with every name of a renamed column written as its new name.
std::string renamed_in(std::string_view sql, const std::vector<FieldMapping>& renames) {
  if (renames.empty() || sql.empty()) {
    return std::string(sql);
  }
  std::string text;
  for (const auto& token : Providers::Supports::tokenize_sql(sql, true)) {
    const std::string_view piece = token.text(sql);
    const FieldMapping* rename = nullptr;
    if (is_name(token.kind)) {
      const std::string name = Providers::Supports::unquote_sql(piece);
      for (const FieldMapping& entry : renames) {
        if (same_name(name, entry.source)) {
          rename = &entry;
        }
      }
    }
    text += rename != nullptr ? Supports::Database::canonical_name(rename->target) : std::string(piece);
  }
  return text;
}

}  // namespace

std::vector<FieldMapping> parse_fields(std::string_view fields) {
  std::vector<FieldMapping> entries;
  while (!fields.empty()) {
    const auto end = fields.find(';');
    const std::string_view entry = fields.substr(0, end);
    fields = end == std::string_view::npos ? std::string_view() : fields.substr(end + 1);
    const auto equals = entry.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view source = trimmed(entry.substr(0, equals));
    const std::string_view target = trimmed(entry.substr(equals + 1));
    if (!source.empty() && !target.empty()) {
      entries.push_back(FieldMapping{std::string(source), std::string(target)});
    }
  }
  return entries;
}

std::vector<std::string> collect_columns_customize(std::string_view fields, bool source_side) {
  std::vector<std::string> names;
  for (FieldMapping& entry : parse_fields(fields)) {
    names.push_back(std::move(source_side ? entry.source : entry.target));
  }
  return names;
}

std::vector<std::string> collect_columns_all(const std::vector<MetaModel::MetaColumnPtr>& columns) {
  std::vector<std::string> names;
  names.reserve(columns.size());
  for (const auto& column : columns) {
    if (column) {
      names.push_back(column->get_name());
    }
  }
  return names;
}

std::vector<FieldMapping> apply_fields(std::vector<MetaModel::MetaColumnPtr>& columns, std::string_view fields) {
  const std::vector<FieldMapping> entries = parse_fields(fields);
  // The entries as the data copy reads them, so both agree on blanks around
  // '=' and on entries that name nothing.
  std::string written;
  for (const FieldMapping& entry : entries) {
    written += entry.source + "=" + entry.target + ";";
  }
  std::erase_if(columns, [&](const MetaModel::MetaColumnPtr& column) {
    return !column || written.find(column->get_name() + "=") == std::string::npos;
  });
  std::vector<FieldMapping> renames;
  for (const FieldMapping& entry : entries) {
    auto found = std::find_if(columns.begin(), columns.end(),
                              [&](const auto& column) { return column->get_name() == entry.source; });
    if (found != columns.end() && entry.source != entry.target) {
      (*found)->set_name(entry.target);
      renames.push_back(entry);
    }
  }
  return renames;
}

std::vector<std::string> trim_to_fields(MetaModel::MetaTable& table, std::string_view fields) {
  std::vector<std::string> before = collect_columns_all(table.get_columns());
  const std::vector<FieldMapping> renames = apply_fields(table.get_columns(), fields);
  std::vector<std::string> kept = collect_columns_all(table.get_columns());
  for (std::string& name : kept) {
    for (const FieldMapping& entry : renames) {
      if (name == entry.target) {
        name = entry.source;
      }
    }
  }
  std::vector<std::string> removed;
  for (const std::string& name : before) {
    if (std::find(kept.begin(), kept.end(), name) == kept.end()) {
      removed.push_back(name);
    }
  }
  std::vector<std::string> left_out;
  std::erase_if(table.get_indexes(), [&](const MetaModel::MetaIndexPtr& index) {
    bool uses = mentions_any(index->get_where(), removed);
    for (const std::string& term : index->get_columns()) {
      uses = uses || mentions_any(term, removed);
    }
    if (uses) {
      left_out.push_back("index " + index->get_name());
      return true;
    }
    for (std::string& term : index->get_columns()) {
      term = renamed_in(term, renames);
    }
    index->set_where(renamed_in(index->get_where(), renames));
    return false;
  });
  const std::string column_key(Supports::Database::MetaKeys::kColumn);
  std::erase_if(table.get_constraints(), [&](const MetaModel::MetaConstraintPtr& constraint) {
    auto& attributes = constraint->get_attributes();
    const auto column = attributes.find(column_key);
    if (auto unique = std::dynamic_pointer_cast<MetaModel::MetaUnique>(constraint)) {
      const std::string columns = unique->get_columns();
      if (mentions_any(columns, removed)) {
        left_out.push_back("constraint " + constraint->get_name());
        return true;
      }
      unique->set_columns(renamed_in(columns, renames));
    } else if (auto check = std::dynamic_pointer_cast<MetaModel::MetaCheck>(constraint)) {
      if (mentions_any(check->get_check(), removed)) {
        left_out.push_back("constraint " + constraint->get_name());
        return true;
      }
      check->set_check(renamed_in(check->get_check(), renames));
    } else if (auto key = std::dynamic_pointer_cast<MetaModel::MetaForeignKey>(constraint)) {
      if (mentions_any(key->get_local_columns(), removed)) {
        left_out.push_back("constraint " + constraint->get_name());
        return true;
      }
      key->set_local_columns(renamed_in(key->get_local_columns(), renames));
    }
    if (column != attributes.end()) {
      if (mentions_any(column->second, removed)) {
        left_out.push_back("constraint " + constraint->get_name());
        return true;
      }
      for (const FieldMapping& entry : renames) {
        if (same_name(column->second, entry.source)) {
          column->second = entry.target;
        }
      }
    }
    return false;
  });
  // Trigger code names columns of other tables too; one that names a column
  // left out or renamed cannot be rewritten safely and is left out.
  std::vector<std::string> changed = removed;
  for (const FieldMapping& entry : renames) {
    changed.push_back(entry.source);
  }
  std::erase_if(table.get_triggers(), [&](const MetaModel::MetaTriggerPtr& trigger) {
    if (mentions_any(trigger->get_columns(), changed) || mentions_any(trigger->get_when(), changed) ||
        mentions_any(trigger->get_body(), changed)) {
      left_out.push_back("trigger " + trigger->get_name());
      return true;
    }
    return false;
  });
  return left_out;
}

}  // namespace Tolvane::Orvel::Transform
