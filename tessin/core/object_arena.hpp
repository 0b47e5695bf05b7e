#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// Builds many small objects one after another in large blocks of memory, for
// producers that make a great many of them at once (the cells of a result
// grid). Every reference to an object made here shares the count of the
// object's block: an object needs no heap allocation and no count of its own,
// a block lives as long as any of its objects is referenced, and then destroys
// them all and goes back to the heap in one piece.
//
// What differs from objects made by std::make_shared:
// - an object dropped while others of its block are still referenced is
//   destroyed together with the block, not at once;
// - an object must not hold a reference to an object of its own block (in
//   attached data or a signal slot), or the block keeps itself alive;
// - `Object::self()` works, std's `shared_from_this()` does not.
//
// An arena is used by one thread at a time; its objects' references travel
// between threads like any others.
class TESSIN_API ObjectArena {
 public:
  // `first_room`: bytes of objects the first block holds (a producer that
  // knows it makes few objects keeps a small result small); later blocks double
  // up to 64 KiB.
  explicit ObjectArena(std::size_t first_room = 448) noexcept;
  ~ObjectArena() = default;
  ObjectArena(const ObjectArena&) = delete;
  ObjectArena& operator=(const ObjectArena&) = delete;

  // A new T in the arena.
  template <class T, class... Args>
  std::shared_ptr<T> make(Args&&... args) {
    static_assert(std::is_base_of_v<Object, T>, "arenas hold objects of the system");
    static_assert(alignof(T) <= kAlignment, "arena objects are aligned to 8 bytes");
    static_assert(sizeof(T) <= kLargest, "large objects belong on the heap");
    void* place = reserve(sizeof(T));
    T* object = ::new (place) T(std::forward<Args>(args)...);
    keep(sizeof(T), *object);
    return std::shared_ptr<T>(m_block, object);
  }

  // Makes `arena` this thread's current arena while it lives (scopes nest).
  class TESSIN_API Scope {
   public:
    explicit Scope(ObjectArena& arena) noexcept;
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ObjectArena* m_previous;
  };

  // This thread's current arena, if a scope is open.
  static ObjectArena* current() noexcept;

  // A new T in this thread's current arena, or on the heap when there is none.
  template <class T, class... Args>
  static std::shared_ptr<T> make_current(Args&&... args) {
    if (ObjectArena* arena = current()) {
      return arena->make<T>(std::forward<Args>(args)...);
    }
    return std::make_shared<T>(std::forward<Args>(args)...);
  }

  // A reference to `object` sharing its block, or null when it was not made
  // in an arena (or its block is being destroyed).
  static ObjectPtr owner_of(const Object& object);

  static constexpr std::size_t kAlignment = 8;
  static constexpr std::size_t kLargest = 1024;

 private:
  struct Block;

  // Room for an object of `size` bytes and its entry in the block's list,
  // in the current block or a new one.
  void* reserve(std::size_t size);
  // Lists the object just built in the room `reserve` gave (`size` bytes), so
  // the block destroys it.
  void keep(std::size_t size, Object& object) noexcept;

  std::shared_ptr<Block> m_block;  // the block being filled
  std::size_t m_next_block;        // the size of the next block
};

}  // namespace Tolvane::Core
