// The account in the main window: the sign-in dialog, the login button, the
// user panel with the copy-id button, sign-out, the refresh of message 1027,
// and the feedback page in the web page dialog, against the reference service
// on a loopback port.

#include <gtest/gtest.h>
#include <json/reader.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <sstream>

#include "DialogTestSupport.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/LangLookup.h"
#include "app/core/language/Messages.h"
#include "app/core/settings/OemInfo.h"
#include "matting/config/ServiceFields.h"
#include "tests/service/net/LoopbackService.h"
#include "ui/MenuWnd.h"
#include "workspace/account/AccountHooks.h"
#include "workspace/account/FloatWnd.h"
#include "workspace/account/LoginDlg.h"
#include "workspace/frame/MainFrame.h"
#include "workspace/web/WebPageDlg.h"

namespace quillora {
namespace {

using service::testing::LoopbackService;
using service::testing::ReadAll;
using service::testing::WriteAll;

constexpr const char* kSmsKey = "qlr-sms-2c5f8a1e7d3b9046";

bool WaitFor(const std::function<bool()>& done, int milliseconds = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Pictures of the windows for looking at them, only when asked for.
void Shot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("QUILLORA_SHOT_DIR");
    if (!folder.isEmpty() && window != nullptr) {
        window->grab().save(folder + QLatin1Char('/') + QLatin1String(name) +
                            QStringLiteral(".png"));
    }
}

// Every message the program asks to show, answered with `answer`.
struct ShownMessages {
    QStringList texts;
    QList<unsigned> kinds;
    int answer = kMessageYes;
};

class AccountWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DialogApp();
        ASSERT_TRUE(registryFolder_.isValid());
        std::filesystem::create_directories(service_.Data() / "account");
        WriteAll(service_.Data() / "account" / "settings.json",
                 R"({"resendSeconds": 0, "wrongCodeLimit": 5})");
        ASSERT_TRUE(service_.Start());
        auto shown = shown_;
        SetMessagePresenter([shown](const MessageRequest& request) {
            shown->texts.append(request.text);
            shown->kinds.append(request.kind);
            return shown->answer;
        });
    }
    void TearDown() override {
        SetMessagePresenter(nullptr);
        if (frame_) {
            frame_->hide();
            frame_.reset();
        }
        QApplication::processEvents();
    }

    QuilloraRegistry Registry() const {
        return QuilloraRegistry(platform::RegistryStore(registryFolder_.filePath("user.ini")),
                                platform::RegistryStore(registryFolder_.filePath("machine.ini")));
    }

    CAccountHooks* MakeFrame() {
        MainFrameServices services;
        services.serviceFields =
            std::make_shared<matting::ServiceFields>(service_.Base() + "/quillora/cutout.py");
        frame_ = std::make_unique<CMainFrame>(oem_, std::move(services));
        EXPECT_TRUE(
            frame_->Create(nullptr, QStringLiteral("Quillora"), kMainFrameStyle, 0, 0, 1160, 760));
        frame_->ShowWindow();
        AccountHookOptions options;
        options.accountBase = service_.Base();
        options.signingKey = kSmsKey;
        options.feedbackUrl = QString::fromStdString(service_.Base() + "/feedback");
        options.registry = Registry();
        return CAccountHooks::Install(*frame_, options);
    }

    QString LoginText() const {
        auto* button = frame_->FindControl<QAbstractButton>(QStringLiteral("btnLogin"));
        return button != nullptr ? button->text() : QStringLiteral("<missing>");
    }

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

    // Signs in without the dialog, as an earlier run would have.
    account::SignInResult SignInDirectly(const std::string& phone) {
        const account::AccountClient client(service_.Base(), kSmsKey);
        EXPECT_EQ(client.RequestCode(QString::fromStdString(phone)).status,
                  account::AccountStatus::Ok);
        return client.SignIn(QString::fromStdString(phone),
                             QString::fromStdString(LoggedCode(phone)));
    }

    static QString MessageText(const LangKey& key) { return LangText(key); }

