#pragma once

#include "orvel/supports/data/extractors/base_extractor.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// Writes each row as one INSERT statement on a line of its own:
//   INSERT INTO `t`(`id`,`name`) VALUES(1, 'x');
// with the table named by the "TABLENAME" option. Names are back-quoted with
// inner back-quotes doubled; values are literals of their own class. No rows,
// no file.
class ORVEL_API SqlInsertExtractor final : public BaseExtractor {
  TOLVANE_OBJECT(SqlInsertExtractor)

  SqlInsertExtractor() : BaseExtractor("sql") {}
  static std::shared_ptr<SqlInsertExtractor> create() { return std::make_shared<SqlInsertExtractor>(); }

 protected:
  bool has_rows_format() const override;
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row) override;

 private:
  std::string m_template;  // "INSERT INTO `t`(`a`,`b`) VALUES(" of the export running
};

// Writes each row as one UPDATE statement keyed on the first column:
//   UPDATE t SET "id" = 1, "name" = 'x' WHERE "id" = 1;
// The "TABLENAME" option is written as given (it may carry a schema).
class ORVEL_API SqlUpdateExtractor final : public BaseExtractor {
  TOLVANE_OBJECT(SqlUpdateExtractor)

  SqlUpdateExtractor() : BaseExtractor("sql") {}
  static std::shared_ptr<SqlUpdateExtractor> create() { return std::make_shared<SqlUpdateExtractor>(); }

 protected:
  bool has_rows_format() const override;
  Core::Status write_head(const std::vector<ExportColumn>& columns, OutputSink& sink) override;
  void append_row(std::string& out, const std::vector<ExportColumn>& columns, const RowSource::Values& row) override;

 private:
  // Of the export running:
  std::string m_prefix;              // "UPDATE t SET "
  std::vector<std::string> m_names;  // the double-quoted column names
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
