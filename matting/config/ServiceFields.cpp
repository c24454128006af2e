#include "matting/config/ServiceFields.h"

#include "app/core/language/ByteSize.h"
#include "matting/client/MattingClient.h"
#include "net/endpoints/Endpoints.h"

namespace quillora::matting {

std::string DefaultMattingUrl() {
    return net::CurrentEndpoints().Url(net::Service::Matting, kMattingPath);
}

ServiceFields::ServiceFields() : ServiceFields(DefaultMattingUrl()) {}

ServiceFields::ServiceFields(std::string defaultMattingUrl)
    : fileSizeLimitText_(FormatByteSize(kDefaultFileSizeLimit, QString())),
      mattingUrl_(std::move(defaultMattingUrl)) {}

QString ServiceFields::fileSizeLimitText() const {
    const std::lock_guard lock(textMutex_);
    return fileSizeLimitText_;
}

std::string ServiceFields::mattingUrl() const {
    const std::lock_guard lock(textMutex_);
    return mattingUrl_;
}

void ServiceFields::setFileSizeLimitText(const QString& text) {
    // The copy is made outside the lock; inside, only the swap.
    QString copy = text;
    const std::lock_guard lock(textMutex_);
    fileSizeLimitText_.swap(copy);
}

void ServiceFields::setMattingUrl(const std::string& url) {
    std::string copy = url;
    const std::lock_guard lock(textMutex_);
    mattingUrl_.swap(copy);
}

}  // namespace quillora::matting
