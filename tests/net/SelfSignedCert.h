#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace quillora::test {

// Writes a fresh self-signed certificate for 127.0.0.1 and its key as PEM
// files into `folder`; what a service with its own certificate would present.
inline bool WriteSelfSignedCert(const std::filesystem::path& folder, std::string& certPath,
                                std::string& keyPath) {
    certPath = (folder / "cert.pem").string();
    keyPath = (folder / "key.pem").string();
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    bool ok = key != nullptr && cert != nullptr;
    if (ok) {
        X509_set_version(cert, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert, name);
        ok = X509_sign(cert, key, EVP_sha256()) > 0;
    }
    if (ok) {
        FILE* keyFile = std::fopen(keyPath.c_str(), "wb");
        FILE* certFile = std::fopen(certPath.c_str(), "wb");
        ok = keyFile != nullptr && certFile != nullptr &&
             PEM_write_PrivateKey(keyFile, key, nullptr, nullptr, 0, nullptr, nullptr) == 1 &&
             PEM_write_X509(certFile, cert) == 1;
        if (keyFile != nullptr) {
            std::fclose(keyFile);
        }
        if (certFile != nullptr) {
            std::fclose(certFile);
        }
    }
    X509_free(cert);
    EVP_PKEY_free(key);
    return ok;
}

}  // namespace quillora::test
