#include "orvel/supports/data/documents/html_document.hpp"

#include "orvel/supports/data/documents/markup.hpp"
#include "tessin/core/i18n.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

namespace {

struct StyleRule {
  std::initializer_list<std::string_view> selectors;
  std::initializer_list<std::string_view> declarations;
};

// The page's style sheet, laid out as readers of these pages know it: a rule's
// selectors indented by eight blanks, one per line, its declarations by twelve,
// the last without ';', a blank line between rules.
void append_style(std::string& out) {
  static const StyleRule kRules[] = {
      {{"body"}, {"padding-bottom: 50px"}},
      {{"body,", "td"}, {"font-family: verdana, fantasy", "font-size: 12px", "line-height: 150%"}},
      {{"table"}, {"width: 100%", "background-color: #ccc", "margin: 5px 0"}},
      {{"td"}, {"background-color: #fff", "padding: 3px 3px 3px 10px"}},
      {{"thead td"}, {"text-align: center", "font-weight: bold", "background-color: #eee"}},
      {{"a:link,", "a:visited,", "a:active"}, {"color: #015fb6", "text-decoration: none"}},
      {{"a:hover"}, {"color: #e33e06"}},
  };
  out += "<style type='text/css'>\n";
  bool first_rule = true;
  for (const StyleRule& rule : kRules) {
    if (!first_rule) {
      out += '\n';
    }
    first_rule = false;
    std::size_t selector = 0;
    for (std::string_view name : rule.selectors) {
      out += "        ";
      out += name;
      out += ++selector == rule.selectors.size() ? " {\n" : "\n";
    }
    std::size_t declaration = 0;
    for (std::string_view text : rule.declarations) {
      out += "            ";
      out += text;
      out += ++declaration == rule.declarations.size() ? "\n" : ";\n";
    }
    out += "        }\n";
  }
  out += "    </style>";
}

// href='#...' of a section's id.
std::string link_to(std::string_view id) { return html(fragment(id)); }

void append_extra(std::string& out, const DocumentTable& table) {
  out += "<div>";
  append_html(out, table.title);
  out += "</div><table cellspacing='1'><thead><tr>";
  for (const auto& heading : table.headings) {
    out += "<td>";
    append_html(out, heading);
    out += "</td>";
  }
  out += "</tr></thead>";
  for (const auto& row : table.rows) {
    out += "<tr>";
    for (const auto& cell : row) {
      // Definitions and trigger bodies keep their lines.
      out += "<td style='white-space:pre-wrap;'>";
      append_html(out, cell);
      out += "</td>";
    }
    out += "</tr>";
  }
  out += "</table>";
}

void append_section(std::string& out, const DocumentEntry& entry) {
  const std::string schema = html(entry.schema->get_name());
  const std::string name = html(entry.object().get_name());
  out += "<div style='margin-top:30px;'><a id='" + html(entry.id()) + "'></a>";
  out += Core::_("<a href='#index' style='float:right; margin-top:6px;'>Content</a>");
  out += Document::fill(Core::_("<h3>Table: %s.%s</h3></div>"), {schema, name});
  out += Document::fill(Core::_("<div>Description: %s</div>"), {html(entry.object().get_comment())});
  out += Core::_("<div>Columns:</div>");
  out += "<table cellspacing='1'><thead><tr><td style='width:40px;'>";
  out += Core::_(
      "No</td><td>Name</td><td>Type</td><td> Length </td><td>Scale</td><td>Null</td><td>Primary key</td>"
      "<td>Default</td><td>Description</td>");
  out += "</tr></thead>";
  for (const auto& column : entry.columns()) {
    const auto values = Document::column_values(*column);
    out += "<tr><td style='text-align:center;'>";
    out += values[0];
    out += "</td>";
    for (std::size_t i = 1; i < values.size(); ++i) {
      out += "<td>";
      append_html(out, values[i]);
      out += "</td>";
    }
    out += "</tr>";
  }
  out += "</table>";
  for (const auto& extra : Document::extra_tables(entry)) {
    append_extra(out, extra);
  }
}

}  // namespace

const Core::TypeInfo& HtmlDocument::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataDocumentsHtmlDocument", &Document::static_type(), {},
                                   Core::factory_of<HtmlDocument>(), {});
  return info;
}

std::string HtmlDocument::render(const MetaModel::MetaDatabase& database, const Configuration& cfg) const {
  const std::string title = html(cfg.title);
  std::string out;
  out += "<!DOCTYPE html><html lang=\"en\"><head>";
  out += "<meta charset=\"utf-8\">\n<meta content=\"IE=edge\" http-equiv=\"X-UA-Compatible\">\n";
  out += "<title>" + title + "</title>";
  append_style(out);
  out += "</head><body style='text-align:center;'>\n";
  out += "<div style='width:800px; margin:20px auto; text-align:left;'><a name='index'></a>\n";
  out += "<h2 style='text-align:center; line-height:50px;'>" + title + "</h2>";
  out += fill(Core::_("<div><b>Database: </b>%s<br>"), {html(database.get_database())});
  out += fill(Core::_("<b>Data version: </b>%s<br/>"), {html(cfg.data_version)});
  out += fill(Core::_("<b>Description: </b>%s</div>\n"), {html(cfg.description)});
  out += "<table cellspacing='1'><thead><tr><td style='width:40px;'>";
  out += Core::_("No</td><td>Name</td><td>Type</td><td>Description</td>");
  out += "</tr></thead>";
  const auto entries = Document::entries(database);
  for (const auto& entry : entries) {
    out += fill("<tr><td style='text-align:center;'>%d</td><td><a href='#%s'>%s.%s</a></td><td>%s</td><td>%s</td></tr>",
                {std::to_string(entry.number), link_to(entry.id()), html(entry.schema->get_name()),
                 html(entry.object().get_name()), entry.view != nullptr ? Core::_("Data view") : Core::_("Data table"),
                 html(entry.object().get_comment())});
  }
  out += "</table>";
  for (const auto& entry : entries) {
    out += "<br/><br/>";
    append_section(out, entry);
  }
  out += "</div>";
  if (!cfg.footer_text.empty()) {
    out += "<footer><div><a href=\"" + html(cfg.footer_link) + "\">" + html(cfg.footer_text) + "</a></div></footer>";
  }
  out += "</body></html>";
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Data::Documents