    OemInfo oem_;
    QTemporaryDir registryFolder_;
    LoopbackService service_;
    std::shared_ptr<ShownMessages> shown_ = std::make_shared<ShownMessages>();
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(AccountWindowTest, SignInThroughTheDialogNamesTheButton) {
    CAccountHooks* hooks = MakeFrame();
    QApplication::processEvents();
    EXPECT_EQ(LoginText(), LangText(langkey::ui::kNotLogin));

    bool acted = false;
    test::WhenShown<CLoginDlg>([&](CLoginDlg* dialog) {
        acted = true;
        // A number that is none is refused before anything is sent.
        dialog->SetText(QStringLiteral("edtPhone"), QStringLiteral("12-34"));
        test::ClickIn(dialog, "btnSendCode");
        dialog->SetText(QStringLiteral("edtPhone"), QStringLiteral("138 1234 5678"));
        test::ClickIn(dialog, "btnSendCode");
        ASSERT_TRUE(WaitFor([&] { return !LoggedCode("13812345678").empty(); }));
        ASSERT_TRUE(WaitFor([&] { return dialog->ResendCountdown() > 0; }));
        EXPECT_FALSE(dialog->FindControl(QStringLiteral("btnSendCode"))->isEnabled());
        Shot(dialog, "login_dialog");
        const std::string code = LoggedCode("13812345678");
        const QString wrong =
            code == "000000" ? QStringLiteral("111111") : QStringLiteral("000000");
        dialog->SetText(QStringLiteral("edtCode"), wrong);
        test::ClickIn(dialog, "btnLoginSubmit");
        ASSERT_TRUE(WaitFor([&] { return shown_->texts.size() >= 2; }));
        EXPECT_TRUE(dialog->GetText(QStringLiteral("edtCode")).isEmpty());
        dialog->SetText(QStringLiteral("edtCode"), QString::fromStdString(code));
        test::ClickIn(dialog, "btnLoginSubmit");
    });
    test::ClickIn(frame_.get(), "btnLogin");
    ASSERT_TRUE(acted);
    ASSERT_EQ(shown_->texts.size(), 2);
    EXPECT_EQ(shown_->texts[0], MessageText(langkey::message::kInvalidMobile));
    EXPECT_EQ(shown_->texts[1], MessageText(langkey::message::kInvalidVerifyCode));

    ASSERT_TRUE(hooks->Session().SignedIn());
    EXPECT_EQ(Registry().readJwt(), hooks->Session().Token());
    ASSERT_TRUE(WaitFor([&] { return LoginText() == QStringLiteral("138****5678"); }));
    Shot(frame_.get(), "frame_signed_in");
    EXPECT_GT(hooks->Session().User().id, 0);
}

TEST_F(AccountWindowTest, CancelledDialogLeavesEverythingSignedOut) {
    CAccountHooks* hooks = MakeFrame();
    test::WhenShown<CLoginDlg>([](CLoginDlg* dialog) { test::ClickIn(dialog, "btnLoginCancel"); });
    test::ClickIn(frame_.get(), "btnLogin");
    EXPECT_FALSE(hooks->Session().SignedIn());
    EXPECT_TRUE(Registry().readJwt().isEmpty());
    EXPECT_TRUE(shown_->texts.isEmpty());
}

TEST_F(AccountWindowTest, UserPanelHangsBelowTheButtonAndCopiesTheId) {
    const account::SignInResult signIn = SignInDirectly("13900001111");
    ASSERT_TRUE(Registry().writeJwt(signIn.token));
    CAccountHooks* hooks = MakeFrame();
    ASSERT_TRUE(WaitFor([&] { return !hooks->Refreshing(); }));
    ASSERT_TRUE(WaitFor([&] { return LoginText() == QStringLiteral("139****1111"); }));
    EXPECT_TRUE(shown_->texts.isEmpty());

    test::ClickIn(frame_.get(), "btnLogin");
    CFloatWnd* panel = hooks->UserPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] { return panel->isVisible(); }));
    auto* button = frame_->FindControl(QStringLiteral("btnLogin"));
    const QPoint buttonBottom = button->mapToGlobal(QPoint(0, button->height()));
    const QPoint bodyTop = panel->Body()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(bodyTop.y() - buttonBottom.y(), 5);
    EXPECT_EQ(panel->IdText(), QString::number(signIn.user.id));
    auto* idLabel = panel->Body()->findChild<QLabel*>(QStringLiteral("labUserId"));
    ASSERT_NE(idLabel, nullptr);
    EXPECT_EQ(idLabel->text(), QString::number(signIn.user.id));
    Shot(panel, "user_panel");

    QApplication::clipboard()->setText(QStringLiteral("something else"));
    auto* copy = panel->Body()->findChild<QAbstractButton*>(QStringLiteral("btnCopyId"));
    ASSERT_NE(copy, nullptr);
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::number(signIn.user.id));
    ASSERT_EQ(shown_->texts.size(), 1);
    EXPECT_EQ(shown_->texts[0], MessageText(langkey::message::kCopyClipboard));
    EXPECT_TRUE(WaitFor([&] { return hooks->UserPanel() == nullptr; }));
}

