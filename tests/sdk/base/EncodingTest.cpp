#include "sdk/base/Encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/base/Digest.h"

namespace Zarn {
namespace {

std::vector<std::uint8_t> BytesOf(std::string_view text) { return {text.begin(), text.end()}; }

// RFC 4648, sections 10 (Base64) and 8 (Base16, here in lower case), plus bytes with the high
// bit set, which a signed char would corrupt.
TEST(EncodingTest, Base64AndHexOfTheStandardVectors) {
  struct Case {
    std::string_view bytes;
    const char* base64;
    const char* hex;
  };
  const Case cases[] = {
      {"", "", ""},
      {"f", "Zg==", "66"},
      {"fo", "Zm8=", "666f"},
      {"foo", "Zm9v", "666f6f"},
      {"foob", "Zm9vYg==", "666f6f62"},
      {"fooba", "Zm9vYmE=", "666f6f6261"},
      {"foobar", "Zm9vYmFy", "666f6f626172"},
      {"\xff\xfe\xfd", "//79", "fffefd"},
      {"\xfb\xff", "+/8=", "fbff"},
      {std::string_view("\x00\xab\xff", 3), "AKv/", "00abff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(Base64Encode(c.bytes.data(), c.bytes.size()), c.base64);
    EXPECT_EQ(BytesToHex(BytesOf(c.bytes)), c.hex);
  }
  EXPECT_EQ(Base64Encode(nullptr, 0), "");
}

// FIPS 180 examples, and a text with a NUL inside: the digest covers the whole length.
TEST(DigestTest, Sha1AndSha256OfTheStandardVectors) {
  struct Case {
    std::string_view text;
    const char* sha1;
    const char* sha256;
  };
  const Case cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
       "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d",
       "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string_view("a\0b", 3), "4a3dec2d1f8245280855c42db0ee4239f917fdb8",
       "59b271ae1bbcb1d31d41929817f4b16fb439eb4f31520b5ad1d5ce98920a7138"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sha1);
    const std::vector<std::uint8_t> sha1 = Sha1Digest(c.text);
    const std::vector<std::uint8_t> sha256 = Sha256Digest(c.text);
    EXPECT_EQ(sha1.size(), 20u);
    EXPECT_EQ(sha256.size(), 32u);
    EXPECT_EQ(BytesToHex(sha1), c.sha1);
    EXPECT_EQ(BytesToHex(sha256), c.sha256);
  }
}

}  // namespace
}  // namespace Zarn
