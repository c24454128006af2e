// The account service's rules on their own: codes, their lifetime, the limit
// of wrong tries, the resend pause, tokens and the users file.

#include <gtest/gtest.h>
#include <json/reader.h>
#include <openssl/hmac.h>
#include <sys/stat.h>

#include <cstdint>
#include <sstream>

#include "ServiceTempFolder.h"
#include "service/account/AccountStore.h"
#include "service/account/AccountToken.h"

namespace quillora::service {
namespace {

using testing::ReadAll;
using testing::TempFolder;
using testing::WriteAll;

class AccountStoreTest : public ::testing::Test {
protected:
    AccountStore MakeStore(AccountSettings settings) {
        return AccountStore(folder_.path() / "account", settings, [this] { return now_; });
    }

    // The code as the store wrote it to codes.log for that number (last one).
    std::string LoggedCode(const std::string& phone) {
        std::istringstream lines(ReadAll(folder_.path() / "account" / "codes.log"));
        std::string line;
        std::string code;
        while (std::getline(lines, line)) {
            Json::Value value;
            std::istringstream in(line);
            if (Json::parseFromStream(Json::CharReaderBuilder(), in, &value, nullptr) &&
                value["phone"].asString() == phone) {
                code = value["code"].asString();
            }
        }
        return code;
    }

