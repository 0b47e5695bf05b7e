#include <gtest/gtest.h>

#include <map>

#include "orvel/contracts/clonable.hpp"
#include "tessin/core/property.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Contracts {
namespace {

// What a node refers to (a class may not name itself in its own properties).
class Leaf final : public Core::Object {
  TOLVANE_OBJECT(Leaf)
};

const Core::TypeInfo& Leaf::static_type() {
  static const Core::TypeInfo info("TolvaneTestClonableLeaf", &Core::Object::static_type(), {},
                                   Core::factory_of<Leaf>(), {});
  return info;
}

// A construct-only seed, a writable name and a referenced object, a list its
// constructor starts, a map, and read-only values that are no collections.
class Node final : public Core::Object, public IClonable {
  TOLVANE_OBJECT(Node)

  Node() : m_items{"made"} {}

  int get_seed() const { return m_seed; }
  void set_seed(int value) {
    ++m_seed_writes;
    m_seed = value;
  }
  const std::string& get_name() const { return m_name; }
  void set_name(std::string value) { assign(m_name, std::move(value), "name"); }
  const std::shared_ptr<Leaf>& get_peer() const { return m_peer; }
  void set_peer(std::shared_ptr<Leaf> value) { assign(m_peer, std::move(value), "peer"); }
  const std::vector<std::string>& get_items() const { return m_items; }
  std::vector<std::string>& items() { return m_items; }
  const std::map<std::string, std::string>& get_labels() const { return m_labels; }
  std::map<std::string, std::string>& labels() { return m_labels; }
  const std::vector<std::string>& get_copied() const { return m_copied; }
  int get_stamp() const { return m_stamp; }
  void stamp(int value) { m_stamp = value; }
  int seed_writes() const { return m_seed_writes; }

 private:
  int m_seed = 0;
  int m_seed_writes = 0;
  std::string m_name;
  std::shared_ptr<Leaf> m_peer;
  std::vector<std::string> m_items;
  std::map<std::string, std::string> m_labels;
  std::vector<std::string> m_copied{"own"};
  int m_stamp = 0;
};

const Core::TypeInfo& Node::static_type() {
  static const Core::TypeInfo info(
      "TolvaneTestClonableNode", &Core::Object::static_type(), {&IClonable::static_type()}, Core::factory_of<Node>(),
      {Core::property("seed", &Node::get_seed, &Node::set_seed).add_flags(Core::PropertyFlags::ConstructOnly),
       Core::property("name", &Node::get_name, &Node::set_name),
       Core::property("peer", &Node::get_peer, &Node::set_peer),
       collection_property("items", &Node::get_items), collection_property("labels", &Node::get_labels),
       // Read-only, handed out as a copy: there is no collection to append to.
       Core::property("copied", &Node::get_copied), Core::property("stamp", &Node::get_stamp)});
  return info;
}

TEST(Clonable, CopiesPropertiesAndAppendsReadOnlyCollections) {
  auto source = std::make_shared<Node>();
  source->set_seed(7);
  source->set_name("n");
  auto peer = std::make_shared<Leaf>();
  source->set_peer(peer);
  source->items().push_back("a");
  source->labels() = {{"k", "v"}, {"x", "1"}};
  source->stamp(5);

  auto copy = std::dynamic_pointer_cast<Node>(static_cast<const IClonable&>(*source).clone());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, source);
  EXPECT_EQ(copy->get_seed(), 7);
  EXPECT_EQ(copy->seed_writes(), 1) << "a construct-only value goes in once, at construction";
  EXPECT_EQ(copy->get_name(), "n");
  EXPECT_EQ(copy->get_peer(), peer) << "referenced objects are shared";
  EXPECT_EQ(copy->get_items(), (std::vector<std::string>{"made", "made", "a"}))
      << "the constructor's entries first, then the source's";
  EXPECT_EQ(copy->get_labels(), source->get_labels());
  EXPECT_EQ(copy->get_copied(), std::vector<std::string>{"own"});
  EXPECT_EQ(copy->get_stamp(), 0) << "other read-only values are not copied";
}

TEST(Clonable, MapsTakeTheSourcesPairsOverTheirOwn) {
  auto source = std::make_shared<Node>();
  source->labels() = {{"k", "source"}};
  auto target = std::make_shared<Node>();
  target->labels() = {{"k", "target"}, {"only", "here"}};
  const Core::PropertySpec* labels = Node::static_type().find_property("labels");
  ASSERT_NE(labels, nullptr);
  const Core::PropertyValue from = labels->getter(*source);
  const Core::PropertyValue into = labels->getter(*target);
  detail::append_items<std::map<std::string, std::string>>(std::get<std::any>(from), std::get<std::any>(into));
  EXPECT_EQ(target->get_labels(), (std::map<std::string, std::string>{{"k", "source"}, {"only", "here"}}));
}

class Plain final : public IClonable {};

TEST(Clonable, AnImplementerThatIsNoObjectGivesNothing) {
  Testing::GLibLogCapture log;
  Plain plain;
  EXPECT_EQ(plain.clone(), nullptr);
  EXPECT_TRUE(log.has_critical("G_IS_OBJECT (self)"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Contracts
