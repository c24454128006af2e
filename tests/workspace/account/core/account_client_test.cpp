// Sign-in, sign-out and the refresh of the signed-in user through the
// program's own client, against the reference service on a loopback port.

#include <gtest/gtest.h>
#include <json/reader.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sstream>
#include <thread>

#include "app/shell/core/LogFile.h"
#include "service/account/AccountToken.h"
#include "tests/service/net/LoopbackService.h"
#include "workspace/core/account/AccountClient.h"
#include "workspace/core/account/AccountSession.h"

namespace quillora::account {
namespace {

using service::testing::LoopbackService;
using service::testing::ReadAll;
using service::testing::WriteAll;

constexpr const char* kSmsKey = "qlr-sms-2c5f8a1e7d3b9046";

class AccountClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        std::filesystem::create_directories(service_.Data() / "account");
        WriteAll(service_.Data() / "account" / "settings.json",
                 R"({"codeLifetimeSeconds": 2, "wrongCodeLimit": 3, "resendSeconds": 0})");
        ASSERT_TRUE(service_.Start());
    }

    AccountClient Client(AccountClient::LogSink log = nullptr) const {
        return AccountClient(service_.Base(), kSmsKey, std::move(log));
    }
    QuilloraRegistry Registry() const {
        return QuilloraRegistry(platform::RegistryStore(folder_.filePath("user.ini")),
                                platform::RegistryStore(folder_.filePath("machine.ini")));
    }
    // The code the service logged for the number (its stand-in for a text).
    std::string LoggedCode(const std::string& phone) const {
        std::istringstream lines(ReadAll(service_.Data() / "account" / "codes.log"));
        std::string line;
        std::string code;
        while (std::getline(lines, line)) {
            Json::Value value;
            if (Json::Reader().parse(line, value) && value["phone"].asString() == phone) {
                code = value["code"].asString();
            }
        }
        return code;
    }
    SignInResult SignedIn(const AccountClient& client, const std::string& phone) const {
        EXPECT_EQ(client.RequestCode(QString::fromStdString(phone)).status, AccountStatus::Ok);
        const std::string number = NormalisePhone(QString::fromStdString(phone)).toStdString();
        return client.SignIn(QString::fromStdString(phone),
                             QString::fromStdString(LoggedCode(number)));
    }

    QTemporaryDir folder_;
    LoopbackService service_;
};

TEST_F(AccountClientTest, SignInIsKeptInTheRegistryAndConfirmedByTheRefresh) {
    const AccountClient client = Client();
    const SignInResult signIn = SignedIn(client, "138 1234 5678");
    ASSERT_EQ(signIn.status, AccountStatus::Ok) << signIn.reason.toStdString();
    EXPECT_GT(signIn.user.id, 0);
    EXPECT_EQ(signIn.user.name, QStringLiteral("138****5678"));

    AccountSession session(Registry());
    EXPECT_FALSE(session.Load());
    ASSERT_TRUE(session.Remember(signIn));
    EXPECT_EQ(Registry().readJwt(), signIn.token);
    EXPECT_EQ(session.UserIdText(), QString::number(signIn.user.id));

    // The next start reads the user from the stored token before the
    // service has answered, then has it confirmed.
    AccountSession restarted(Registry());
    ASSERT_TRUE(restarted.Load());
    EXPECT_FALSE(restarted.Confirmed());
    EXPECT_EQ(restarted.User(), signIn.user);
    const UserResult fetched = client.FetchUser(restarted.Token());
    ASSERT_EQ(fetched.status, AccountStatus::Ok);
    EXPECT_EQ(fetched.user, signIn.user);
    EXPECT_EQ(restarted.ApplyRefresh(restarted.Token(), fetched),
              AccountSession::RefreshOutcome::Confirmed);
    EXPECT_TRUE(restarted.Confirmed());
}

