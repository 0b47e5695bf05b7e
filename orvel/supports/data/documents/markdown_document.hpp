#pragma once

#include "orvel/supports/data/documents/document.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

// The documentation of a database in Markdown, for reading on a code-hosting
// site: the title, the database's name, data version and description, an
// index table of every table and view linked to its section, and per section
// a table of its columns, followed (after a blank line) by tables of the
// indexes, foreign keys and triggers of a table or the definition of a view
// where there are any.
//
// Texts from the database are escaped for table cells: a "|" or a line break
// stays in its cell, so every table keeps its column count, and markup shows
// as text. A missing comment is an empty cell.
class ORVEL_API MarkdownDocument final : public Document {
  TOLVANE_OBJECT(MarkdownDocument)

  static std::shared_ptr<MarkdownDocument> create() { return std::make_shared<MarkdownDocument>(); }

  std::string render(const MetaModel::MetaDatabase& database, const Configuration& cfg) const override;
};

}  // namespace Tolvane::Orvel::Supports::Data::Documents
