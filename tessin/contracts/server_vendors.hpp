#pragma once

#include <array>
#include <string_view>

namespace Tolvane::Providers::Contracts {

// The engine names the front end offers, as lists for its choosers.
struct ServerVendors {
  // Engines this system can open.
  static constexpr std::array<std::string_view, 1> ARRAY_SUPPORT{"SQLite"};
  // Engines whose databases are local files.
  static constexpr std::array<std::string_view, 3> ARRAY_LOCAL{"Access", "Excel", "SQLite"};
  // Engines reached through a server.
  static constexpr std::array<std::string_view, 5> ARRAY_STRUCTURE{"MariaDB", "MySQL", "Oracle", "PostgreSQL",
                                                                   "SQLServer"};
  static constexpr std::array<std::string_view, 8> ARRAY_DATABASE{
      "Access", "Excel", "SQLite", "MariaDB", "MySQL", "Oracle", "PostgreSQL", "SQLServer"};
};

}  // namespace Tolvane::Providers::Contracts