    TempFolder folder_;
    std::int64_t now_ = 1'800'000'000;
};

TEST_F(AccountStoreTest, CodeSignsInOnceAndGivesTheSameUserNextTime) {
    AccountStore store = MakeStore({});
    ASSERT_TRUE(store.Prepare(nullptr));
    const auto issue = store.IssueCode("+86 138-1234-5678");
    ASSERT_EQ(issue.status, AccountStore::CodeIssue::Status::Issued);
    ASSERT_EQ(issue.code.size(), 6u);
    EXPECT_EQ(issue.code.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(LoggedCode("+8613812345678"), issue.code);

    const auto first = store.ExchangeCode("+8613812345678", issue.code);
    ASSERT_EQ(first.status, AccountStore::SignIn::Status::SignedIn);
    EXPECT_GT(first.user.id, 0);
    EXPECT_EQ(first.user.name, "861******5678");
    EXPECT_FALSE(first.token.empty());
    // A code works once.
    EXPECT_EQ(store.ExchangeCode("+8613812345678", issue.code).status,
              AccountStore::SignIn::Status::NoCode);

    now_ += 120;
    const auto again = store.IssueCode("+8613812345678");
    const auto second = store.ExchangeCode("+8613812345678", again.code);
    ASSERT_EQ(second.status, AccountStore::SignIn::Status::SignedIn);
    EXPECT_EQ(second.user.id, first.user.id);

    const auto other = store.IssueCode("13900001111");
    const auto third = store.ExchangeCode("13900001111", other.code);
    ASSERT_EQ(third.status, AccountStore::SignIn::Status::SignedIn);
    EXPECT_NE(third.user.id, first.user.id);
    EXPECT_EQ(third.user.name, "139****1111");
}

TEST_F(AccountStoreTest, CodeExpiresAfterItsLifetime) {
    AccountSettings settings;
    settings.codeLifetimeSeconds = 60;
    AccountStore store = MakeStore(settings);
    ASSERT_TRUE(store.Prepare(nullptr));
    const auto issue = store.IssueCode("13800000001");
    now_ += 59;
    const auto stillValid = store.IssueCode("13800000002");
    ASSERT_EQ(store.ExchangeCode("13800000002", stillValid.code).status,
              AccountStore::SignIn::Status::SignedIn);
    EXPECT_EQ(store.ExchangeCode("13800000001", issue.code).status,
              AccountStore::SignIn::Status::SignedIn);

    const auto late = store.IssueCode("13800000003");
    now_ += 60;
    EXPECT_EQ(store.ExchangeCode("13800000003", late.code).status,
              AccountStore::SignIn::Status::Expired);
    // An expired code is gone; it does not come back as a wrong code.
    EXPECT_EQ(store.ExchangeCode("13800000003", late.code).status,
              AccountStore::SignIn::Status::NoCode);
}

TEST_F(AccountStoreTest, WrongCodesAreLimitedPerNumber) {
    AccountSettings settings;
    settings.wrongCodeLimit = 3;
    settings.resendSeconds = 30;
    AccountStore store = MakeStore(settings);
    ASSERT_TRUE(store.Prepare(nullptr));
    const auto issue = store.IssueCode("13800000001");
    const auto neighbour = store.IssueCode("13800000002");
    const std::string wrong = issue.code == "000000" ? "000001" : "000000";

    auto result = store.ExchangeCode("13800000001", wrong);
    EXPECT_EQ(result.status, AccountStore::SignIn::Status::WrongCode);
    EXPECT_EQ(result.triesLeft, 2);
    result = store.ExchangeCode("13800000001", "12");
    EXPECT_EQ(result.status, AccountStore::SignIn::Status::WrongCode);
    EXPECT_EQ(result.triesLeft, 1);
    result = store.ExchangeCode("13800000001", wrong);
    EXPECT_EQ(result.status, AccountStore::SignIn::Status::Withdrawn);
    // The right code no longer helps once the code is withdrawn.
    EXPECT_EQ(store.ExchangeCode("13800000001", issue.code).status,
              AccountStore::SignIn::Status::Withdrawn);
    // The wrong tries of one number do not touch another's.
    EXPECT_EQ(store.ExchangeCode("13800000002", neighbour.code).status,
              AccountStore::SignIn::Status::SignedIn);

    // A new code is possible once the resend pause is over, and works.
    EXPECT_EQ(store.IssueCode("13800000001").status, AccountStore::CodeIssue::Status::TooSoon);
    now_ += 30;
    const auto fresh = store.IssueCode("13800000001");
    ASSERT_EQ(fresh.status, AccountStore::CodeIssue::Status::Issued);
    EXPECT_EQ(store.ExchangeCode("13800000001", fresh.code).status,
              AccountStore::SignIn::Status::SignedIn);
}

TEST_F(AccountStoreTest, ResendPauseAndInvalidNumbers) {
    AccountSettings settings;
    settings.resendSeconds = 60;
    AccountStore store = MakeStore(settings);
    ASSERT_TRUE(store.Prepare(nullptr));
    ASSERT_EQ(store.IssueCode("13800000001").status, AccountStore::CodeIssue::Status::Issued);
    now_ += 45;
    const auto soon = store.IssueCode("138 0000 0001");
    EXPECT_EQ(soon.status, AccountStore::CodeIssue::Status::TooSoon);
    EXPECT_EQ(soon.retryAfter, 15);
    for (const char* bad : {"", "12345", "1234567890123456", "+", "138abc45678", "++13800000001",
                            "1380000+0001", "13800000001\n"}) {
        EXPECT_EQ(store.IssueCode(bad).status, AccountStore::CodeIssue::Status::InvalidPhone)
            << bad;
        EXPECT_EQ(store.ExchangeCode(bad, "123456").status,
                  AccountStore::SignIn::Status::InvalidPhone)
            << bad;
    }
}

TEST_F(AccountStoreTest, TokensNameTheirUserUntilTheyExpire) {
    AccountSettings settings;
    settings.tokenLifetimeSeconds = 3600;
    AccountStore store = MakeStore(settings);
    ASSERT_TRUE(store.Prepare(nullptr));
    const auto issue = store.IssueCode("13800000001");
    const auto signIn = store.ExchangeCode("13800000001", issue.code);
    ASSERT_EQ(signIn.status, AccountStore::SignIn::Status::SignedIn);

    const auto user = store.UserForToken(signIn.token);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->id, signIn.user.id);
    EXPECT_EQ(user->name, signIn.user.name);

    std::string altered = signIn.token;
    altered[altered.size() / 2] = altered[altered.size() / 2] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(store.UserForToken(altered).has_value());
    EXPECT_FALSE(store.UserForToken("").has_value());
    EXPECT_FALSE(store.UserForToken("a.b.c").has_value());

    now_ += 3599;
    EXPECT_TRUE(store.UserForToken(signIn.token).has_value());
    now_ += 1;
    EXPECT_FALSE(store.UserForToken(signIn.token).has_value());
}

TEST_F(AccountStoreTest, UsersAndTheTokenKeySurviveARestart) {
    std::string token;
    std::int64_t id = 0;
    {
        AccountStore store = MakeStore({});
        ASSERT_TRUE(store.Prepare(nullptr));
        const auto issue = store.IssueCode("13800000001");
        const auto signIn = store.ExchangeCode("13800000001", issue.code);
        token = signIn.token;
        id = signIn.user.id;
    }
    struct stat info {};
    ASSERT_EQ(::stat((folder_.path() / "account" / "token-key").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    AccountStore restarted = MakeStore({});
    ASSERT_TRUE(restarted.Prepare(nullptr));
    const auto user = restarted.UserForToken(token);
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->id, id);
    now_ += 100;
    const auto issue = restarted.IssueCode("13800000002");
    const auto next = restarted.ExchangeCode("13800000002", issue.code);
    EXPECT_EQ(next.user.id, id + 1);
}

TEST_F(AccountStoreTest, SettingsFileIsClampedAndOptional) {
    const auto defaults = LoadAccountSettings(folder_.path() / "missing.json");
    EXPECT_EQ(defaults.codeLifetimeSeconds, 300);
    EXPECT_EQ(defaults.wrongCodeLimit, 5);
    WriteAll(folder_.path() / "s.json",
             R"({"codeLifetimeSeconds": 2, "wrongCodeLimit": 0, "resendSeconds": "x"})");
    const auto read = LoadAccountSettings(folder_.path() / "s.json");
    EXPECT_EQ(read.codeLifetimeSeconds, 2);
    EXPECT_EQ(read.wrongCodeLimit, 1);
    EXPECT_EQ(read.resendSeconds, defaults.resendSeconds);
    WriteAll(folder_.path() / "broken.json", "{\"codeLifetimeSeconds\": ");
    EXPECT_EQ(LoadAccountSettings(folder_.path() / "broken.json").codeLifetimeSeconds, 300);
}

// The token's signature checked with OpenSSL's HMAC directly.
TEST(AccountTokenTest, SignatureIsHmacSha256OverHeaderAndClaims) {
    const std::string key = "0123456789abcdef0123456789abcdef";
    const std::string token = MakeToken({42, "Ann", 1000, 2000}, key);
    const std::size_t lastDot = token.rfind('.');
    const std::string signedPart = token.substr(0, lastDot);
    unsigned char digest[32];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size(), digest,
         &length);
    ASSERT_EQ(length, 32u);
    const auto signature = Base64UrlDecode(token.substr(lastDot + 1));
    ASSERT_TRUE(signature.has_value());
    EXPECT_EQ(*signature, std::string(reinterpret_cast<char*>(digest), 32));

    const auto header = Base64UrlDecode(token.substr(0, token.find('.')));
    ASSERT_TRUE(header.has_value());
    EXPECT_NE(header->find("\"HS256\""), std::string::npos);

    const auto claims = VerifyToken(token, key, 1999);
    ASSERT_TRUE(claims.has_value());
    EXPECT_EQ(claims->userId, 42);
    EXPECT_EQ(claims->name, "Ann");
    EXPECT_FALSE(VerifyToken(token, key, 2000).has_value());
    EXPECT_FALSE(VerifyToken(token, "another key", 1500).has_value());
    EXPECT_FALSE(VerifyToken(token + ".x", key, 1500).has_value());
}

TEST(AccountTokenTest, Base64UrlRoundTripAndRefusals) {
    const std::string bytes("\xfb\xff\xfe\x00\x01?>", 7);
    const std::string text = Base64UrlEncode(bytes);
    EXPECT_EQ(text.find_first_of("+/="), std::string::npos);
    EXPECT_EQ(Base64UrlDecode(text), bytes);
    EXPECT_EQ(Base64UrlEncode("f"), "Zg");
    EXPECT_FALSE(Base64UrlDecode("Zg==").has_value());
    EXPECT_FALSE(Base64UrlDecode("Z").has_value());
    EXPECT_FALSE(Base64UrlDecode("a+b/").has_value());
}

TEST(AccountPhoneTest, NormalisedAndMasked) {
    EXPECT_EQ(NormalisePhone(" (0)138-1234 5678 "), "013812345678");
    EXPECT_EQ(NormalisePhone("+44 20 7946 0958"), "+442079460958");
    EXPECT_EQ(MaskedPhone("13812345678"), "138****5678");
    EXPECT_EQ(MaskedPhone("+1234567"), "1234567");
}

}  // namespace
}  // namespace quillora::service
