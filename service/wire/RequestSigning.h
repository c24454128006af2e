#pragma once

#include <string>
#include <string_view>

#include "service/wire/FormBody.h"

namespace quillora::service {

// The text a matting request signs: every field in key order except "image",
// "mask", "s" and fields whose value is empty, joined as key=value with "&".
std::string MattingSignedText(const FormFields& fields);

// Base64 of HMAC-SHA-256 over MattingSignedText with the shared key.
std::string MattingSignature(const FormFields& fields, std::string_view key);

// True when the form's "s" equals the signature its other fields give.
bool HasValidMattingSignature(const FormFields& fields, std::string_view key);

// MD5 hex of key + "&" + MD5 hex of the time text exactly as the server sent it.
std::string ConfigSignature(std::string_view key, std::string_view timeText);

// Compares in time independent of where the texts differ.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace quillora::service
