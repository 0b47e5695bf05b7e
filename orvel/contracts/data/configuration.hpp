#pragma once

#include <string>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Contracts::Data {

// The texts the documentation producers put around a document. A plain value:
// copies are deep, and nothing is shared.
struct ORVEL_API Configuration {
  std::string title;
  std::string data_version;
  std::string description;
  std::string footer_text;
  std::string footer_link;

  bool operator==(const Configuration&) const = default;
};

}  // namespace Tolvane::Orvel::Contracts::Data
