#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/contracts/data/document.hpp"
#include "orvel/model/meta_database.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents {

// One table or view of a document, numbered from 1 across all schemas.
struct ORVEL_API DocumentEntry {
  int number = 0;
  const MetaModel::MetaSchema* schema = nullptr;
  const MetaModel::MetaTable* table = nullptr;  // null for a view
  const MetaModel::MetaView* view = nullptr;    // null for a table

  const MetaModel::MetaObject& object() const;
  const std::vector<MetaModel::MetaColumnPtr>& columns() const;
  // "schema.name", the section's id.
  std::string id() const;
};

// A small table beyond the columns: a section's indexes, foreign keys or
// triggers. Texts are plain; each format escapes them.
struct ORVEL_API DocumentTable {
  std::string title;  // "Indexes:"
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> rows;
};

// What the documentation producers share: the order of the index and the
// sections (per schema, its tables and then its views), the texts of a
// column's row, the extra tables of a section, and writing the rendered
// document to its file whole or not at all. Producers render the document
// as text; `produce` writes it.
//
// Stateless: one producer may serve several threads, each with its own
// metadata tree.
class ORVEL_API Document : public Core::Object, public Contracts::Data::IDocument {
  TOLVANE_OBJECT(Document)

  using Configuration = Contracts::Data::Configuration;

  Core::Status produce(const MetaModel::MetaDatabasePtr& meta_database, const std::string& filename,
                       const Configuration& cfg) override;

  // The whole document.
  virtual std::string render(const MetaModel::MetaDatabase& database, const Configuration& cfg) const = 0;

  static std::vector<DocumentEntry> entries(const MetaModel::MetaDatabase& database);
  // Ordinal, name, declared type, length, scale, "Yes"/"No" for may be null,
  // "Yes"/"" for primary key, default, comment.
  static std::array<std::string, 9> column_values(const MetaModel::MetaColumn& column);
  // A table's indexes, foreign keys and triggers, a view's nothing; each
  // only when there is one at least.
  static std::vector<DocumentTable> extra_tables(const DocumentEntry& entry);
  // `format` (a translated label) with each "%s" or "%d" replaced by the next
  // of `args`, in order. The label is never taken as a printf format.
  static std::string fill(std::string_view format, std::initializer_list<std::string_view> args);
};

}  // namespace Tolvane::Orvel::Supports::Data::Documents
