// Update and toolbox files are served whole with their length, each with a
// detached signature that checks against the service's public key.

#include <gtest/gtest.h>

#include "LoopbackService.h"
#include "service/signing/DownloadSigner.h"

namespace quillora::service {
namespace {

using testing::Curl;
using testing::LoopbackService;
using testing::ReadAll;
using testing::WriteAll;

class Downloads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service.Start()); }

    // Checks one served file: status, exact bytes, Content-Length, signature.
    void ExpectServed(const std::string& path, const std::string& bytes) {
        auto answer = Curl::Get(service.Base() + path);
        EXPECT_EQ(answer.status, 200) << path;
        EXPECT_EQ(answer.body, bytes) << path;
        EXPECT_EQ(answer.headers["content-length"], std::to_string(bytes.size())) << path;
        const auto signature = Curl::Get(service.Base() + path + ".sig");
        EXPECT_EQ(signature.status, 200) << path;
        EXPECT_TRUE(VerifyDetachedSignature(PublicKey(), bytes, signature.body)) << path;
    }

    std::string PublicKey() const { return ReadAll(service.Data() / "signing-public.pem"); }

    LoopbackService service;
};

TEST_F(Downloads, DefaultUpdateFilesAreServedAndSigned) {
    ExpectServed("/quillora/newversion.htm", "version=<#1.0.0.0#>\r\n");
    ExpectServed("/quillora/patchversion.htm", "version=\r\n");
    ExpectServed("/quillora/cd.cab", ReadAll(service.Data() / "update" / "cd.cab"));
    ExpectServed("/quillora/version.htm", ReadAll(service.Data() / "update" / "version.htm"));
    // Nothing published yet.
    EXPECT_EQ(Curl::Get(service.Base() + "/quillora/QuilloraSetup.exe").status, 404);
    EXPECT_EQ(Curl::Get(service.Base() + "/quillora/QuilloraSetup.exe.sig").status, 404);
}

TEST_F(Downloads, PublishedInstallerToolboxAndToolsAreServed) {
    std::string installer(300000, '\0');
    for (std::size_t i = 0; i < installer.size(); ++i) {
        installer[i] = static_cast<char>(i % 251);
    }
    WriteAll(service.Data() / "update" / "QuilloraSetup.exe", installer);
    WriteAll(service.Data() / "update" / "patch.dll.cab", "patch");
    std::filesystem::create_directories(service.Data() / "toolbox" / "quillora");
    WriteAll(service.Data() / "toolbox" / "quillora" / "version.html", "version=1.2.0.0");
    WriteAll(service.Data() / "toolbox" / "quillora" / "toolbox.zip", "archive bytes");
    WriteAll(service.Data() / "toolbox" / "download" / "Tool_Setup-2.exe", "tool installer");

    ExpectServed("/quillora/QuilloraSetup.exe", installer);
    ExpectServed("/quillora/patch.dll.cab", "patch");
    ExpectServed("/quillora/version.html", "version=1.2.0.0");
    ExpectServed("/quillora/toolbox.zip", "archive bytes");
    ExpectServed("/download/Tool_Setup-2.exe", "tool installer");
}

TEST_F(Downloads, SignatureNoLongerMatchesAChangedFile) {
    const std::string path = "/quillora/newversion.htm";
    const std::string signature = Curl::Get(service.Base() + path + ".sig").body;
    WriteAll(service.Data() / "update" / "newversion.htm", "version=<#9.9.9.9#>\r\n");
    EXPECT_FALSE(
        VerifyDetachedSignature(PublicKey(), Curl::Get(service.Base() + path).body, signature));
    EXPECT_TRUE(VerifyDetachedSignature(PublicKey(), Curl::Get(service.Base() + path).body,
                                        Curl::Get(service.Base() + path + ".sig").body));
}

TEST_F(Downloads, NothingOutsideThePublishedFoldersIsReachable) {
    for (const char* path :
         {"/signing-key.pem", "/service.json", "/download/..%2Fservice.json",
          "/download/../signing-key.pem", "/quillora/../signing-key.pem", "/quillora/other.htm",
          "/Quillora/version.html", "/download/.hidden", "/reports/action.jsonl"}) {
        auto answer = Curl::Get(service.Base() + path);
        EXPECT_EQ(answer.status, 404) << path;
        EXPECT_EQ(answer.body.find("PRIVATE KEY"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace quillora::service
