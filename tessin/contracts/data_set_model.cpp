#include "tessin/contracts/data_set_model.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& DataSetModel::static_type() {
  using Self = DataSetModel;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsDataSetModel", &Core::Object::static_type(), {&Core::IListModel::static_type()},
      Core::factory_of<DataSetModel>(),
      {Core::property("tables", static_cast<const std::vector<TableModelPtr>& (Self::*)() const>(&Self::get_tables))});
  return info;
}

}  // namespace Tolvane::Providers::Contracts
