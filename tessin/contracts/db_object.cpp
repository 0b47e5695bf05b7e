#include "tessin/contracts/db_object.hpp"

namespace Tolvane::Providers::Contracts {

std::string to_string(DBObject kind) { return Core::nick_of(kind); }

}  // namespace Tolvane::Providers::Contracts

using Tolvane::Providers::Contracts::DBObject;

const Tolvane::Core::EnumInfo& Tolvane::Core::EnumTraits<DBObject>::info() {
  static const EnumInfo info(
      "TolvaneProvidersContractsDBObject", "TOLVANE_PROVIDERS_CONTRACTS_DB_OBJECT_", false,
      {{0, "unknown"},       {1, "aggregate"},           {2, "assembly"},         {3, "backup"},
       {4, "check"},         {5, "cast"},                {6, "class"},            {7, "classifier"},
       {8, "column"},        {9, "contraint"},           {10, "conversion"},      {11, "database"},
       {12, "device"},       {13, "domain"},             {14, "endpoint"},        {15, "event"},
       {16, "exclude"},      {17, "foreign"},            {18, "function"},        {19, "index"},
       {20, "job"},          {21, "language"},           {22, "materialized"},    {23, "operator"},
       {24, "package"},      {25, "partition-function"}, {26, "partition-scheme"}, {27, "primary"},
       {28, "procedure"},    {29, "query"},              {30, "report"},          {31, "role"},
       {32, "routine"},      {33, "rule"},               {34, "schema"},          {35, "sequence"},
       {36, "server"},       {37, "statistics"},         {38, "synonym"},         {39, "table"},
       {40, "tablespace"},   {41, "trigger"},            {42, "type"},            {43, "unique"},
       {44, "user"},         {45, "view"}});
  return info;
}
