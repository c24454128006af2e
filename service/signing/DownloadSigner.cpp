#include "service/signing/DownloadSigner.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "service/server/AtomicFile.h"

namespace quillora::service {
namespace {

struct PkeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BioDeleter {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct MdCtxDeleter {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyDeleter>;
using BioPtr = std::unique_ptr<BIO, BioDeleter>;

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

PkeyPtr ReadPrivateKey(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (pem.empty()) {
        return nullptr;
    }
    BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    PkeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (key && EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        return nullptr;
    }
    return key;
}

// The private key is created owner-only from the start, never widened later.
bool WritePrivateKey(const std::filesystem::path& file, EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return false;
    }
    const std::string pem = BioText(bio.get());
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size()) && ::fsync(fd) == 0;
    ::close(fd);
    std::error_code error;
    if (written) {
        std::filesystem::rename(temporary, file, error);
        if (!error) {
            return true;
        }
    }
    std::filesystem::remove(temporary, error);
    return false;
}

PkeyPtr MakeKey() {
    return PkeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
}

}  // namespace

struct DownloadSigner::Key {
    PkeyPtr pkey;
};

DownloadSigner::DownloadSigner(std::unique_ptr<Key> key) : key_(std::move(key)) {}
DownloadSigner::~DownloadSigner() = default;

std::unique_ptr<DownloadSigner> DownloadSigner::OpenOrCreate(
    const std::filesystem::path& privateKeyFile, const std::filesystem::path& publicKeyFile,
    std::string* problem) {
    auto key = std::make_unique<Key>();
    std::error_code error;
    if (std::filesystem::exists(privateKeyFile, error)) {
        key->pkey = ReadPrivateKey(privateKeyFile);
        if (!key->pkey) {
            // A damaged key is not replaced: signatures already published
            // depend on it, so a person has to decide.
            if (problem) {
                *problem = privateKeyFile.string() + " is not an Ed25519 private key";
            }
            return nullptr;
        }
    } else {
        key->pkey = MakeKey();
        if (!key->pkey || !WritePrivateKey(privateKeyFile, key->pkey.get())) {
            if (problem) {
                *problem = "cannot make a signing key in " + privateKeyFile.string();
            }
            return nullptr;
        }
    }
    std::unique_ptr<DownloadSigner> signer(new DownloadSigner(std::move(key)));
    const std::string publicPem = signer->PublicKeyPem();
    std::ifstream in(publicKeyFile, std::ios::binary);
    const std::string existing((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (existing != publicPem && !WriteFileAtomically(publicKeyFile, publicPem)) {
        if (problem) {
            *problem = "cannot write " + publicKeyFile.string();
        }
        return nullptr;
    }
    return signer;
}

std::string DownloadSigner::Sign(std::string_view bytes) const {
    std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key_->pkey.get()) != 1) {
        return {};
    }
    std::string signature(64, '\0');
    std::size_t length = signature.size();
    if (EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &length,
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 1) {
        return {};
    }
    signature.resize(length);
    return signature;
}

std::string DownloadSigner::PublicKeyPem() const {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PUBKEY(bio.get(), key_->pkey.get()) != 1) {
        return {};
    }
    return BioText(bio.get());
}

bool VerifyDetachedSignature(std::string_view publicKeyPem, std::string_view bytes,
                             std::string_view signature) {
    BioPtr bio(BIO_new_mem_buf(publicKeyPem.data(), static_cast<int>(publicKeyPem.size())));
    PkeyPtr key(bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        return false;
    }
    std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return false;
    }
    return EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size()) == 1;
}

}  // namespace quillora::service