TEST_F(AccountClientTest, WrongCodesAreCountedThenTheCodeIsWithdrawn) {
    const AccountClient client = Client();
    ASSERT_EQ(client.RequestCode(QStringLiteral("13800000001")).status, AccountStatus::Ok);
    const std::string code = LoggedCode("13800000001");
    const QString wrong = code == "000000" ? QStringLiteral("111111") : QStringLiteral("000000");
    SignInResult result = client.SignIn(QStringLiteral("13800000001"), wrong);
    EXPECT_EQ(result.status, AccountStatus::Refused);
    EXPECT_EQ(result.reason, QStringLiteral("wrong_code"));
    EXPECT_EQ(result.triesLeft, 2);
    EXPECT_EQ(client.SignIn(QStringLiteral("13800000001"), wrong).triesLeft, 1);
    EXPECT_EQ(client.SignIn(QStringLiteral("13800000001"), wrong).reason,
              QStringLiteral("too_many"));
    result = client.SignIn(QStringLiteral("13800000001"), QString::fromStdString(code));
    EXPECT_EQ(result.status, AccountStatus::Refused);
    EXPECT_TRUE(result.token.isEmpty());
    AccountSession session(Registry());
    EXPECT_FALSE(session.Remember(result));
    EXPECT_TRUE(Registry().readJwt().isEmpty());
}

TEST_F(AccountClientTest, ExpiredCodeIsRefused) {
    const AccountClient client = Client();
    ASSERT_EQ(client.RequestCode(QStringLiteral("13800000002")).status, AccountStatus::Ok);
    const QString code = QString::fromStdString(LoggedCode("13800000002"));
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    const SignInResult result = client.SignIn(QStringLiteral("13800000002"), code);
    EXPECT_EQ(result.status, AccountStatus::Refused);
    EXPECT_EQ(result.reason, QStringLiteral("expired"));
}

TEST_F(AccountClientTest, SignOutForgetsTheTokenAndAStaleRefreshChangesNothing) {
    const AccountClient client = Client();
    const SignInResult signIn = SignedIn(client, "13800000003");
    AccountSession session(Registry());
    ASSERT_TRUE(session.Remember(signIn));
    Registry().writeHeadImage(u"avatar.png");
    const QString asked = session.Token();
    const UserResult answer = client.FetchUser(asked);

    session.Forget();
    EXPECT_FALSE(session.SignedIn());
    EXPECT_TRUE(session.UserIdText().isEmpty());
    EXPECT_TRUE(Registry().readJwt().isEmpty());
    EXPECT_TRUE(Registry().readHeadImage().isEmpty());
    AccountSession restarted(Registry());
    EXPECT_FALSE(restarted.Load());

    // The refresh asked before the sign-out comes back afterwards.
    EXPECT_EQ(session.ApplyRefresh(asked, answer), AccountSession::RefreshOutcome::Stale);
    EXPECT_FALSE(session.SignedIn());
    EXPECT_EQ(session.User(), AccountUser{});
}

TEST_F(AccountClientTest, RefreshWithoutTheServiceKeepsTheSignIn) {
    const AccountClient client = Client();
    const SignInResult signIn = SignedIn(client, "13800000004");
    AccountSession session(Registry());
    ASSERT_TRUE(session.Remember(signIn));
    const std::string base = service_.Base();
    service_.Stop();

    const UserResult answer = AccountClient(base, kSmsKey).FetchUser(session.Token());
    EXPECT_EQ(answer.status, AccountStatus::NetworkFailed);
    EXPECT_EQ(session.ApplyRefresh(session.Token(), answer),
              AccountSession::RefreshOutcome::NetworkLost);
    EXPECT_TRUE(session.SignedIn());
    EXPECT_EQ(session.User(), signIn.user);
    EXPECT_EQ(Registry().readJwt(), signIn.token);
    EXPECT_EQ(AccountClient(base, kSmsKey).RequestCode(QStringLiteral("13800000004")).status,
              AccountStatus::NetworkFailed);
}

