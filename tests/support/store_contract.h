// The contract suite of the store calls and the access operations (tests/unit/
// access_contract_test.cpp) runs against every store backend. A backend registers a factory
// that gives a fresh store and a scratch key (root + base path) the test may fill; the
// factory's cleanup removes the scratch key.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "store/store.h"

namespace hivewarden::testing {

struct ScratchStore {
    std::unique_ptr<registry::RegistryStore> Store;
    registry::RootKey Root = 0;
    std::string Base;  // the scratch key below Root; exists and is empty
    std::function<void()> Cleanup;
    // Wine keeps values sorted by name; Windows and the memory store keep insertion order.
    bool ValuesInInsertionOrder = true;
};

struct StoreBackend {
    std::string Name;
    std::function<ScratchStore()> Make;
};

inline std::string BackendName(const ::testing::TestParamInfo<StoreBackend>& info) {
    return info.param.Name;
}

class AccessContract : public ::testing::TestWithParam<StoreBackend> {};

}  // namespace hivewarden::testing
