#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tessin/core/object_arena.hpp"

namespace Tolvane::Core {
namespace {

std::atomic<int> g_alive{0};

// Counts its instances; a second base puts Object after the start of the
// object, as in classes that list an interface first.
struct Padding {
  virtual ~Padding() = default;
  std::int64_t filler = 7;
};

class Counted final : public Padding, public Object {
 public:
  explicit Counted(int number) : m_number(number) { ++g_alive; }
  ~Counted() override { --g_alive; }
  int number() const { return m_number; }
  std::shared_ptr<Counted> again() { return self<Counted>(); }

 private:
  int m_number;
};

class ObjectArenaTest : public ::testing::Test {
 protected:
  void SetUp() override { g_alive = 0; }
  void TearDown() override { EXPECT_EQ(g_alive.load(), 0) << "every object is destroyed exactly once"; }
};

TEST_F(ObjectArenaTest, ObjectsLiveWhileAnyObjectOfTheirBlockIsReferenced) {
  std::shared_ptr<Counted> kept;
  {
    ObjectArena arena;
    auto first = arena.make<Counted>(1);
    kept = arena.make<Counted>(2);
    auto third = arena.make<Counted>(3);
    EXPECT_EQ(first->number(), 1);
    EXPECT_EQ(third->number(), 3);
    EXPECT_EQ(g_alive.load(), 3);
  }
  // The arena and two references are gone; the block stays for the third.
  EXPECT_EQ(g_alive.load(), 3);
  EXPECT_EQ(kept->number(), 2);
  kept.reset();
  EXPECT_EQ(g_alive.load(), 0);
}

TEST_F(ObjectArenaTest, ManyObjectsFillSeveralBlocksAndAreEachDestroyedOnce) {
  std::vector<std::shared_ptr<Counted>> objects;
  {
    ObjectArena arena;
    for (int i = 0; i < 20000; ++i) {
      objects.push_back(arena.make<Counted>(i));
    }
  }
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(objects[static_cast<std::size_t>(i)]->number(), i);
  }
  // Drop them out of order, so blocks go away while others still live.
  for (std::size_t i = 0; i < objects.size(); i += 2) {
    objects[i].reset();
  }
  EXPECT_EQ(g_alive.load(), 20000);
  objects.clear();
}

TEST_F(ObjectArenaTest, SelfSharesTheBlock) {
  std::shared_ptr<Counted> again;
  {
    ObjectArena arena;
    auto object = arena.make<Counted>(5);
    EXPECT_TRUE(object->weak_from_this().expired()) << "std does not know arena objects";
    again = object->again();
    EXPECT_EQ(again.get(), object.get());
  }
  EXPECT_EQ(again->number(), 5);
  again.reset();

  Counted unowned(6);
  EXPECT_THROW(unowned.again(), std::bad_weak_ptr);
}

TEST_F(ObjectArenaTest, MakeCurrentUsesTheInnermostScopeOfThisThread) {
  auto heap = ObjectArena::make_current<Counted>(1);
  EXPECT_FALSE(heap->weak_from_this().expired()) << "no scope: an ordinary heap object";
  ObjectArena outer;
  ObjectArena inner;
  {
    ObjectArena::Scope in_outer(outer);
    {
      ObjectArena::Scope in_inner(inner);
      EXPECT_EQ(ObjectArena::current(), &inner);
      std::thread other([] { EXPECT_EQ(ObjectArena::current(), nullptr); });
      other.join();
    }
    EXPECT_EQ(ObjectArena::current(), &outer);
    auto cell = ObjectArena::make_current<Counted>(2);
    EXPECT_TRUE(cell->weak_from_this().expired());
    EXPECT_EQ(ObjectArena::owner_of(*cell).get(), cell.get());
  }
  EXPECT_EQ(ObjectArena::current(), nullptr);
  EXPECT_EQ(ObjectArena::owner_of(*heap), nullptr);
}

TEST_F(ObjectArenaTest, TheLastReferenceMayGoOnAnotherThread) {
  std::vector<std::shared_ptr<Counted>> objects;
  {
    ObjectArena arena;
    for (int i = 0; i < 5000; ++i) {
      objects.push_back(arena.make<Counted>(i));
    }
  }
  std::thread first([part = std::vector(objects.begin(), objects.begin() + 2500)]() mutable { part.clear(); });
  std::thread second([part = std::vector(objects.begin() + 2500, objects.end())]() mutable { part.clear(); });
  objects.clear();
  first.join();
  second.join();
}

}  // namespace
}  // namespace Tolvane::Core