TEST_F(AccountClientTest, RejectedTokenSignsOut) {
    const AccountClient client = Client();
    const SignInResult signIn = SignedIn(client, "13800000005");
    SignInResult altered = signIn;
    altered.token.chop(2);
    altered.token += QStringLiteral("xx");
    AccountSession session(Registry());
    ASSERT_TRUE(session.Remember(altered));
    const UserResult answer = client.FetchUser(session.Token());
    EXPECT_EQ(answer.status, AccountStatus::Refused);
    EXPECT_EQ(session.ApplyRefresh(session.Token(), answer),
              AccountSession::RefreshOutcome::SignedOut);
    EXPECT_FALSE(session.SignedIn());
    EXPECT_TRUE(Registry().readJwt().isEmpty());
}

TEST_F(AccountClientTest, NothingSecretReachesTheLog) {
    QTemporaryDir logFolder;
    const QString logPath = logFolder.filePath(QStringLiteral("run.dat"));
    shell::SetLogFilePath(logPath);
    const AccountClient client = Client([](const QString& line) { shell::WriteLog(line); });

    ASSERT_EQ(client.RequestCode(QStringLiteral("13812340001")).status, AccountStatus::Ok);
    const std::string code = LoggedCode("13812340001");
    const QString wrong = code == "000000" ? QStringLiteral("111111") : QStringLiteral("000000");
    EXPECT_EQ(client.SignIn(QStringLiteral("13812340001"), wrong).status, AccountStatus::Refused);
    const SignInResult signIn =
        client.SignIn(QStringLiteral("13812340001"), QString::fromStdString(code));
    ASSERT_EQ(signIn.status, AccountStatus::Ok);
    EXPECT_EQ(client.FetchUser(signIn.token + QStringLiteral("x")).status, AccountStatus::Refused);
    EXPECT_EQ(AccountClient("http://127.0.0.1:1", kSmsKey,
                            [](const QString& line) { shell::WriteLog(line); })
                  .FetchUser(signIn.token)
                  .status,
              AccountStatus::NetworkFailed);
    shell::SetLogFilePath(QString());

    QFile file(logPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    // The log does say what happened.
    EXPECT_TRUE(log.contains("signed in as user " + QByteArray::number(signIn.user.id)));
    EXPECT_TRUE(log.contains("wrong_code"));
    EXPECT_TRUE(log.contains("138******01"));
    EXPECT_FALSE(log.contains("13812340001"));
    EXPECT_FALSE(log.contains(QByteArray::fromStdString(code)));
    EXPECT_FALSE(log.contains(wrong.toUtf8()));
    for (const QString& part : signIn.token.split(u'.')) {
        EXPECT_FALSE(log.contains(part.toUtf8())) << part.toStdString();
    }
}

TEST(AccountTextTest, NumbersCodesAndTokenClaims) {
    EXPECT_EQ(NormalisePhone(QStringLiteral(" +86 (138) 1234-5678 ")),
              QStringLiteral("+8613812345678"));
    EXPECT_TRUE(NormalisePhone(QStringLiteral("12345")).isEmpty());
    EXPECT_TRUE(NormalisePhone(QStringLiteral("1380000000a")).isEmpty());
    EXPECT_TRUE(NormalisePhone(QStringLiteral("138+00000000")).isEmpty());
    EXPECT_EQ(NormaliseCode(QStringLiteral(" 123 456 ")), QStringLiteral("123456"));
    EXPECT_TRUE(NormaliseCode(QStringLiteral("12a456")).isEmpty());
    EXPECT_TRUE(NormaliseCode(QStringLiteral("123")).isEmpty());
    EXPECT_EQ(MaskedForLog(QStringLiteral("+8613812345678")), QStringLiteral("861********78"));

    // A token made by the service's own code, read back here.
    const std::string token = service::MakeToken({777, "Zoë", 1, 2}, "key");
    EXPECT_EQ(UserFromTokenClaims(QString::fromStdString(token)),
              (AccountUser{777, QStringLiteral("Zoë")}));
    EXPECT_EQ(UserFromTokenClaims(QStringLiteral("not a token")), AccountUser{});
    EXPECT_EQ(UserFromTokenClaims(QStringLiteral("a.%%%.c")), AccountUser{});
    EXPECT_EQ(UserFromTokenClaims(QString::fromStdString(service::MakeToken({0, "x", 1, 2}, "k"))),
              AccountUser{});
}

}  // namespace
}  // namespace quillora::account
