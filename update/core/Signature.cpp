#include "update/core/Signature.h"

#include "update/core/TrustedKey.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace quillora::update {
namespace {

struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

const std::string& TrustedUpdateKey() {
    static const std::string key(kTrustedUpdateKeyPem);
    return key;
}

bool VerifySignature(std::string_view publicKeyPem, std::string_view data,
                     std::string_view signature) {
    if (signature.size() != kSignatureBytes || publicKeyPem.empty()) {
        return false;
    }
    std::unique_ptr<BIO, BioFree> bio(
        BIO_new_mem_buf(publicKeyPem.data(), static_cast<int>(publicKeyPem.size())));
    if (!bio) {
        return false;
    }
    std::unique_ptr<EVP_PKEY, KeyFree> key(
        PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
    if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) {
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return false;
    }
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(), reinterpret_cast<const unsigned char*>(data.data()),
                            data.size()) == 1;
}

bool VerifyFileSignature(std::string_view publicKeyPem, const std::string& path,
                         std::string_view signature) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        ::close(fd);
        return VerifySignature(publicKeyPem, {}, signature);
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        return false;
    }
    const bool ok = VerifySignature(
        publicKeyPem, std::string_view(static_cast<const char*>(mapped), size), signature);
    ::munmap(mapped, size);
    return ok;
}

}  // namespace quillora::update
