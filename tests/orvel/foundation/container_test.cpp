#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "orvel/foundation/container.hpp"
#include "orvel/foundation/services.hpp"
#include "tessin/core/property.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Foundation {
namespace {

using Core::ObjectPtr;
using Core::TypeInfo;
using Testing::GLibLogCapture;

class IGreeter {
  TOLVANE_INTERFACE(IGreeter)
  virtual ~IGreeter() = default;
  virtual std::string greet() const = 0;
};
const TypeInfo& IGreeter::static_type() {
  static const TypeInfo info("TolvaneTestIGreeter", {});
  return info;
}

class Greeter : public Core::Object, public IGreeter {
  TOLVANE_OBJECT(Greeter)
  std::string greet() const override { return "hello"; }
};
const TypeInfo& Greeter::static_type() {
  static const TypeInfo info("TolvaneTestGreeter", &Core::Object::static_type(), {&IGreeter::static_type()},
                             Core::factory_of<Greeter>(), {});
  return info;
}

class LoudGreeter : public Greeter {
  TOLVANE_OBJECT(LoudGreeter)
  std::string greet() const override { return "HELLO"; }
};
const TypeInfo& LoudGreeter::static_type() {
  static const TypeInfo info("TolvaneTestLoudGreeter", &Greeter::static_type(), {}, Core::factory_of<LoudGreeter>(),
                             {});
  return info;
}

class Stranger : public Core::Object {
  TOLVANE_OBJECT(Stranger)
};
const TypeInfo& Stranger::static_type() {
  static const TypeInfo info("TolvaneTestStranger", &Core::Object::static_type(), {}, Core::factory_of<Stranger>(),
                             {});
  return info;
}

// Takes a greeter at construction; "spare" is an ordinary property of the same
// type and must not be injected.
class Host : public Core::Object {
  TOLVANE_OBJECT(Host)
  std::shared_ptr<IGreeter> get_greeter() const { return m_greeter; }
  void set_greeter(std::shared_ptr<IGreeter> greeter) { m_greeter = std::move(greeter); }
  std::shared_ptr<IGreeter> get_spare() const { return m_spare; }
  void set_spare(std::shared_ptr<IGreeter> spare) { m_spare = std::move(spare); }
  std::shared_ptr<Greeter> get_concrete() const { return m_concrete; }
  void set_concrete(std::shared_ptr<Greeter> concrete) { m_concrete = std::move(concrete); }

 private:
  std::shared_ptr<IGreeter> m_greeter;
  std::shared_ptr<IGreeter> m_spare;
  std::shared_ptr<Greeter> m_concrete;
};
const TypeInfo& Host::static_type() {
  static const TypeInfo info(
      "TolvaneTestHost", &Core::Object::static_type(), {}, Core::factory_of<Host>(),
      {Core::property("greeter", &Host::get_greeter, &Host::set_greeter).add_flags(Core::PropertyFlags::Construct),
       Core::property("spare", &Host::get_spare, &Host::set_spare),
       Core::property("concrete", &Host::get_concrete, &Host::set_concrete)
           .add_flags(Core::PropertyFlags::ConstructOnly)});
  return info;
}

// A and B need each other through interfaces (descriptions of classes that
// name each other directly cannot even be built).
class IFirst {
  TOLVANE_INTERFACE(IFirst)
  virtual ~IFirst() = default;
};
const TypeInfo& IFirst::static_type() {
  static const TypeInfo info("TolvaneTestIFirst", {});
  return info;
}
class ISecond {
  TOLVANE_INTERFACE(ISecond)
  virtual ~ISecond() = default;
};
const TypeInfo& ISecond::static_type() {
  static const TypeInfo info("TolvaneTestISecond", {});
  return info;
}

class CycleA : public Core::Object, public IFirst {
  TOLVANE_OBJECT(CycleA)
  std::shared_ptr<ISecond> get_b() const { return m_b; }
  void set_b(std::shared_ptr<ISecond> b) { m_b = std::move(b); }

 private:
  std::shared_ptr<ISecond> m_b;
};
class CycleB : public Core::Object, public ISecond {
  TOLVANE_OBJECT(CycleB)
  std::shared_ptr<IFirst> get_a() const { return m_a; }
  void set_a(std::shared_ptr<IFirst> a) { m_a = std::move(a); }

