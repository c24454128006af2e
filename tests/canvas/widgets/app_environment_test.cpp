#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace {

// One application object for every widget test of this program.
class WidgetApplication : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "canvas_widgets";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new WidgetApplication);

}  // namespace
