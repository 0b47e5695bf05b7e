#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "orvel/contracts/data/exporter.hpp"
#include "orvel/contracts/database/connection.hpp"

namespace Tolvane::Orvel::MetaModel {
class MetaTable;
}

namespace Tolvane::Orvel::Contracts::Data {

// Completes an import with the count its format defines (rows imported for
// delimited text), or the error that ended it.
using CountCompletion = std::function<void(Core::Result<std::int64_t>)>;

// What reads a format back: into a new table model of text columns (preview)
// or row by row into a database table through a connection.
//
// Imports are asynchronous operations on the caller's main context: each
// row's statement runs on a worker thread and the next row is read once it has
// completed; `done` runs in the caller's thread-default main context.
class ORVEL_API IImporter {
  TOLVANE_INTERFACE(IImporter)

  using ConnectionPtr = std::shared_ptr<Database::IConnection>;
  using MetaTablePtr = std::shared_ptr<MetaModel::MetaTable>;
  using TableModelPtr = Providers::Contracts::TableModelPtr;

  virtual ~IImporter();

  // Imports the file named by the "FILENAME" option.
  virtual void import_from_file(ConnectionPtr connection, MetaTablePtr table, ProgressCallback progress,
                                CountCompletion done) = 0;
  virtual void import_from_text(std::string textbuffer, ConnectionPtr connection, MetaTablePtr table,
                                ProgressCallback progress, CountCompletion done) = 0;
  // At most `max_rows` data rows (0 or less: all) of the "FILENAME" file.
  virtual Core::Result<TableModelPtr> load_from_file(int max_rows) = 0;
  virtual Core::Result<TableModelPtr> load_from_text(const std::string& textbuffer) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Data
