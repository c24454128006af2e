#include "app/core/language/Messages.h"

#include "tests/app/core/LanguageFixture.h"

#include <QObject>

#include <vector>

namespace quillora {
namespace {

class MessagesTest : public test::LanguageFixture {
protected:
    void SetUp() override {
        LanguageFixture::SetUp();
        writeLanguage({{"Message",
                        {{"Title", "Quillora"},
                         {"SureReset", "Undo all strokes?"},
                         {"LimitBigSize", "At most %s."}}}});
        SetMessagePresenter([this](const MessageRequest& request) {
            shown_.push_back(request);
            return answer_;
        });
    }
    void TearDown() override {
        SetMessagePresenter({});
        LanguageFixture::TearDown();
    }

    std::vector<MessageRequest> shown_;
    int answer_ = kMessageYes;
};

TEST_F(MessagesTest, ShowsTitleAndTextOfTheKeyWithItsKind) {
    QObject parent;
    EXPECT_EQ(ShowMessage(u"SureReset", &parent, kMessageQuestion), kMessageYes);
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].title, "Quillora");
    EXPECT_EQ(shown_[0].text, "Undo all strokes?");
    EXPECT_EQ(shown_[0].kind, kMessageQuestion);
    EXPECT_EQ(shown_[0].highlight, 0xFF2244BBu);
    EXPECT_EQ(shown_[0].parent, &parent);
}

TEST_F(MessagesTest, Base64VariantsDecodeTheKey) {
    answer_ = kMessageNo;
    EXPECT_EQ(ShowMessage(langkey::message::kSureReset, nullptr, kMessageQuestion), kMessageNo);
    EXPECT_EQ(ShowErrorMessageB64("U3VyZVJlc2V0", nullptr), kMessageNo);
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[0].text, "Undo all strokes?");
    EXPECT_EQ(shown_[1].text, "Undo all strokes?");
    EXPECT_EQ(shown_[1].kind, kMessageError);
}

TEST_F(MessagesTest, MissingKeysShowEmptyText) {
    ShowMessage(u"surereset", nullptr, kMessageInformation);
    ShowMessageB64("%%%", nullptr, kMessageInformation);
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[0].title, "Quillora");
    EXPECT_EQ(shown_[0].text, QString());
    EXPECT_EQ(shown_[1].text, QString());
}

TEST_F(MessagesTest, WithoutAPresenterTheAnswerIsNo) {
    SetMessagePresenter({});
    EXPECT_EQ(ShowMessage(u"SureReset", nullptr, kMessageQuestion), kMessageNo);
    EXPECT_TRUE(shown_.empty());
}

TEST_F(MessagesTest, TextsForCallersThatFormatThemselves) {
    const MessageTexts texts = MessageTextsFor(u"LimitBigSize");
    EXPECT_EQ(texts.title, "Quillora");
    EXPECT_EQ(texts.text, "At most %s.");
}

}  // namespace
}  // namespace quillora