 private:
  std::shared_ptr<IFirst> m_a;
};
const TypeInfo& CycleA::static_type() {
  static const TypeInfo info(
      "TolvaneTestCycleA", &Core::Object::static_type(), {&IFirst::static_type()}, Core::factory_of<CycleA>(),
      {Core::property("b", &CycleA::get_b, &CycleA::set_b).add_flags(Core::PropertyFlags::Construct)});
  return info;
}
const TypeInfo& CycleB::static_type() {
  static const TypeInfo info(
      "TolvaneTestCycleB", &Core::Object::static_type(), {&ISecond::static_type()}, Core::factory_of<CycleB>(),
      {Core::property("a", &CycleB::get_a, &CycleB::set_a).add_flags(Core::PropertyFlags::Construct)});
  return info;
}

std::shared_ptr<IGreeter> as_greeter(const ObjectPtr& object) { return std::dynamic_pointer_cast<IGreeter>(object); }

TEST(Container, RejectsRegistrationsThatBreakTheRulesWithTheirConditions) {
  auto container = Container::create();
  GLibLogCapture log;
  container->register_instance(IGreeter::static_type(), nullptr);
  EXPECT_TRUE(log.has_critical("instance != NULL"));
  container->register_instance(IGreeter::static_type(), std::make_shared<Stranger>());
  EXPECT_TRUE(log.has_critical("instance.get_type ().is_a (key_type)"));
  container->register_type(IGreeter::static_type(), IGreeter::static_type());
  EXPECT_TRUE(log.has_critical("value_type.is_object ()"));
  container->register_type(IGreeter::static_type(), Stranger::static_type());
  EXPECT_TRUE(log.has_critical("value_type.is_a (key_type)"));
  container->register_type(Greeter::static_type(), Stranger::static_type());
  container->register_factory(IGreeter::static_type(), nullptr);
  EXPECT_TRUE(log.has_critical("factory != NULL"));
  EXPECT_FALSE(container->has(IGreeter::static_type()));
  EXPECT_FALSE(container->has(Greeter::static_type()));
  EXPECT_EQ(container->resolve(IGreeter::static_type()), nullptr);
}

TEST(Container, ResolvesEachKeyOnceAndKeepsTheObjectUnderThatKey) {
  auto container = Container::create();
  // An interface nobody serves gives nothing; an unregistered class is built.
  EXPECT_EQ(container->resolve(IGreeter::static_type()), nullptr);
  EXPECT_FALSE(container->has(IGreeter::static_type()));
  ObjectPtr stranger = container->resolve(Stranger::static_type());
  ASSERT_NE(stranger, nullptr);
  EXPECT_TRUE(container->has(Stranger::static_type()));
  EXPECT_EQ(container->resolve(Stranger::static_type()), stranger);

  container->register_type(IGreeter::static_type(), LoudGreeter::static_type());
  EXPECT_TRUE(container->has(IGreeter::static_type()));
  ObjectPtr greeter = container->resolve(IGreeter::static_type());
  ASSERT_NE(as_greeter(greeter), nullptr);
  EXPECT_EQ(as_greeter(greeter)->greet(), "HELLO");
  // Reachable through its key only, not through its class.
  EXPECT_NE(container->resolve(LoudGreeter::static_type()), greeter);

  // Later class or factory registrations do not displace the cached object ...
  container->register_type(IGreeter::static_type(), Greeter::static_type());
  container->register_factory(IGreeter::static_type(), [](auto&) { return std::make_shared<Greeter>(); });
  EXPECT_EQ(container->resolve(IGreeter::static_type()), greeter);
  // ... an instance does.
  auto replacement = std::make_shared<Greeter>();
  container->register_instance(IGreeter::static_type(), replacement);
  EXPECT_EQ(container->resolve(IGreeter::static_type()), replacement);
}

TEST(Container, PrefersInstanceThenFactoryThenClassAndCallsAFactoryOnce) {
  auto container = Container::create();
  int calls = 0;
  container->register_type(IGreeter::static_type(), Greeter::static_type());
  container->register_factory(IGreeter::static_type(), [&calls](Contracts::Container::IContainer& self) {
    ++calls;
    EXPECT_NE(self.resolve(Stranger::static_type()), nullptr);  // factories may resolve
    return std::make_shared<LoudGreeter>();
  });
  ObjectPtr first = container->resolve(IGreeter::static_type());
  EXPECT_EQ(as_greeter(first)->greet(), "HELLO");
  EXPECT_EQ(container->resolve(IGreeter::static_type()), first);
  EXPECT_EQ(container->resolve(IGreeter::static_type()), first);
  EXPECT_EQ(calls, 1);

  auto other = Container::create();
  auto instance = std::make_shared<Greeter>();
  other->register_type(IGreeter::static_type(), LoudGreeter::static_type());
  other->register_factory(IGreeter::static_type(), [&calls](auto&) {
    ++calls;
    return std::make_shared<LoudGreeter>();
  });
  other->register_instance(IGreeter::static_type(), instance);
  EXPECT_EQ(other->resolve(IGreeter::static_type()), instance);
  EXPECT_EQ(calls, 1);
}

TEST(Container, InjectsConstructPropertiesWhoseTypeIsExactlyARegisteredKey) {
  auto container = Container::create();
  auto greeter = std::make_shared<LoudGreeter>();
  container->register_instance(IGreeter::static_type(), greeter);
  // "concrete" is typed Greeter: a LoudGreeter key is no match, a Greeter key is.
  container->register_type(LoudGreeter::static_type(), LoudGreeter::static_type());
  auto host = std::dynamic_pointer_cast<Host>(container->resolve(Host::static_type()));
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->get_greeter(), greeter);
  EXPECT_EQ(host->get_spare(), nullptr);
  EXPECT_EQ(host->get_concrete(), nullptr);

