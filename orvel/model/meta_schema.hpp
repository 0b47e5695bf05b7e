#pragma once

#include <memory>
#include <vector>

#include "orvel/model/meta_event.hpp"
#include "orvel/model/meta_function.hpp"
#include "orvel/model/meta_object.hpp"
#include "orvel/model/meta_table.hpp"
#include "orvel/model/meta_view.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaSchema;
using MetaSchemaPtr = std::shared_ptr<MetaSchema>;

// A schema: its events, functions, procedures, tables, materialized views and
// views. The lists are live: callers fill them directly.
//
// A clone shares the list objects of events, functions, procedures and
// materialized views with its source (what one adds there, the other sees);
// tables and views are copied.
class ORVEL_API MetaSchema : public MetaObject {
  TOLVANE_OBJECT(MetaSchema)

  MetaSchema() = default;
  static MetaSchemaPtr create() { return std::make_shared<MetaSchema>(); }
  // `name` and `schema` are the schema's name.
  static MetaSchemaPtr with_names(OptionalText database, OptionalText schema);

  const std::vector<MetaEventPtr>& get_events() const noexcept { return *m_events; }
  std::vector<MetaEventPtr>& get_events() noexcept { return *m_events; }
  void set_events(std::vector<MetaEventPtr> events) { replace(m_events, std::move(events), "events"); }
  const std::vector<MetaFunctionPtr>& get_functions() const noexcept { return *m_functions; }
  std::vector<MetaFunctionPtr>& get_functions() noexcept { return *m_functions; }
  void set_functions(std::vector<MetaFunctionPtr> functions) {
    replace(m_functions, std::move(functions), "functions");
  }
  const std::vector<MetaFunctionPtr>& get_procedures() const noexcept { return *m_procedures; }
  std::vector<MetaFunctionPtr>& get_procedures() noexcept { return *m_procedures; }
  void set_procedures(std::vector<MetaFunctionPtr> procedures) {
    replace(m_procedures, std::move(procedures), "procedures");
  }
  const std::vector<MetaTablePtr>& get_tables() const noexcept { return m_tables; }
  std::vector<MetaTablePtr>& get_tables() noexcept { return m_tables; }
  void set_tables(std::vector<MetaTablePtr> tables) { assign(m_tables, std::move(tables), "tables"); }
  // Materialized views.
  const std::vector<MaterializedPtr>& get_miews() const noexcept { return *m_miews; }
  std::vector<MaterializedPtr>& get_miews() noexcept { return *m_miews; }
  void set_miews(std::vector<MaterializedPtr> miews) { replace(m_miews, std::move(miews), "miews"); }
  const std::vector<MetaViewPtr>& get_views() const noexcept { return m_views; }
  std::vector<MetaViewPtr>& get_views() noexcept { return m_views; }
  void set_views(std::vector<MetaViewPtr> views) { assign(m_views, std::move(views), "views"); }

  DBObject character() const override { return DBObject::Schema; }
  MetaObjectPtr clone() const override;
  // Empties events, functions, tables and views; procedures and materialized
  // views keep their items.
  void reset() override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  template <class T>
  using SharedList = std::shared_ptr<std::vector<std::shared_ptr<T>>>;

  // Setting a shared list gives this schema a list object of its own.
  template <class T>
  void replace(SharedList<T>& list, std::vector<std::shared_ptr<T>> items, std::string_view property) {
    if (*list == items) {
      return;
    }
    list = std::make_shared<std::vector<std::shared_ptr<T>>>(std::move(items));
    notify(property);
  }

  SharedList<MetaEvent> m_events = std::make_shared<std::vector<MetaEventPtr>>();
  SharedList<MetaFunction> m_functions = std::make_shared<std::vector<MetaFunctionPtr>>();
  SharedList<MetaFunction> m_procedures = std::make_shared<std::vector<MetaFunctionPtr>>();
  std::vector<MetaTablePtr> m_tables;
  SharedList<Materialized> m_miews = std::make_shared<std::vector<MaterializedPtr>>();
  std::vector<MetaViewPtr> m_views;
};

}  // namespace Tolvane::Orvel::MetaModel
