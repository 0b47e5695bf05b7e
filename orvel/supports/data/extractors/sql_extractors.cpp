#include "orvel/supports/data/extractors/sql_extractors.hpp"
#include "orvel/supports/database/sql_quote.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

using Database::quoted;

namespace {

// The table name the SQL extractors write; its absence is the caller's error.
bool has_table_name(const BaseExtractor& extractor) {
  TOLVANE_RETURN_VAL_IF_FAIL(extractor.get_options().contains("TABLENAME"), "TABLENAME != NULL", false);
  return true;
}

}  // namespace

const Core::TypeInfo& SqlInsertExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsSqlInsertExtractor",
                                   &BaseExtractor::static_type(), {}, Core::factory_of<SqlInsertExtractor>(), {});
  return info;
}

bool SqlInsertExtractor::has_rows_format() const { return has_table_name(*this); }

Core::Status SqlInsertExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink&) {
  m_template = "INSERT INTO " + quoted(option("TABLENAME"), '`') + "(";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) {
      m_template += ',';
    }
    m_template += quoted(columns[i].name, '`');
  }
  m_template += ") VALUES(";
  return {};
}

void SqlInsertExtractor::append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                    const RowSource::Values& row) {
  out += m_template;
  for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
    if (i > 0) {
      out += ", ";
    }
    out += format_column_value(columns[i].kind, row[i].get());
  }
  out += ");\n";
}

const Core::TypeInfo& SqlUpdateExtractor::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDataExtractorsSqlUpdateExtractor",
                                   &BaseExtractor::static_type(), {}, Core::factory_of<SqlUpdateExtractor>(), {});
  return info;
}

bool SqlUpdateExtractor::has_rows_format() const { return has_table_name(*this); }

Core::Status SqlUpdateExtractor::write_head(const std::vector<ExportColumn>& columns, OutputSink&) {
  m_prefix = "UPDATE " + option("TABLENAME") + " SET ";
  m_names.clear();
  for (const auto& column : columns) {
    m_names.push_back(quoted(column.name, '"'));
  }
  return {};
}

void SqlUpdateExtractor::append_row(std::string& out, const std::vector<ExportColumn>& columns,
                                    const RowSource::Values& row) {
  const std::size_t count = std::min(columns.size(), row.size());
  if (count == 0) {
    return;
  }
  out += m_prefix;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) {
      out += ", ";
    }
    out += m_names[i];
    out += " = ";
    out += format_column_value(columns[i].kind, row[i].get());
  }
  out += " WHERE ";
  out += m_names[0];
  out += " = ";
  out += format_column_value(columns[0].kind, row[0].get());
  out += ";\n";
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