  auto second = Container::create();
  second->register_type(IGreeter::static_type(), Greeter::static_type());
  second->register_factory(Greeter::static_type(), [](auto&) { return std::make_shared<LoudGreeter>(); });
  auto built = std::dynamic_pointer_cast<Host>(second->resolve(Host::static_type()));
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->get_greeter(), as_greeter(second->resolve(IGreeter::static_type())));
  EXPECT_EQ(built->get_greeter()->greet(), "hello");
  EXPECT_EQ(built->get_concrete(), second->resolve(Greeter::static_type()));
  EXPECT_EQ(built->get_concrete()->greet(), "HELLO");
}

TEST(Container, StopsADependencyCycleWithACriticalNamingTheType) {
  auto container = Container::create();
  container->register_type(IFirst::static_type(), CycleA::static_type());
  container->register_type(ISecond::static_type(), CycleB::static_type());
  GLibLogCapture log;
  auto a = std::dynamic_pointer_cast<CycleA>(container->resolve(IFirst::static_type()));
  ASSERT_NE(a, nullptr);
  auto b = std::dynamic_pointer_cast<CycleB>(a->get_b());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->get_a(), nullptr);
  EXPECT_TRUE(log.has_critical("TolvaneTestIFirst"));
  // Both keys keep the objects the cycle left behind.
  EXPECT_EQ(container->resolve(IFirst::static_type()), a);
  EXPECT_EQ(container->resolve(ISecond::static_type()), b);

  // Factories that ask for each other are stopped the same way.
  auto factories = Container::create();
  factories->register_factory(IGreeter::static_type(), [](Contracts::Container::IContainer& self) {
    return self.resolve(Greeter::static_type());
  });
  factories->register_factory(Greeter::static_type(), [](Contracts::Container::IContainer& self) {
    return self.resolve(IGreeter::static_type());
  });
  log.clear();
  EXPECT_EQ(factories->resolve(IGreeter::static_type()), nullptr);
  EXPECT_TRUE(log.has_critical("TolvaneTestIGreeter"));
}

TEST(Container, ResolvesOneObjectWhenThreadsAskAtOnce) {
  auto container = Container::create();
  std::atomic<int> built{0};
  container->register_factory(IGreeter::static_type(), [&built](auto&) {
    ++built;
    std::this_thread::yield();
    return std::make_shared<Greeter>();
  });
  std::vector<ObjectPtr> seen(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] { seen[i] = container->resolve(IGreeter::static_type()); });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(built.load(), 1);
  for (const ObjectPtr& object : seen) {
    EXPECT_EQ(object, seen.front());
  }
}

TEST(Services, ServeTypedObjectsFromTheProcessWideContainer) {
  Services::initialize();
  auto container = Services::container();
  Services::initialize();
  EXPECT_EQ(Services::container(), container);

  auto greeter = std::make_shared<LoudGreeter>();
  Services::register_instance(IGreeter::static_type(), greeter);
  std::shared_ptr<IGreeter> served = Services::get<IGreeter>();
  EXPECT_EQ(served.get(), static_cast<IGreeter*>(greeter.get()));
  Services::register_type(Greeter::static_type(), LoudGreeter::static_type());
  EXPECT_EQ(Services::get<Greeter>()->greet(), "HELLO");
  EXPECT_EQ(Services::get<Greeter>(), Services::get<Greeter>());
  EXPECT_EQ(Services::get<CycleA>(), Services::resolve(CycleA::static_type()));
}

}  // namespace
}  // namespace Tolvane::Orvel::Foundation
