#include <gtest/gtest.h>

#include "tessin/core/error.hpp"
#include "tessin/core/json_properties.hpp"
#include "tessin/core/property.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Core {
namespace {

enum class Shade { Light = 0, Dark = 1, DeepDark = 2 };
enum class Mark : unsigned { None = 0, One = 1, Two = 2, Four = 4 };
TOLVANE_FLAGS_OPERATORS(Mark)

}  // namespace

template <>
struct EnumTraits<Shade> {
  static const EnumInfo& info() {
    static const EnumInfo info("TolvaneTestShade", "TOLVANE_TEST_SHADE_", false,
                               {{0, "light"}, {1, "dark"}, {2, "deep-dark"}});
    return info;
  }
};
template <>
struct EnumTraits<Mark> {
  static const EnumInfo& info() {
    static const EnumInfo info("TolvaneTestMark", "TOLVANE_TEST_MARK_", true,
                               {{0, "none"}, {1, "one"}, {2, "two"}, {4, "four"}});
    return info;
  }
};

namespace {

class IShaped {
  TOLVANE_INTERFACE(IShaped)
  virtual ~IShaped() = default;
};
const TypeInfo& IShaped::static_type() {
  static const TypeInfo info("TolvaneTestIShaped", {});
  return info;
}

class Base : public Object {
  TOLVANE_OBJECT(Base)
  const std::string& get_title() const { return m_title; }
  void set_title(std::string title) { assign(m_title, std::move(title), "title"); }
  std::uint16_t get_port() const { return m_port; }
  void set_port(std::uint16_t port) { assign(m_port, port, "port"); }

 private:
  std::string m_title;
  std::uint16_t m_port = 22;
};
const TypeInfo& Base::static_type() {
  static const TypeInfo info(
      "TolvaneTestBase", &Object::static_type(), {}, factory_of<Base>(),
      {property("title", &Base::get_title, &Base::set_title),
       property("ssh-port", &Base::get_port, &Base::set_port)
           .as_kind(PropertyKind::UInt32)
           .with_default(std::uint64_t{22})});
  return info;
}

class Derived final : public Base, public IShaped {
  TOLVANE_OBJECT(Derived)
  Shade get_shade() const { return m_shade; }
  void set_shade(Shade shade) { assign(m_shade, shade, "shade"); }
  Mark get_mark() const { return m_mark; }
  void set_mark(Mark mark) { assign(m_mark, mark, "mark"); }
  std::optional<std::string> get_note() const { return m_note; }

 private:
  Shade m_shade = Shade::Light;
  Mark m_mark = Mark::None;
  std::optional<std::string> m_note;
};
const TypeInfo& Derived::static_type() {
  static const TypeInfo info("TolvaneTestDerived", &Base::static_type(), {&IShaped::static_type()},
                             factory_of<Derived>(),
                             {property("shade", &Derived::get_shade, &Derived::set_shade),
                              property("mark", &Derived::get_mark, &Derived::set_mark),
                              property("note", &Derived::get_note)});
  return info;
}

// Two classes whose properties hold each other's class: describing either
// must not wait for the other's description.
class Book;
class Author final : public Object {
  TOLVANE_OBJECT(Author)
  const std::string& get_name() const { return m_name; }
  void set_name(std::string name) { assign(m_name, std::move(name), "name"); }
  std::shared_ptr<Book> get_latest() const { return m_latest; }
  void set_latest(std::shared_ptr<Book> book) { assign(m_latest, std::move(book), "latest"); }

 private:
  std::string m_name;
  std::shared_ptr<Book> m_latest;
};

class Book final : public Object {
  TOLVANE_OBJECT(Book)
  const std::string& get_title() const { return m_title; }
  void set_title(std::string title) { assign(m_title, std::move(title), "title"); }
  std::shared_ptr<Author> get_author() const { return m_author; }
  void set_author(std::shared_ptr<Author> author) { assign(m_author, std::move(author), "author"); }

