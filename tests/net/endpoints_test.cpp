#include "net/endpoints/Endpoints.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

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

}  // namespace
}  // namespace quillora::net
