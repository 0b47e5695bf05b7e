#pragma once

#include <memory>
#include <string>

#include "orvel/contracts/data/configuration.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::MetaModel {
class MetaDatabase;
}

namespace Tolvane::Orvel::Contracts::Data {

// What writes a readable description of a database's structure: a title
// block, an index of its tables and views, and a section for each. The
// metadata tree is filled by the caller beforehand (the adapter does it);
// producers only read it.
class ORVEL_API IDocument {
  TOLVANE_INTERFACE(IDocument)

  virtual ~IDocument();

  // Writes the document of `meta_database` to `filename` (UTF-8, no
  // byte-order mark). The file is replaced only when the whole document was
  // written; the first failure is returned (GIO's domain for file errors) and
  // leaves an earlier file as it was. A null database is a programming
  // error: a critical "meta_database != NULL", and nothing is written.
  virtual Core::Status produce(const std::shared_ptr<MetaModel::MetaDatabase>& meta_database,
                               const std::string& filename, const Configuration& cfg) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Data
