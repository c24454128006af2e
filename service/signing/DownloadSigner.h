#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quillora::service {

// Signs what the service offers for download with Ed25519. The private key
// lives in the data folder (PEM, owner-only); when it is missing a new key is
// made and its public half written beside it for the program's build.
class DownloadSigner {
public:
    // nullptr when no key can be read or made (the problem says why).
    static std::unique_ptr<DownloadSigner> OpenOrCreate(const std::filesystem::path& privateKeyFile,
                                                        const std::filesystem::path& publicKeyFile,
                                                        std::string* problem);
    ~DownloadSigner();
    DownloadSigner(const DownloadSigner&) = delete;
    DownloadSigner& operator=(const DownloadSigner&) = delete;

    // The 64-byte detached signature of the bytes; empty on failure.
    std::string Sign(std::string_view bytes) const;

    // The public key as PEM text (SubjectPublicKeyInfo).
    std::string PublicKeyPem() const;

private:
    struct Key;
    explicit DownloadSigner(std::unique_ptr<Key> key);
    std::unique_ptr<Key> key_;
};

// Checks a detached Ed25519 signature against a PEM public key; what the
// program does before it runs or loads a download, here for the tests.
bool VerifyDetachedSignature(std::string_view publicKeyPem, std::string_view bytes,
                             std::string_view signature);

}  // namespace quillora::service