TEST_F(AccountWindowTest, SignOutAsksFirstThenForgetsTheToken) {
    const account::SignInResult signIn = SignInDirectly("13900002222");
    ASSERT_TRUE(Registry().writeJwt(signIn.token));
    CAccountHooks* hooks = MakeFrame();
    ASSERT_TRUE(WaitFor([&] { return !hooks->Refreshing(); }));

    shown_->answer = kMessageNo;
    hooks->SignOutAsked();
    EXPECT_TRUE(hooks->Session().SignedIn());
    EXPECT_EQ(Registry().readJwt(), signIn.token);

    shown_->answer = kMessageYes;
    test::ClickIn(frame_.get(), "btnLogin");
    ASSERT_NE(hooks->UserPanel(), nullptr);
    hooks->UserPanel()->Body()->findChild<QAbstractButton*>(QStringLiteral("btnLogout"))->click();
    ASSERT_EQ(shown_->texts.size(), 2);
    EXPECT_EQ(shown_->texts[1], MessageText(langkey::message::kSureLogout));
    EXPECT_EQ(shown_->kinds[1], kMessageQuestion);
    EXPECT_FALSE(hooks->Session().SignedIn());
    EXPECT_TRUE(Registry().readJwt().isEmpty());
    ASSERT_TRUE(WaitFor([&] { return LoginText() == LangText(langkey::ui::kNotLogin); }));
}

TEST_F(AccountWindowTest, MainMenuOffersSignOutOnlyWhenSignedIn) {
    CAccountHooks* hooks = MakeFrame();
    const auto logoutShown = [this] {
        test::ClickIn(frame_.get(), "btnMenu");
        ui::CMenuWnd* menu = frame_->MenuWindow();
        EXPECT_NE(menu, nullptr);
        QWidget* item =
            menu ? menu->Body()->findChild<QWidget*>(QStringLiteral("menuLogout")) : nullptr;
        EXPECT_NE(item, nullptr);
        const bool shown = item != nullptr && item->isVisible();
        if (menu != nullptr) {
            menu->hide();
        }
        return shown;
    };
    EXPECT_FALSE(logoutShown());
    ASSERT_TRUE(hooks->Session().Remember(SignInDirectly("13900005555")));
    EXPECT_TRUE(logoutShown());
    // Chosen from the menu it signs out like the panel's button.
    frame_->PostMessage(kWmMenuChoice, 0,
                        ui::MessagePayload(std::make_unique<ui::MenuCmd>(
                            ui::MenuCmd{QStringLiteral("menuLogout"), {}, {}})));
    ASSERT_TRUE(WaitFor([&] { return !hooks->Session().SignedIn(); }));
    EXPECT_TRUE(Registry().readJwt().isEmpty());
    EXPECT_FALSE(logoutShown());
}

TEST_F(AccountWindowTest, RefreshWithoutTheServiceSaysErrNetworkLost) {
    const account::SignInResult signIn = SignInDirectly("13900003333");
    ASSERT_TRUE(Registry().writeJwt(signIn.token));
    service_.Stop();
    CAccountHooks* hooks = MakeFrame();
    ASSERT_TRUE(WaitFor([&] { return !shown_->texts.isEmpty(); }));
    EXPECT_EQ(shown_->texts[0], MessageText(langkey::message::kErrNetworkLost));
    EXPECT_EQ(shown_->kinds[0], kMessageError);
    EXPECT_FALSE(hooks->Refreshing());
    // The stored sign-in stays, with the name the token states.
    EXPECT_TRUE(hooks->Session().SignedIn());
    EXPECT_FALSE(hooks->Session().Confirmed());
    EXPECT_EQ(Registry().readJwt(), signIn.token);
    EXPECT_TRUE(WaitFor([&] { return LoginText() == QStringLiteral("139****3333"); }));
}

