#include "tessin/core/object_arena.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace Tolvane::Core {

namespace {

// Blocks start small, so a result of a few cells costs little more than its
// cells, and double up to a size at which a million-cell grid needs a few
// thousand blocks while a cell kept after its grid is gone holds on to little.
constexpr std::size_t kLargestBlock = 64 * 1024;

// Objects are listed by their offset in the block, in units of the alignment.
using Entry = std::uint16_t;
static_assert(kLargestBlock / ObjectArena::kAlignment <= 65536, "every offset fits an entry");

constexpr std::size_t round_up(std::size_t size) {
  return (size + ObjectArena::kAlignment - 1) & ~(ObjectArena::kAlignment - 1);
}

thread_local ObjectArena* t_current = nullptr;

// The live blocks by address, so that an object can find its block. Only
// Object::self() asks, so the lock is on no fast path.
struct Registry {
  std::mutex mutex;
  std::map<std::uintptr_t, std::uintptr_t> blocks;  // start to end; guarded by mutex
};

Registry& registry() {
  static auto* instance = new Registry();  // outlives every block, even at exit
  return *instance;
}

}  // namespace

// The head of a block's memory. Objects follow it upwards; the list of their
// offsets grows downwards from the end.
struct ObjectArena::Block {
  std::byte* cursor = nullptr;
  Entry* entries = nullptr;
  Entry* end = nullptr;
  // Lets an object of the block hand out references that share the block's count.
  std::weak_ptr<Block> self;

  std::byte* base() noexcept { return reinterpret_cast<std::byte*>(this); }
  std::size_t room() const noexcept {
    return static_cast<std::size_t>(reinterpret_cast<const std::byte*>(entries) - cursor);
  }

  // Runs when the last reference to the block or any of its objects is gone.
  static void release(Block* block) noexcept {
    {
      Registry& r = registry();
      std::lock_guard lock(r.mutex);
      r.blocks.erase(reinterpret_cast<std::uintptr_t>(block));
    }
    for (Entry* entry = block->entries; entry < block->end; ++entry) {
      reinterpret_cast<Object*>(block->base() + (std::size_t{*entry} * kAlignment))->~Object();
    }
    block->~Block();
    std::free(block);
  }
};

ObjectArena::ObjectArena(std::size_t first_room) noexcept
    : m_next_block(std::min(round_up(sizeof(Block)) + round_up(first_room), kLargestBlock)) {}

void* ObjectArena::reserve(std::size_t size) {
  const std::size_t needed = round_up(size) + sizeof(Entry);
  if (m_block && m_block->room() >= needed) {
    return m_block->cursor;
  }
  const std::size_t block_size = std::max(m_next_block, round_up(sizeof(Block)) + needed);
  m_next_block = std::min(m_next_block * 2, kLargestBlock);
  void* memory = std::malloc(block_size);
  if (memory == nullptr) {
    throw std::bad_alloc();
  }
  auto* block = ::new (memory) Block();
  block->cursor = block->base() + round_up(sizeof(Block));
  block->end = reinterpret_cast<Entry*>(block->base() + block_size);
  block->entries = block->end;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.blocks.emplace(reinterpret_cast<std::uintptr_t>(block), reinterpret_cast<std::uintptr_t>(block->end));
  }
  // Should making the count fail, the release runs at once.
  m_block = std::shared_ptr<Block>(block, &Block::release);
  block->self = m_block;
  return block->cursor;
}

void ObjectArena::keep(std::size_t size, Object& object) noexcept {
  Block& block = *m_block;
  // The Object part of a class may sit after the start of its room.
  *--block.entries = static_cast<Entry>(static_cast<std::size_t>(reinterpret_cast<std::byte*>(&object) - block.base()) /
                                        kAlignment);
  block.cursor += round_up(size);
}

ObjectArena::Scope::Scope(ObjectArena& arena) noexcept : m_previous(t_current) { t_current = &arena; }

ObjectArena::Scope::~Scope() { t_current = m_previous; }

ObjectArena* ObjectArena::current() noexcept { return t_current; }

ObjectPtr ObjectArena::owner_of(const Object& object) {
  const auto address = reinterpret_cast<std::uintptr_t>(&object);
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.blocks.upper_bound(address);
  if (it == r.blocks.begin()) {
    return nullptr;
  }
  --it;
  if (address >= it->second) {
    return nullptr;
  }
  // A block still listed has not been freed (its release takes the lock before
  // anything else); lock() fails when that release is on its way.
  std::shared_ptr<Block> block = reinterpret_cast<Block*>(it->first)->self.lock();
  if (!block) {
    return nullptr;
  }
  return ObjectPtr(std::move(block), const_cast<Object*>(&object));
}

}  // namespace Tolvane::Core
