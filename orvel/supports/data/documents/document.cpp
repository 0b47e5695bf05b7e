#include "orvel/supports/data/documents/document.hpp"

#include "orvel/model/constraints/meta_foreign_key.hpp"
#include "orvel/model/meta_index.hpp"
#include "orvel/model/meta_trigger.hpp"
#include "tessin/core/atomic_file.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

const MetaModel::MetaObject& DocumentEntry::object() const {
  return table != nullptr ? static_cast<const MetaModel::MetaObject&>(*table) : *view;
}

const std::vector<MetaModel::MetaColumnPtr>& DocumentEntry::columns() const {
  return table != nullptr ? table->get_columns() : view->get_columns();
}

std::string DocumentEntry::id() const { return schema->get_name() + "." + object().get_name(); }

const Core::TypeInfo& Document::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataDocumentsDocument", &Core::Object::static_type(),
                                   {&Contracts::Data::IDocument::static_type()}, nullptr, {});
  return info;
}

Core::Status Document::produce(const MetaModel::MetaDatabasePtr& meta_database, const std::string& filename,
                               const Configuration& cfg) {
  TOLVANE_RETURN_VAL_IF_FAIL(meta_database != nullptr, "meta_database != NULL",
                             Core::fail("default", -1, "meta_database != NULL"));
  return Core::write_file_atomically(filename, render(*meta_database, cfg));
}

std::vector<DocumentEntry> Document::entries(const MetaModel::MetaDatabase& database) {
  std::vector<DocumentEntry> entries;
  for (const auto& schema : database.get_schemas()) {
    if (schema == nullptr) {
      continue;
    }
    for (const auto& table : schema->get_tables()) {
      if (table != nullptr) {
        entries.push_back({static_cast<int>(entries.size()) + 1, schema.get(), table.get(), nullptr});
      }
    }
    for (const auto& view : schema->get_views()) {
      if (view != nullptr) {
        entries.push_back({static_cast<int>(entries.size()) + 1, schema.get(), nullptr, view.get()});
      }
    }
  }
  return entries;
}

std::array<std::string, 9> Document::column_values(const MetaModel::MetaColumn& column) {
  return {std::to_string(column.get_ordinal()),
          column.get_name(),
          column.get_raw_type(),
          std::to_string(column.get_length()),
          std::to_string(static_cast<unsigned>(column.get_scale())),
          column.get_not_null() ? Core::_("No") : Core::_("Yes"),
          column.get_is_primary_key() ? Core::_("Yes") : "",
          column.get_default_value(),
          column.get_comment()};
}

namespace {

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) {
    text += (text.empty() ? "" : ", ") + item;
  }
  return text;
}

}  // namespace

std::vector<DocumentTable> Document::extra_tables(const DocumentEntry& entry) {
  std::vector<DocumentTable> tables;
  if (entry.view != nullptr) {
    if (!entry.view->get_definition().empty()) {
      tables.push_back({Core::_("Definition:"), {Core::_("SQL")}, {{entry.view->get_definition()}}});
    }
    return tables;
  }
  const MetaModel::MetaTable& table = *entry.table;
  DocumentTable indexes{Core::_("Indexes:"), {Core::_("Name"), Core::_("Columns"), Core::_("Unique"),
                                              Core::_("Condition")}, {}};
  for (const auto& index : table.get_indexes()) {
    indexes.rows.push_back({index->get_name(), joined(index->get_columns()),
                            index->get_kind() == "UNIQUE" ? Core::_("Yes") : "", index->get_where()});
  }
  DocumentTable keys{Core::_("Foreign keys:"),
                     {Core::_("Name"), Core::_("Columns"), Core::_("References"), Core::_("On update"),
                      Core::_("On delete")},
                     {}};
  for (const auto& constraint : table.get_constraints()) {
    const auto* key = dynamic_cast<const MetaModel::MetaForeignKey*>(constraint.get());
    if (key == nullptr) {
      continue;
    }
    std::string target = key->get_refer_table();
    if (!key->get_refer_columns().empty()) {
      target += "(" + key->get_refer_columns() + ")";
    }
    keys.rows.push_back(
        {key->get_name(), key->get_local_columns(), target, key->get_update_action(), key->get_delete_action()});
  }
  DocumentTable triggers{Core::_("Triggers:"), {Core::_("Name"), Core::_("Timing"), Core::_("Event"),
                                                Core::_("Body")}, {}};
  for (const auto& trigger : table.get_triggers()) {
    std::string event = trigger->get_event();
    if (!trigger->get_columns().empty()) {
      event += " OF " + trigger->get_columns();
    }
    triggers.rows.push_back({trigger->get_name(), trigger->get_timing(), event, trigger->get_body()});
  }
  for (DocumentTable* extra : {&indexes, &keys, &triggers}) {
    if (!extra->rows.empty()) {
      tables.push_back(std::move(*extra));
    }
  }
  return tables;
}

std::string Document::fill(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto arg = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 's' || format[i + 1] == 'd') &&
        arg != args.end()) {
      out += *arg++;
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Data::Documents