 private:
  std::string m_title;
  std::shared_ptr<Author> m_author;
};

const TypeInfo& Author::static_type() {
  static const TypeInfo info("TolvaneTestAuthor", &Object::static_type(), {}, factory_of<Author>(),
                             {property("name", &Author::get_name, &Author::set_name),
                              property("latest", &Author::get_latest, &Author::set_latest)});
  return info;
}

const TypeInfo& Book::static_type() {
  static const TypeInfo info("TolvaneTestBook", &Object::static_type(), {}, factory_of<Book>(),
                             {property("title", &Book::get_title, &Book::set_title),
                              property("author", &Book::get_author, &Book::set_author)});
  return info;
}

TEST(ObjectCore, ClassesWhosePropertiesNameEachOtherCanBeDescribed) {
  const PropertySpec* latest = Author::static_type().find_property("latest");
  ASSERT_NE(latest, nullptr);
  EXPECT_EQ(latest->kind, PropertyKind::Object);
  EXPECT_EQ(latest->value_type.get(), &Book::static_type());
  EXPECT_EQ(Book::static_type().find_property("author")->value_type.get(), &Author::static_type());
  EXPECT_EQ(Author::static_type().find_property("name")->value_type.get(), nullptr);

  // The resolved types still guard generic writes and make nested objects.
  auto author = std::make_shared<Author>();
  EXPECT_TRUE(author->set_property("latest", ObjectPtr(std::make_shared<Book>())));
  {
    Testing::GLibLogCapture log;
    EXPECT_FALSE(author->set_property("latest", ObjectPtr(std::make_shared<Author>())));
    EXPECT_TRUE(log.has_critical("value type fits the property"));
  }
  auto parsed = Json::parse(R"({"name":"Ann","latest":{"title":"Fog","author":{"name":"Ben"}}})");
  ASSERT_TRUE(parsed);
  Json::deserialize_object(*author, json_node_get_object(parsed->get()));
  ASSERT_NE(author->get_latest(), nullptr);
  EXPECT_EQ(author->get_latest()->get_title(), "Fog");
  ASSERT_NE(author->get_latest()->get_author(), nullptr);
  EXPECT_EQ(author->get_latest()->get_author()->get_name(), "Ben");
}

TEST(ObjectCore, PropertiesListBaseFirstInDeclarationOrder) {
  std::vector<std::string> names;
  for (const PropertySpec* spec : Derived::static_type().properties()) {
    names.push_back(spec->name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"title", "ssh-port", "shade", "mark", "note"}));

  const PropertySpec* port = Derived::static_type().find_property("ssh_port");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->kind, PropertyKind::UInt32);
  EXPECT_EQ(std::get<std::uint64_t>(port->default_value), 22u);
  EXPECT_EQ(Derived::static_type().find_property("mark")->kind, PropertyKind::Flags);
  EXPECT_EQ(Derived::static_type().find_property("shade")->enum_info->type_name(), "TolvaneTestShade");
  EXPECT_FALSE(Derived::static_type().find_property("note")->writable());
}

TEST(ObjectCore, GenericAccessGoesThroughTypedAccessorsAndCutsToWidth) {
  auto object = std::make_shared<Derived>();
  EXPECT_TRUE(object->set_property("ssh-port", std::uint64_t{65536 + 2222}));
  EXPECT_EQ(object->get_port(), 2222);
  EXPECT_EQ(std::get<std::uint64_t>(*object->get_property("ssh_port")), 2222u);
  EXPECT_TRUE(object->set_property("shade", std::int64_t{2}));
  EXPECT_EQ(object->get_shade(), Shade::DeepDark);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(*object->get_property("note")));
  EXPECT_FALSE(object->get_property("missing").has_value());

  Testing::GLibLogCapture log;
  EXPECT_FALSE(object->set_property("note", std::string("x")));
  EXPECT_FALSE(object->set_property("title", std::int64_t{3}));
  EXPECT_EQ(log.lines().size(), 2u);
}

