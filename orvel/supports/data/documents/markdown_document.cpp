#include "orvel/supports/data/documents/markdown_document.hpp"

#include "orvel/supports/data/documents/markup.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

namespace {

void append_row(std::string& out, const std::vector<std::string>& cells) {
  for (const auto& cell : cells) {
    out += "| ";
    append_markdown(out, cell);
    out += ' ';
  }
  out += "|\n";
}

void append_extra(std::string& out, const DocumentTable& table) {
  // A blank line first: a line right after a table would be read as one more row.
  out += "\n**";
  append_markdown(out, table.title);
  out += "**<br/>\n";
  append_row(out, table.headings);
  for (std::size_t i = 0; i < table.headings.size(); ++i) {
    out += "| :--- ";
  }
  out += "|\n";
  for (const auto& row : table.rows) {
    append_row(out, row);
  }
}

void append_section(std::string& out, const DocumentEntry& entry) {
  const std::string& schema = entry.schema->get_name();
  const std::string& name = entry.object().get_name();
  out += Document::fill(Core::_("## **Table:** <a id='%s.%s'>%s.%s</a>\n"),
                        {html(schema), html(name), markdown(schema), markdown(name)});
  out += Document::fill(Core::_("**Description:** %s<br/>\n"), {markdown(entry.object().get_comment())});
  out += Core::_("**Columns:**<br/>\n");
  out += Core::_("| No | Name | Type |  Length  | Scale | Null | Primary key | Default | Description |\n");
  out += "| :--: | :--- | :------: | :----: | :----: | :------: | :--: | :----: | :--: |\n";
  for (const auto& column : entry.columns()) {
    const auto values = Document::column_values(*column);
    append_row(out, std::vector<std::string>(values.begin(), values.end()));
  }
  for (const auto& extra : Document::extra_tables(entry)) {
    append_extra(out, extra);
  }
}

}  // namespace

const Core::TypeInfo& MarkdownDocument::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataDocumentsMarkdownDocument", &Document::static_type(), {},
                                   Core::factory_of<MarkdownDocument>(), {});
  return info;
}

std::string MarkdownDocument::render(const MetaModel::MetaDatabase& database, const Configuration& cfg) const {
  std::string out = "# " + markdown(cfg.title) + "\n\n";
  out += fill(Core::_("**Database name:** %s<br/>\n"), {markdown(database.get_database())});
  out += fill(Core::_("**Data version:** %s<br/>\n"), {markdown(cfg.data_version)});
  out += fill(Core::_("**Description:** %s\n"), {markdown(cfg.description)});
  out += Core::_("| No        | Table        | Type        | Description        |\n");
  out += "| :-----------: | :----------- | :----------- | :----------- |\n";
  const auto entries = Document::entries(database);
  for (const auto& entry : entries) {
    const std::string link = markdown(entry.schema->get_name()) + "." + markdown(entry.object().get_name());
    out += fill("| %d | [%s](#%s) | %s | %s |\n",
                {std::to_string(entry.number), link, fragment(entry.id()),
                 entry.view != nullptr ? Core::_("Data view") : Core::_("Data table"),
                 markdown(entry.object().get_comment())});
  }
  for (const auto& entry : entries) {
    out += "\n\n";
    append_section(out, entry);
  }
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Data::Documents
