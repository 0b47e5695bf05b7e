#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "orvel/supports/database/data_cache.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

TEST(DataCache, StoresReplacesAndForgets) {
  DataCachePtr cache = DataCache::create();
  EXPECT_EQ(cache->lookup("table"), std::nullopt);
  cache->append("table", "t1");
  cache->append("view", "");
  EXPECT_EQ(cache->lookup("table"), "t1");
  EXPECT_EQ(cache->lookup("view"), "");
  cache->append("table", "t2");
  EXPECT_EQ(cache->lookup("table"), "t2");
  EXPECT_EQ(cache->size(), 2u);

  // The cache keeps copies, not the caller's buffers.
  std::string key = "index";
  std::string value = "i1";
  cache->append(key, value);
  key[0] = 'X';
  value[0] = 'X';
  EXPECT_EQ(cache->lookup("index"), "i1");

  cache->clear();
  EXPECT_EQ(cache->lookup("table"), std::nullopt);
  EXPECT_EQ(cache->lookup("index"), std::nullopt);
  EXPECT_EQ(cache->size(), 0u);
}

TEST(DataCache, MissingKeyOrValueIsAProgrammingError) {
  DataCachePtr cache = DataCache::create();
  Testing::GLibLogCapture log;
  cache->append(std::nullopt, "v");
  cache->append("k", std::nullopt);
  EXPECT_EQ(cache->lookup(std::nullopt), std::nullopt);
  EXPECT_EQ(cache->size(), 0u);
  EXPECT_TRUE(log.has_critical("key != NULL"));
  EXPECT_TRUE(log.has_critical("value != NULL"));
}

TEST(DataCache, ReadersNeverSeeHalfWrittenValuesWhileOthersWriteAndClear) {
  DataCachePtr cache = DataCache::create();
  constexpr int writers = 3;
  constexpr int rounds = 2000;
  std::atomic<bool> torn{false};
  std::vector<std::thread> threads;
  for (int w = 0; w < writers; ++w) {
    threads.emplace_back([&, w] {
      // Long enough to live on the heap, so a torn copy would show.
      const std::string value(64, static_cast<char>('a' + w));
      for (int i = 0; i < rounds; ++i) {
        cache->append("shared", value);
        cache->append("own" + std::to_string(w), value);
      }
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < rounds; ++i) {
      if (auto seen = cache->lookup("shared")) {
        if (seen->size() != 64 || seen->find_first_not_of((*seen)[0]) != std::string::npos) {
          torn = true;
        }
      }
      if (i % 100 == 0) {
        cache->clear();
      }
    }
  });
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_FALSE(torn);
}

TEST(DataCache, LockedWorkRunsAsOneStep) {
  DataCachePtr cache = DataCache::create();
  std::atomic<int> computed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        const std::string key = "k" + std::to_string(i);
        cache->locked([&](DataCache& locked) {
          // Re-entering the cache while holding its lock must not deadlock.
          if (!locked.lookup(key)) {
            ++computed;
            locked.append(key, "v");
          }
        });
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(computed, 500);
  EXPECT_EQ(cache->size(), 500u);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
