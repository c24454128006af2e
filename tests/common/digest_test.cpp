#include "common/codec/Digest.h"

#include <gtest/gtest.h>

#include "tests/common/Hex.h"

namespace quillora::codec {
namespace {

using test::FromHex;

TEST(Md5Hex, MatchesRfc1321Suite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("1234567890123456789012345678901234567890"
                     "1234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5Hex, HashesEmbeddedNulBytes) {
    // printf '\0a' | md5sum
    EXPECT_EQ(Md5Hex(std::string("\0a", 2)), "760f753576f2955b0074758acb4d5fa6");
}

TEST(Sha256, MatchesFips180Examples) {
    EXPECT_EQ(HexLower(Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexLower(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HexLower(Sha256(std::string(1000000, 'a'))),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(HexLower(Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(HmacSha256, MatchesRfc4231Cases) {
    EXPECT_EQ(HexLower(HmacSha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(HexLower(HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(HexLower(HmacSha256(std::string(20, '\xaa'), std::string(50, '\xdd'))),
              "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe");
    EXPECT_EQ(HexLower(HmacSha256(FromHex("0102030405060708090a0b0c0d0e0f10111213141516171819"),
                                  std::string(50, '\xcd'))),
              "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b");
}

TEST(HmacSha256, HashesKeysLongerThanOneBlock) {
    const std::string longKey(131, '\xaa');
    EXPECT_EQ(
        HexLower(HmacSha256(longKey, "Test Using Larger Than Block-Size Key - Hash Key First")),
        "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    // A key above 64 bytes is equivalent to its SHA-256 digest.
    EXPECT_EQ(HmacSha256(longKey, "x"), HmacSha256(Sha256(longKey), "x"));
}

TEST(HmacSha256, AcceptsAnEmptyKey) {
    // printf '' | openssl dgst -sha256 -hmac ''
    EXPECT_EQ(HexLower(HmacSha256("", "")),
              "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
}

TEST(HexLower, PrintsEveryByteWithTwoDigits) {
    EXPECT_EQ(HexLower(std::string("\x00\x0f\xf0\xff", 4)), "000ff0ff");
    EXPECT_EQ(HexLower(""), "");
}

}  // namespace
}  // namespace quillora::codec