TEST_F(AccountWindowTest, RefreshWithARefusedTokenSignsOutQuietly) {
    const account::SignInResult signIn = SignInDirectly("13900004444");
    ASSERT_TRUE(Registry().writeJwt(signIn.token + QStringLiteral("x")));
    CAccountHooks* hooks = MakeFrame();
    ASSERT_TRUE(WaitFor([&] { return !hooks->Session().SignedIn(); }));
    EXPECT_TRUE(Registry().readJwt().isEmpty());
    EXPECT_TRUE(shown_->texts.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return LoginText() == LangText(langkey::ui::kNotLogin); }));
}

TEST(WebAddressTest, OnlyWebAddressesAreShown) {
    EXPECT_EQ(WebAddress(QStringLiteral(" http://127.0.0.1:17650/feedback ")).toString(),
              QStringLiteral("http://127.0.0.1:17650/feedback"));
    EXPECT_FALSE(WebAddress(QStringLiteral("https://example.org/a?b=c")).isEmpty());
    for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "ftp://host/x",
                                "http://", "", "not an address"}) {
        EXPECT_TRUE(WebAddress(QString::fromLatin1(refused)).isEmpty()) << refused;
        EXPECT_EQ(CWebPageDlg::Open(nullptr, QStringLiteral("t"), QString::fromLatin1(refused)),
                  nullptr);
    }
}

TEST_F(AccountWindowTest, FeedbackPageOpensFromTheMenuAndItsPostIsStored) {
    if (!CWebPageDlg::ShowsPagesInside()) {
        GTEST_SKIP() << "built without Qt WebEngine: pages open in the desktop's browser";
    }
    MakeFrame();
    frame_->PostMessage(kWmMenuChoice, 0,
                        ui::MessagePayload(std::make_unique<ui::MenuCmd>(
                            ui::MenuCmd{QStringLiteral("menuFeedback"), {}, {}})));
    ASSERT_TRUE(WaitFor([] { return CWebPageDlg::Current() != nullptr; }));
    CWebPageDlg* dialog = CWebPageDlg::Current();
    EXPECT_EQ(dialog->Title(), LangText(langkey::ui::kFeedback));
    EXPECT_EQ(dialog->GetText(QStringLiteral("caption")), LangText(langkey::ui::kFeedback));
    EXPECT_EQ(dialog->Address().toString(), QString::fromStdString(service_.Base() + "/feedback"));
    ASSERT_NE(dialog->View(), nullptr);
    bool loaded = false;
    QObject::connect(dialog, &CWebPageDlg::pageLoaded, [&loaded](bool ok) { loaded = ok; });
    ASSERT_TRUE(WaitFor([&] { return loaded; }, 60000));
    Shot(dialog, "feedback_page");

    // Fill the form in the page and send it, as a person would.
    dialog->RunScript(
        QStringLiteral("document.getElementById('text').value = 'Brush lags on big photos';"
                       "document.getElementById('email').value = 'ann@example.org';"
                       "document.getElementById('send').click();"));
    // The service writes each entry under a temporary name first.
    const auto folder = service_.Data() / "feedback";
    std::filesystem::path stored;
    ASSERT_TRUE(WaitFor(
        [&] {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
                if (entry.path().extension() == ".json") {
                    stored = entry.path();
                }
            }
            return !stored.empty();
        },
        60000));
    ASSERT_FALSE(stored.empty());
    Json::Value record;
    ASSERT_TRUE(Json::Reader().parse(ReadAll(stored), record));
    EXPECT_EQ(record["text"].asString(), "Brush lags on big photos");
    EXPECT_EQ(record["email"].asString(), "ann@example.org");
    dialog->Close();
    EXPECT_TRUE(WaitFor([] { return CWebPageDlg::Current() == nullptr; }));
}

}  // namespace
}  // namespace quillora
