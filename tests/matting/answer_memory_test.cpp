#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <random>

#include "common/codec/Base64.h"
#include "matting/client/MattingAnswer.h"
#include "matting/client/MattingClient.h"
#include "tests/matting/MattingFixtures.h"
#include "tests/net/RawServer.h"

// This program counts the bytes live in malloc (operator new and the C
// libraries such as jsoncpp and libcurl all allocate there), so a test can
// measure how many copies of a large answer exist at the worst moment. It
// replaces malloc through glibc's documented mechanism, forwarding to glibc's
// own allocator; under AddressSanitizer, which owns malloc, it measures
// nothing and the tests skip.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCounting = false;
#else
constexpr bool kCounting = true;

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
std::size_t malloc_usable_size(void* pointer);
}

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

void Count(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    const std::size_t size = malloc_usable_size(pointer);
    const std::size_t live = gLive.fetch_add(size) + size;
    std::size_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
}

void Uncount(void* pointer) {
    if (pointer != nullptr) {
        gLive.fetch_sub(malloc_usable_size(pointer));
    }
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) {
    void* p = __libc_malloc(size);
    Count(p);
    return p;
}
void* calloc(std::size_t count, std::size_t size) {
    void* p = __libc_calloc(count, size);
    Count(p);
    return p;
}
void* realloc(void* pointer, std::size_t size) {
    Uncount(pointer);
    void* p = __libc_realloc(pointer, size);
    // A failed realloc keeps the old block.
    Count(p != nullptr || size == 0 ? p : pointer);
    return p;
}
void free(void* pointer) {
    Uncount(pointer);
    __libc_free(pointer);
}
void* memalign(std::size_t alignment, std::size_t size) {
    void* p = __libc_memalign(alignment, size);
    Count(p);
    return p;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    void* p = memalign(alignment, size);
    if (p == nullptr) {
        return ENOMEM;
    }
    *out = p;
    return 0;
}
}
#endif

namespace {

// Live bytes above the level at the start of the measurement.
struct PeakMeter {
#if defined(__SANITIZE_ADDRESS__)
    std::size_t extra() const {
        return 0;
    }
#else
    std::size_t base = gLive.load();
    PeakMeter() {
        gPeak.store(base);
    }
    std::size_t extra() const {
        return gPeak.load() - base;
    }
#endif
};

}  // namespace

namespace quillora::matting {
namespace {

std::string RandomBytes(std::size_t n) {
    std::string bytes(n, '\0');
    std::mt19937 gen(11);
    for (auto& c : bytes) {
        c = static_cast<char>(gen());
    }
    return bytes;
}

constexpr std::size_t kPictureBytes = 30'000'000;  // 40 MB of Base64

TEST(AnswerMemory, DecodingAFortyMegabyteAnswerHoldsFewCopies) {
    if (!kCounting) {
        GTEST_SKIP() << "AddressSanitizer owns malloc";
    }
    const std::string picture = RandomBytes(kPictureBytes);
    const std::string answer = "{\"result\":1,\"image\":\"" + codec::Base64Encode(picture) + "\"}";
    ASSERT_GT(answer.size(), 40'000'000u);
    PeakMeter meter;
    auto decoded = DecodeMattingAnswer(answer);
    const std::size_t extra = meter.extra();
    RecordProperty("peak_extra_bytes", std::to_string(extra));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_TRUE(*decoded == picture);
    // The parsed text and the decoded picture, with one transient copy of
    // the text inside the parser: well under three answers.
    EXPECT_LT(extra, 3 * answer.size()) << extra;
}

TEST(AnswerMemory, WholeRequestHoldsFewCopies) {
    if (!kCounting) {
        GTEST_SKIP() << "AddressSanitizer owns malloc";
    }
    const std::string picture = RandomBytes(kPictureBytes);
    const std::string json = "{\"result\":1,\"image\":\"" + codec::Base64Encode(picture) + "\"}";
    test::RawServer raw("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                        std::to_string(json.size()) + "\r\nConnection: close\r\n\r\n" + json);
    auto client = test::FixedClient(raw.Url(kMattingPath));
    std::string out;
    PeakMeter meter;
    const bool ok = client.RequestCutOutData(test::kThreeBytes.data(), 3, "png", {}, out);
    const std::size_t extra = meter.extra();
    RecordProperty("peak_extra_bytes", std::to_string(extra));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(out == picture);
    // The received answer, the parser's copies and the picture.
    EXPECT_LT(extra, 4 * json.size()) << extra;
}

}  // namespace
}  // namespace quillora::matting
