#include "app/shell/core/ProcessValues.h"
#include "app/shell/core/Reports.h"

#include <gtest/gtest.h>

namespace quillora::shell {
namespace {

TEST(VersionTest, TextAndNumberFollowTheParts) {
    EXPECT_EQ(VersionText({1, 2, 3, 4}), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(VersionNumber(ProgramVersion{1, 2, 3, 4}), 123);
    // The parts are run together, not weighted: 1.10.2 gives 1102.
    EXPECT_EQ(VersionNumber(ProgramVersion{1, 10, 2, 0}), 1102);
    EXPECT_EQ(VersionNumber(QStringLiteral("2.0.7.15")), 207);
    EXPECT_EQ(VersionNumber(QStringLiteral("")), 0);
    EXPECT_EQ(VersionNumber(QStringLiteral("3")), 300);
    const ProgramVersion built = BuiltVersion();
    EXPECT_GT(built.major + built.minor + built.patch, 0);
}

TEST(BrandingTest, BrandingNameWinsWhenItHasOne) {
    EXPECT_EQ(BrandedName(QStringLiteral("Quillora"), QString()), QStringLiteral("Quillora"));
    EXPECT_EQ(BrandedName(QStringLiteral("Quillora"), QStringLiteral("Acme Cut")),
              QStringLiteral("Acme Cut"));
}

class FakeReporter : public StartupReporter {
public:
    void SetContext(const ReportContext&) override {}
    void UploadFile(const QString&) override {}
    void SendAction(int, bool) override {}
    void SendEvents() override {}
};

TEST(ReportSeamTest, EmptyUntilSomethingIsPluggedIn) {
    SetReporterFactory(nullptr);
    SetMachineCodeSource(nullptr);
    EXPECT_EQ(MakeReporter(), nullptr);
    EXPECT_EQ(MachineCode(), QString());
    SetReporterFactory([] { return std::make_unique<FakeReporter>(); });
    SetMachineCodeSource([] { return QStringLiteral("ABCDEF0123456789"); });
    EXPECT_NE(MakeReporter(), nullptr);
    EXPECT_EQ(MachineCode(), QStringLiteral("ABCDEF0123456789"));
    SetReporterFactory(nullptr);
    SetMachineCodeSource(nullptr);
}

}  // namespace
}  // namespace quillora::shell
