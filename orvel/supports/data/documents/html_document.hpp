#pragma once

#include "orvel/supports/data/documents/document.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

// The documentation of a database as one self-contained HTML page (its style
// sheet inline, no script, no outside resource): a title block, an index of
// every table and view linked to its section, and per section the columns
// (number, name, type, length, scale, null, primary key, default, comment),
// then the indexes, foreign keys and triggers of a table or the definition
// of a view where there are any, and an optional footer link.
//
// Every text from the database or the configuration is escaped as HTML text
// or attribute value, so names, defaults or comments holding markup show as
// text. Links name their target's id percent-encoded; plain names ("main.t")
// are written as they are.
class ORVEL_API HtmlDocument final : public Document {
  TOLVANE_OBJECT(HtmlDocument)

  static std::shared_ptr<HtmlDocument> create() { return std::make_shared<HtmlDocument>(); }

  std::string render(const MetaModel::MetaDatabase& database, const Configuration& cfg) const override;
};

}  // namespace Tolvane::Orvel::Supports::Data::Documents