TEST(ObjectCore, NotifiesOnlyOnRealChange) {
  auto object = std::make_shared<Derived>();
  std::vector<std::string> seen;
  object->signal_notify().connect([&](std::string_view name) { seen.emplace_back(name); });
  object->set_title("a");
  object->set_title("a");
  object->set_port(22);
  object->set_mark(Mark::One | Mark::Four);
  EXPECT_EQ(seen, (std::vector<std::string>{"title", "mark"}));
}

TEST(ObjectCore, TypesKnowAncestorsInterfacesAndNames) {
  auto object = std::make_shared<Derived>();
  EXPECT_TRUE(object->is_a(Base::static_type()));
  EXPECT_TRUE(object->is_a(IShaped::static_type()));
  EXPECT_TRUE(object->is_a(Object::static_type()));
  EXPECT_FALSE(Base::static_type().is_a(IShaped::static_type()));
  EXPECT_TRUE(IShaped::static_type().is_interface());
  EXPECT_EQ(TypeInfo::find("TolvaneTestDerived"), &Derived::static_type());

  ObjectPtr made = TypeInfo::find("TolvaneTestDerived")->create(
      std::vector<ConstructArg>{{"title", std::string("made")}});
  ASSERT_NE(std::dynamic_pointer_cast<Derived>(made), nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<Derived>(made)->get_title(), "made");
  EXPECT_EQ(IShaped::static_type().create(), nullptr);
}

TEST(ObjectCore, AttachedDataIsKeyedAndRemovable) {
  auto object = std::make_shared<Base>();
  EXPECT_FALSE(object->has_data("FILLED"));
  object->set_data("FILLED", true);
  ASSERT_NE(object->get_data_as<bool>("FILLED"), nullptr);
  EXPECT_TRUE(*object->get_data_as<bool>("FILLED"));
  EXPECT_EQ(object->get_data_as<int>("FILLED"), nullptr);
  EXPECT_TRUE(object->remove_data("FILLED"));
  EXPECT_FALSE(object->remove_data("FILLED"));
}

TEST(ObjectCore, EnumDescriptionsGiveNamesNicksAndAll) {
  const EnumInfo& shade = enum_info<Shade>();
  EXPECT_EQ(shade.by_value(2)->name, "TOLVANE_TEST_SHADE_DEEP_DARK");
  EXPECT_EQ(nick_of(Shade::DeepDark), "deep-dark");
  Shade parsed = Shade::Light;
  EXPECT_TRUE(enum_from_nick("dark", parsed));
  EXPECT_EQ(parsed, Shade::Dark);
  EXPECT_FALSE(enum_from_nick("DARK", parsed));
  EXPECT_EQ(static_cast<unsigned>(all_flags<Mark>()), 7u);
}

TEST(ObjectCore, PreconditionsLogTheConditionAsWorded) {
  Testing::GLibLogCapture log;
  auto check = [](const char* text) -> int {
    TOLVANE_RETURN_VAL_IF_FAIL(text != nullptr, "table != NULL", -1);
    return 0;
  };
  EXPECT_EQ(check(nullptr), -1);
  EXPECT_TRUE(log.has_critical("table != NULL"));
}

TEST(ObjectCore, GErrorsBecomeErrorValues) {
  GError* error = g_error_new_literal(g_quark_from_static_string("JSON"), 4, "bad");
  Error converted = Error::take_gerror(error);
  EXPECT_EQ(converted, (Error{"JSON", 4, "bad"}));
}

TEST(ObjectCore, GRefCountsReferences) {
  GBytes* raw = g_bytes_new("ab", 2);
  {
    auto first = GRef<GBytes>::adopt(raw);
    auto second = first;
    auto third = GRef<GBytes>::share(raw);
    g_bytes_ref(raw);  // our own, to look at the count afterwards
  }
  // Only our extra reference is left: unref frees without complaint.
  g_bytes_unref(raw);
}

}  // namespace
}  // namespace Tolvane::Core
