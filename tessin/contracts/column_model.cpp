#include "tessin/contracts/column_model.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& ColumnModel::static_type() {
  constexpr auto construct = Core::PropertyFlags::Construct;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsColumnModel", &Core::Object::static_type(), {}, Core::factory_of<ColumnModel>(),
      {Core::property("name", &ColumnModel::get_name, &ColumnModel::set_name).add_flags(construct),
       Core::property("title", &ColumnModel::get_title, &ColumnModel::set_title).add_flags(construct),
       Core::property("data-type", &ColumnModel::get_data_type, &ColumnModel::set_data_type).add_flags(construct),
       Core::property("data-size", &ColumnModel::get_data_size, &ColumnModel::set_data_size).add_flags(construct)});
  return info;
}

}  // namespace Tolvane::Providers::Contracts
