#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "orvel/orvel_api.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Data {

// Extractor options: upper-case text keys ("TABLENAME", "ACTION", ...) to text
// values ("true" for yes).
using Options = std::map<std::string, std::string, std::less<>>;

// Called once per exported row with the number of rows of the model (0 when
// the rows come from a reader and their number is not known), the 1-based row
// number and the text produced for the row.
using ProgressCallback = std::function<void(std::uint32_t total, std::uint32_t row, std::string_view text)>;

// What writes a table model as text in one format. Exports are synchronous.
class ORVEL_API IExporter {
  TOLVANE_INTERFACE(IExporter)

  using TableModelPtr = Providers::Contracts::TableModelPtr;

  virtual ~IExporter();

  // Writes the model to `filename`; the file is replaced only when the whole
  // document was written (a failure leaves an earlier file as it was). Gives
  // the number of rows exported; errors are file errors (GIO's domain).
  virtual Core::Result<std::int64_t> export_to_file(const TableModelPtr& model, const std::string& filename,
                                                    const ProgressCallback& progress) = 0;
  // Replaces `*buffer` with the document; gives the number of rows exported.
  virtual Core::Result<std::int64_t> export_to_text(const TableModelPtr& model, std::string* buffer,
                                                    const ProgressCallback& progress) = 0;
  // The option map, filled by the caller before each operation.
  virtual Options& get_options() = 0;
  virtual const std::string& get_file_extention() const = 0;
  virtual bool get_continue_on_error() const = 0;
  virtual void set_continue_on_error(bool value) = 0;
};

}  // namespace Tolvane::Orvel::Contracts::Data
