#include "workspace/core/account/AccountSession.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace quillora::account {
namespace {

constexpr qsizetype kMaxTokenLength = 4096;

}  // namespace

AccountUser UserFromTokenClaims(const QString& token) {
    const QStringList parts = token.split(u'.');
    if (token.size() > kMaxTokenLength || parts.size() != 3) {
        return {};
    }
    const auto decoded = QByteArray::fromBase64Encoding(
        parts[1].toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals |
                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        return {};
    }
    const QJsonDocument document = QJsonDocument::fromJson(*decoded);
    if (!document.isObject()) {
        return {};
    }
    const QJsonObject claims = document.object();
    bool numeric = false;
    const qint64 id = claims.value(QStringLiteral("sub")).toString().toLongLong(&numeric);
    if (!numeric || id <= 0) {
        return {};
    }
    return AccountUser{id, claims.value(QStringLiteral("name")).toString()};
}

AccountSession::AccountSession(QuilloraRegistry registry) : registry_(std::move(registry)) {}

bool AccountSession::Load() {
    token_ = registry_.readJwt().trimmed();
    user_ = SignedIn() ? UserFromTokenClaims(token_) : AccountUser{};
    confirmed_ = false;
    return SignedIn();
}

QString AccountSession::UserIdText() const {
    return SignedIn() && user_.id > 0 ? QString::number(user_.id) : QString();
}

bool AccountSession::Remember(const SignInResult& result) {
    if (result.status != AccountStatus::Ok || result.token.isEmpty() || result.user.id <= 0) {
        return false;
    }
    if (!registry_.writeJwt(result.token)) {
        return false;
    }
    token_ = result.token;
    user_ = result.user;
    confirmed_ = true;
    return true;
}

void AccountSession::Forget() {
    registry_.deleteJwt();
    registry_.deleteHeadImage();
    token_.clear();
    user_ = {};
    confirmed_ = false;
}

AccountSession::RefreshOutcome AccountSession::ApplyRefresh(const QString& askedWithToken,
                                                            const UserResult& answer) {
    if (askedWithToken.isEmpty() || askedWithToken != token_) {
        return RefreshOutcome::Stale;
    }
    switch (answer.status) {
        case AccountStatus::Ok:
            user_ = answer.user;
            confirmed_ = true;
            return RefreshOutcome::Confirmed;
        case AccountStatus::Refused:
            Forget();
            return RefreshOutcome::SignedOut;
        case AccountStatus::NetworkFailed:
            break;
    }
    return RefreshOutcome::NetworkLost;
}

}  // namespace quillora::account
