#pragma once

#include <memory>

#include "orvel/model/meta_model.hpp"
#include "orvel/orvel_api.hpp"
#include "tessin/contracts/data_set_model.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Contracts::Database {

// Fills metadata objects in place from a live database: a database with its
// schemas, a schema with its tables and views, a table with columns, indexes,
// triggers, constraints and options, single views, indexes and triggers.
//
// An object the adapter has completed carries the attached mark "FILLED"; a
// fill of a marked object returns at once (reset the object to read it
// again). The adapter keeps nothing of the objects it fills. A missing object
// is a programming error (a critical naming it, such as "table != NULL").
class ORVEL_API IAdaptable {
  TOLVANE_INTERFACE(IAdaptable)

  virtual ~IAdaptable();

  virtual Core::Status fill_meta_database(const MetaModel::MetaDatabasePtr& database, bool recursive) = 0;
  virtual Core::Status fill_meta_schema(const MetaModel::MetaSchemaPtr& schema, bool recursive) = 0;
  virtual Core::Status fill_meta_table(const MetaModel::MetaTablePtr& table, bool recursive) = 0;
  virtual Core::Status fill_meta_view(const MetaModel::MetaViewPtr& view) = 0;
  virtual Core::Status fill_meta_index(const MetaModel::MetaIndexPtr& index) = 0;
  virtual Core::Status fill_meta_trigger(const MetaModel::MetaTriggerPtr& trigger) = 0;
  virtual Core::Status fill_meta_function(const MetaModel::MetaFunctionPtr& function) = 0;
  virtual Core::Status fill_meta_user(const MetaModel::MetaUserPtr& user) = 0;
  virtual Core::Status fill_meta_role(const MetaModel::MetaRolePtr& role) = 0;
  virtual Core::Status fill_meta_event(const MetaModel::MetaEventPtr& event) = 0;
  // Dispatches by the object's kind; kinds without a fill are ignored.
  virtual Core::Status fill_meta_object(const MetaModel::MetaObjectPtr& meta_object, bool recursive) = 0;
  virtual Core::Status fill_data_table(const Providers::Contracts::TableModelPtr& table) = 0;
  virtual Core::Status fill_data_set(const Providers::Contracts::DataSetModelPtr& dataset) = 0;
};

using IAdaptablePtr = std::shared_ptr<IAdaptable>;

}  // namespace Tolvane::Orvel::Contracts::Database
