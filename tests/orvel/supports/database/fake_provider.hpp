#pragma once

#include <atomic>
#include <memory>

#include "orvel/supports/database/connection_impl.hpp"
#include "tessin/contracts/provider.hpp"
#include "tessin/contracts/values.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {

// A provider whose every operation fails with `failure` while `failing` is set
// (by default an error of code 0 with a message, which only some asynchronous
// operations count as a failure) and succeeds with small fixed results
// otherwise. It counts the calls that reach it.
class FakeProvider : public Core::Object, public Providers::Contracts::IProvider {
 public:
  static std::shared_ptr<FakeProvider> create() { return std::make_shared<FakeProvider>(); }

  Core::Error failure{"Fake", 0, "the fake says no"};
  std::atomic<bool> failing{true};
  std::atomic<bool> opened{false};
  std::atomic<int> calls{0};

  Core::Status open(const Providers::Contracts::ServerPtr&, const std::string&) override {
    ++calls;
    if (failing) {
      return Core::fail(failure);
    }
    opened = true;
    return {};
  }
  void close() override {
    ++calls;
    opened = false;
  }
  Core::Result<Providers::Contracts::TableModelPtr> execute_model(const std::string&, bool) override {
    ++calls;
    if (failing) {
      return Core::fail(failure);
    }
    return Providers::Contracts::TableModel::create();
  }
  Core::Result<std::int64_t> execute_affect(const std::string&, bool) override {
    ++calls;
    if (failing) {
      return Core::fail(failure);
    }
    return 3;
  }
  Core::Result<Providers::Contracts::ValueObjectPtr> execute_scalar(const std::string&, bool) override {
    ++calls;
    if (failing) {
      return Core::fail(failure);
    }
    return Providers::Contracts::ValueInt64::create(7);
  }
  Core::Result<std::vector<Core::ObjectPtr>> execute_statements(const std::string&, bool) override {
    ++calls;
    if (failing) {
      return Core::fail(failure);
    }
    return std::vector<Core::ObjectPtr>{Providers::Contracts::ValueUInt64::create(1)};
  }
  Core::Result<bool> transaction() override {
    ++calls;
    return true;
  }
  Core::Status commit() override {
    ++calls;
    return {};
  }
  Core::Status rollback() override {
    ++calls;
    return {};
  }
  bool get_is_opened() const override { return opened; }
};

// The generic connection over a provider the test hands it; with a version
// read that can be made to fail.
class FakeConnection : public ConnectionImpl {
 public:
  explicit FakeConnection(Providers::Contracts::IProviderPtr provider) { set_provider(std::move(provider)); }
  static std::shared_ptr<FakeConnection> create(Providers::Contracts::IProviderPtr provider) {
    return std::make_shared<FakeConnection>(std::move(provider));
  }

  std::optional<Core::Error> version_failure;

  Core::Status update_version() override {
    if (version_failure) {
      return Core::fail(*version_failure);
    }
    set_version("fake 1.0");
    return {};
  }
};

}  // namespace Tolvane::Orvel::Supports::Database::Testing
