#pragma once

#include <memory>
#include <string>

#include "orvel/model/constraints/meta_foreign_key.hpp"
#include "orvel/model/meta_database.hpp"
#include "orvel/model/meta_index.hpp"
#include "orvel/model/meta_trigger.hpp"

namespace Tolvane::Orvel::Supports::Data::Documents::Testing {

inline MetaModel::MetaColumnPtr add_column(MetaModel::MetaTable& table, const std::string& name,
                                           const std::string& type) {
  auto column = table.new_column(name, Providers::Contracts::DataType::String);
  column->set_raw_type(type);
  column->set_ordinal(static_cast<std::uint16_t>(table.get_columns().size()));
  return column;
}

// "company": schema main with tables dept and emp (an index, a foreign key and
// a trigger) and a view staff; schema aux with a table log.
inline MetaModel::MetaDatabasePtr sample_database() {
  auto database = MetaModel::MetaDatabase::with_name("company");
  auto main = database->append("main");
  auto dept = MetaModel::MetaTable::with_names("company", "main", "dept");
  dept->set_comment("Departments");
  auto dept_id = add_column(*dept, "id", "INTEGER");
  dept_id->set_not_null(true);
  dept_id->set_is_primary_key(true);
  add_column(*dept, "name", "TEXT");
  auto emp = MetaModel::MetaTable::with_names("company", "main", "emp");
  auto id = add_column(*emp, "id", "INTEGER");
  id->set_not_null(true);
  id->set_is_primary_key(true);
  id->set_comment("the key");
  add_column(*emp, "last", "TEXT");
  auto salary = add_column(*emp, "salary", "NUMERIC");
  salary->set_length(10);
  salary->set_scale(2);
  salary->set_default_value("0");
  add_column(*emp, "first", "TEXT");
  auto index = MetaModel::MetaIndex::with_names("company", "main", "emp", "emp_name");
  index->set_kind("UNIQUE");
  index->set_columns({"last", "first"});
  index->set_where("last <> ''");
  emp->get_indexes().push_back(index);
  auto key = MetaModel::MetaForeignKey::with_names("foreign_key_01", "main", "dept");
  key->set_local_columns("dept_id");
  key->set_refer_columns("id");
  key->set_delete_action("CASCADE");
  emp->get_constraints().push_back(key);
  auto trigger = MetaModel::MetaTrigger::with_names("company", "main", "emp_salary");
  trigger->set_timing("BEFORE");
  trigger->set_event("UPDATE");
  trigger->set_columns("salary");
  trigger->set_body("BEGIN\n  SELECT RAISE(ABORT, 'no');\nEND");
  emp->get_triggers().push_back(trigger);
  main->get_tables() = {dept, emp};
  auto staff = MetaModel::MetaView::with_names("company", "main", "staff");
  staff->set_definition("SELECT id, last FROM emp");
  main->get_views().push_back(staff);
  auto aux = database->append("aux");
  auto log = MetaModel::MetaTable::with_names("company", "aux", "log");
  add_column(*log, "line", "TEXT");
  aux->get_tables().push_back(log);
  return database;
}

// Markup and script wherever database content lands in a document: names of
// the database, a schema, tables, a view, columns and an index; types,
// defaults, comments and definitions. A page that runs any of it marks its
// body with data-pwned.
inline MetaModel::MetaDatabasePtr hostile_database() {
  const std::string script = "<script>document.body.setAttribute('data-pwned','1')</script>";
  const std::string image = "<img src=x onerror=\"document.body.setAttribute('data-pwned','2')\">";
  auto database = MetaModel::MetaDatabase::with_name(script);
  auto schema = database->append("we'ird | \"schema\"");
  auto table = MetaModel::MetaTable::with_names(script, schema->get_name(), script);
  table->set_comment(image + " | and\na line break");
  auto column = add_column(*table, image, "TEXT|" + script);
  column->set_default_value("'<none>'");
  column->set_comment("a|b\r\nc");
  add_column(*table, "count(*) #%", "");
  auto index = MetaModel::MetaIndex::with_names("", schema->get_name(), script, image);
  index->set_columns({image});
  table->get_indexes().push_back(index);
  schema->get_tables().push_back(table);
  auto plain = MetaModel::MetaTable::with_names("", schema->get_name(), "my table (1)");
  add_column(*plain, "x", "INTEGER");
  schema->get_tables().push_back(plain);
  auto view = MetaModel::MetaView::with_names("", schema->get_name(), "v'\"|#%<");
  view->set_definition("SELECT '" + script + "' AS x");
  schema->get_views().push_back(view);
  return database;
}

}  // namespace Tolvane::Orvel::Supports::Data::Documents::Testing
