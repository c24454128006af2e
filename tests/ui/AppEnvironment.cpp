#include "UiTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Widgets may be members of test fixtures, built before SetUp: the
// application exists before the first test, also when one test runs alone.
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { quillora::ui::test::App(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
