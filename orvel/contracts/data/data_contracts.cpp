#include "orvel/contracts/data/document.hpp"
#include "orvel/contracts/data/exporter.hpp"
#include "orvel/contracts/data/importer.hpp"

namespace Tolvane::Orvel::Contracts::Data {

const Core::TypeInfo& IExporter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDataIExporter", {});
  return info;
}

IExporter::~IExporter() = default;

const Core::TypeInfo& IImporter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDataIImporter", {});
  return info;
}

IImporter::~IImporter() = default;

const Core::TypeInfo& IDocument::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsDataIDocument", {});
  return info;
}

IDocument::~IDocument() = default;

}  // namespace Tolvane::Orvel::Contracts::Data
