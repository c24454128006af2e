#pragma once

#include <chrono>
#include <cstddef>

namespace quillora::net {

// The libcurl options of each request kind: one row per kind, read by the
// request code and by the tests. Time-outs are in milliseconds.
struct RequestOptions {
    long connectTimeoutMs;
    long totalTimeoutMs;
    // Larger answers are abandoned and come back empty (a hostile or broken
    // server could otherwise stream until memory runs out).
    std::size_t maxAnswerBytes;
};

// Matting answers: a full-size cut-out PNG in Base64 inside JSON.
inline constexpr std::size_t kMaxFormAnswerBytes = std::size_t{256} << 20;
// Configuration, update pages, report answers: small texts.
inline constexpr std::size_t kMaxTextAnswerBytes = std::size_t{16} << 20;
// All header lines of one response together.
inline constexpr std::size_t kMaxHeaderBytes = std::size_t{64} << 10;

inline constexpr RequestOptions kFormPostOptions{60'000, 60'000, kMaxFormAnswerBytes};
// The text GET also gets a total time-out, so a server that trickles an
// endless answer cannot hold the configuration thread for ever.
inline constexpr RequestOptions kGetTextOptions{5'000, 60'000, kMaxTextAnswerBytes};
inline constexpr RequestOptions kPostTextOptions{5'000, 10'000, kMaxTextAnswerBytes};
// The fallback GET reads one 4096-byte block at most, as the platform
// fallback it stands in for did.
inline constexpr std::size_t kFallbackGetBytes = 4096;
inline constexpr RequestOptions kFallbackPostOptions{60'000, 60'000, kMaxTextAnswerBytes};
// Time-out that GetStringFromUrl gives both of its fallbacks.
inline constexpr long kFallbackTimeoutMs = 20'000;

// Transport settings that the application Config.ini may change at start-up
// ([Network] VerifyTls). Safe to read from any thread.
void SetVerifyTls(bool verify);
bool VerifyTls();

// Caps every time-out of this folder (curl and socket) at `cap`; zero removes
// the cap. Only tests call this, so that a time-out case ends in moments.
void SetTimeoutCapForTests(std::chrono::milliseconds cap);

// `ms` after the test cap, if one is set.
long EffectiveTimeoutMs(long ms);

}  // namespace quillora::net
