#include "net/endpoints/Endpoints.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "net/endpoints/NetworkConfig.h"
#include "net/transport/TransportOptions.h"

namespace quillora::net {
namespace {

// An [Endpoints] section held in memory; keys as the file would spell them.
ProfileReader Section(std::map<std::string, std::string> entries) {
    return [entries](const std::string& section, const std::string& key) {
        if (section != kEndpointsSection) {
            return std::string();
        }
        const auto it = entries.find(key);
        return it != entries.end() ? it->second : std::string();
    };
}

TEST(Endpoints, EveryHostDefaultsToTheLocalService) {
    const EndpointTable table;
    for (std::size_t i = 0; i < kServiceCount; ++i) {
        EXPECT_EQ(table.Base(static_cast<Service>(i)), "http://127.0.0.1:17650");
    }
    EXPECT_EQ(table.Url(Service::Matting, "/quillora/cutout.py"),
              "http://127.0.0.1:17650/quillora/cutout.py");
    EXPECT_EQ(table.HostAndPort(Service::Statistics), "127.0.0.1:17650");
}

TEST(Endpoints, ConfigEntriesReplaceSingleHosts) {
    const auto table = EndpointTable::Load(Section({{"Matting", "https://cut.example.org/"},
                                                    {"Update", " http://up.example.org:8080 "}}),
                                           "");
    EXPECT_EQ(table.Base(Service::Matting), "https://cut.example.org");
    EXPECT_EQ(table.Base(Service::Update), "http://up.example.org:8080");
    EXPECT_EQ(table.HostAndPort(Service::Update), "up.example.org:8080");
    EXPECT_EQ(table.Base(Service::Config), kDefaultServiceBase);
    EXPECT_EQ(table.Base(Service::Toolbox), kDefaultServiceBase);
}

TEST(Endpoints, UnusableEntriesKeepTheDefault) {
    const auto table = EndpointTable::Load(Section({{"ServerTime", "ftp://time.example.org"},
                                                    {"Config", "config.example.org"},
                                                    {"Matting", "http://"},
                                                    {"Statistics", "http://a b"}}),
                                           "");
    for (std::size_t i = 0; i < kServiceCount; ++i) {
        EXPECT_EQ(table.Base(static_cast<Service>(i)), kDefaultServiceBase) << i;
    }
}

TEST(Endpoints, OverrideReplacesEveryHostIncludingConfiguredOnes) {
    const auto table = EndpointTable::Load(Section({{"Matting", "https://cut.example.org"}}),
                                           "http://127.0.0.1:4321/");
    for (std::size_t i = 0; i < kServiceCount; ++i) {
        EXPECT_EQ(table.Base(static_cast<Service>(i)), "http://127.0.0.1:4321") << i;
    }
}

TEST(Endpoints, EnvironmentVariableIsTheOverride) {
    ::setenv(kServiceOverrideVariable, "http://10.0.0.7:99", 1);
    const auto overridden = EndpointTable::LoadWithEnvironment(nullptr);
    ::unsetenv(kServiceOverrideVariable);
    const auto plain = EndpointTable::LoadWithEnvironment(nullptr);
    EXPECT_EQ(overridden.Base(Service::Toolbox), "http://10.0.0.7:99");
    EXPECT_EQ(plain.Base(Service::Toolbox), kDefaultServiceBase);
}

TEST(Endpoints, InstalledTableIsWhatEveryoneReads) {
    EndpointTable table;
    ASSERT_TRUE(table.SetBase(Service::Config, "http://cfg.example.org"));
    EXPECT_FALSE(table.SetBase(Service::Config, "not an address"));
    InstallEndpoints(table);
    EXPECT_EQ(CurrentEndpoints().Base(Service::Config), "http://cfg.example.org");
    InstallEndpoints(EndpointTable());
    EXPECT_EQ(CurrentEndpoints().Base(Service::Config), kDefaultServiceBase);
}

class NetworkConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv(kServiceOverrideVariable);
        path_ = std::filesystem::temp_directory_path() /
                ("quillora-netcfg-" + std::to_string(::getpid()) + ".ini");
    }
    void TearDown() override {
        std::filesystem::remove(path_);
        SetVerifyTls(true);
        InstallEndpoints(EndpointTable());
    }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

    std::filesystem::path path_;
};

TEST_F(NetworkConfigFile, ReadsEndpointsAndTheTlsSwitch) {
    Write(
        "[setting]\nx=1\n[endpoints]\nmatting = http://cut.example.org:81/\n"
        "[NETWORK]\nverifytls= 0\n");
    LoadNetworkConfig(path_.string());
    EXPECT_FALSE(VerifyTls());
    EXPECT_EQ(CurrentEndpoints().Base(Service::Matting), "http://cut.example.org:81");
    EXPECT_EQ(CurrentEndpoints().Base(Service::Config), kDefaultServiceBase);
}

TEST_F(NetworkConfigFile, VerificationStaysOnUnlessTheValueIsZero) {
    for (const char* value : {"1", "", "yes0", "false", "0x1", "-0"}) {
        SetVerifyTls(false);
        Write(std::string("[Network]\nVerifyTls=") + value + "\n");
        LoadNetworkConfig(path_.string());
        EXPECT_TRUE(VerifyTls()) << value;
    }
    Write("[Network]\nVerifyTls=00\n");
    LoadNetworkConfig(path_.string());
    EXPECT_FALSE(VerifyTls());
    SetVerifyTls(false);
    LoadNetworkConfig((path_.string() + ".missing"));
    EXPECT_TRUE(VerifyTls());
    EXPECT_EQ(CurrentEndpoints().Base(Service::Update), kDefaultServiceBase);
}

}  // namespace
}  // namespace quillora::net
