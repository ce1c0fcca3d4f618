#include "sdk/binding/MessagePackDecoder.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sdk/base/MemoryHooks.h"
#include "sdk/base/TrackingAllocator.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace Zarn {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Testing::Describe;

MessagePackDecoder::Decoded Decode(const Bytes& bytes) {
  return MessagePackDecoder::Decode(bytes.data(), bytes.size());
}

// "c4-01-ff" or "c4 01 ff" into bytes.
Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == '-' || hex[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

struct ValueCase {
  const char* hex;
  const char* expected;
};

// Decodes the whole of `c.hex` into the value that `c.expected` describes.
void ExpectDecodesWhole(const ValueCase& c) {
  SCOPED_TRACE(c.hex);
  const Bytes bytes = FromHex(c.hex);
  const auto decoded = Decode(bytes);
  ASSERT_TRUE(decoded.result.IsOk()) << decoded.result.ErrorMessage();
  EXPECT_EQ(Describe(decoded.result.Value()), c.expected);
  EXPECT_EQ(decoded.consumed, bytes.size());
}

// Every format the decoder accepts, in every length class, each followed by nothing.
const ValueCase kValueCases[] = {
    {"00", "i:0"},
    {"7f", "i:127"},
    {"ff", "i:-1"},
    {"e0", "i:-32"},
    {"c0", "null"},
    {"c2", "false"},
    {"c3", "true"},
    {"cc ff", "u:255"},
    {"cd 01 02", "u:258"},
    {"ce ff ff ff ff", "u:4294967295"},
    {"cf ff ff ff ff ff ff ff ff", "u:18446744073709551615"},
    {"d0 ff", "i:-1"},
    {"d0 7f", "i:127"},
    {"d1 80 00", "i:-32768"},
    {"d2 80 00 00 00", "i:-2147483648"},
    {"d3 80 00 00 00 00 00 00 00", "i:-9223372036854775808"},
    {"d3 00 00 00 01 00 00 00 00", "i:4294967296"},
    {"ca 3f c0 00 00", "f:1.500000"},
    {"ca c1 20 00 00", "f:-10.000000"},
    {"cb 3f b9 99 99 99 99 99 9a", "f:0.100000"},
    {"a0", "\"\""},
    {"a3 61 62 63", "\"abc\""},
    {"d9 02 68 69", "\"hi\""},
    {"da 00 01 7a", "\"z\""},
    {"db 00 00 00 02 c3 a9", "\"\xc3\xa9\""},
    {"c4 00", "blob:"},
    {"c4 02 00 ff", "blob:AP8="},
    {"c5 00 01 7f", "blob:fw=="},
    {"c6 00 00 00 03 01 02 03", "blob:AQID"},
    {"90", "[]"},
    {"93 01 c3 a1 78", "[i:1,true,\"x\"]"},
    {"dc 00 02 c0 c2", "[null,false]"},
    {"dd 00 00 00 01 90", "[[]]"},
    {"80", "{}"},
    {"82 a1 62 01 a1 61 02", "{a:i:2,b:i:1}"},
    {"de 00 01 a1 6b 91 80", "{k:[{}]}"},
    {"df 00 00 00 01 a0 c0", "{:null}"},
    {"81 d9 01 6b a1 76", "{k:\"v\"}"},
    {"81 a1 6b 81 a1 6a 92 01 ff", "{k:{j:[i:1,i:-1]}}"},
};

TEST(MessagePackDecoderTest, DecodesEveryAcceptedFormat) {
  for (const ValueCase& c : kValueCases) ExpectDecodesWhole(c);
}

TEST(MessagePackDecoderTest, StopsAfterTheFirstValue) {
  const struct {
    const char* hex;
    const char* expected;
    std::size_t consumed;
  } cases[] = {
      {"01 02", "i:1", 1},
      {"91 01 02", "[i:1]", 2},
      {"80 80", "{}", 1},
      {"81 a1 61 90 c0", "{a:[]}", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    const auto decoded = Decode(FromHex(c.hex));
    ASSERT_TRUE(decoded.result.IsOk()) << decoded.result.ErrorMessage();
    EXPECT_EQ(Describe(decoded.result.Value()), c.expected);
    EXPECT_EQ(decoded.consumed, c.consumed);
  }
}

TEST(MessagePackDecoderTest, InputEndingBetweenItemsKeepsWhatWasRead) {
  const ValueCase cases[] = {
      {"", "null"},
      {"92 01", "[i:1]"},
      {"dd ff ff ff ff", "[]"},
      {"81", "{}"},
      {"82 a1 61 01 a1 62", "{a:i:1}"},  // a key without its value adds no member
      {"df ff ff ff ff a1 61 c3", "{a:true}"},
      {"92 92 01", "[[i:1]]"},
  };
  for (const ValueCase& c : cases) ExpectDecodesWhole(c);
}

TEST(MessagePackDecoderTest, RepeatedKeysReuseTheMember) {
  const ValueCase cases[] = {
      {"82 a1 61 01 a1 61 02", "{a:i:2}"},
      // A later container is written into the one already there.
      {"82 a1 61 92 01 02 a1 61 91 03", "{a:[i:3,i:2]}"},
      {"82 a1 61 81 a1 62 01 a1 61 81 a1 63 02", "{a:{b:i:1,c:i:2}}"},
      // A later scalar, string or container replaces a container whole.
      {"82 a1 61 91 01 a1 61 02", "{a:i:2}"},
      {"82 a1 61 81 a1 62 01 a1 61 a1 78", "{a:\"x\"}"},
      {"82 a1 61 01 a1 61 90", "{a:[]}"},
  };
  for (const ValueCase& c : cases) ExpectDecodesWhole(c);
}

TEST(MessagePackDecoderTest, ReportsFailuresWithTheirPositions) {
  const struct {
    const char* hex;
    const char* message;
  } cases[] = {
      {"c1", "Invalid MessagePack data at position 1."},
      {"91 c1", "Invalid MessagePack data at position 2."},
      {"d4 01 00", "Invalid MessagePack data at position 1."},
      {"c7 01 05 00", "Invalid MessagePack data at position 1."},
      {"92 01 d8 00", "Invalid MessagePack data at position 3."},
      {"81 01 02", "Invalid MessagePack data at position 2. Map keys must be strings."},
      {"82 a1 61 01 90 02", "Invalid MessagePack data at position 5. Map keys must be strings."},
      {"81 c0 01", "Invalid MessagePack data at position 2. Map keys must be strings."},
      {"a5 61 62", "Invalid MessagePack data. String of size 5 at position 1 is truncated."},
      {"91 d9 04 61", "Invalid MessagePack data. String of size 4 at position 3 is truncated."},
      {"81 a2 61", "Invalid MessagePack data. String of size 2 at position 2 is truncated."},
      {"db ff ff ff ff 61",
       "Invalid MessagePack data. String of size 4294967295 at position 5 is truncated."},
      {"c4 02 00", "Invalid MessagePack data. Raw bytes of size 2 at position 2 are truncated."},
      {"c6 ff ff ff ff",
       "Invalid MessagePack data. Raw bytes of size 4294967295 at position 5 are truncated."},
      {"cc", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
      {"d9", "Invalid MessagePack data. 8-bit integer value at position 1 is truncated."},
      {"cd 01", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated."},
      {"dc 00", "Invalid MessagePack data. 16-bit integer value at position 1 is truncated."},
      {"ca 00 00 00", "Invalid MessagePack data. 32-bit integer value at position 1 is truncated."},
      {"91 df 00", "Invalid MessagePack data. 32-bit integer value at position 2 is truncated."},
      {"cb 00", "Invalid MessagePack data. 64-bit integer value at position 1 is truncated."},
      {"d3 00 00 00 00 00 00 00",
       "Invalid MessagePack data. 64-bit integer value at position 1 is truncated."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    const auto decoded = Decode(FromHex(c.hex));
    EXPECT_FALSE(decoded.result.IsOk());
    EXPECT_EQ(decoded.result.ErrorMessage(), c.message);
    // Nothing partial is kept: the failure is all the value holds.
    EXPECT_EQ(decoded.result.Value().Size(), 1u);
  }
}

// Every prefix of a valid input is either a truncation failure or the items read so far.
TEST(MessagePackDecoderTest, EveryPrefixFailsAsTruncatedOrKeepsWhatWasRead) {
  for (const ValueCase& c : kValueCases) {
    const Bytes bytes = FromHex(c.hex);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
      SCOPED_TRACE(std::string(c.hex) + " cut at " + std::to_string(length));
      // A copy of just the prefix, so that the sanitizers catch any read past it.
      const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
      const auto decoded = Decode(prefix);
      if (decoded.result.IsOk()) {
        EXPECT_EQ(decoded.consumed, length);
      } else {
        EXPECT_NE(decoded.result.ErrorMessage().find("truncated"), std::string::npos)
            << decoded.result.ErrorMessage();
      }
    }
  }
}

TEST(MessagePackDecoderTest, MapCountsBeyondThirtyOneBitsDoNotWrap) {
  // 2^31 + 1 members: twice that wraps to 2 in 32 bits, which would end the map after one.
  const Bytes bytes = FromHex("df 80 00 00 01 a1 61 01 a1 62 02 a1 63 03");
  const auto decoded = Decode(bytes);
  ASSERT_TRUE(decoded.result.IsOk()) << decoded.result.ErrorMessage();
  EXPECT_EQ(Describe(decoded.result.Value()), "{a:i:1,b:i:2,c:i:3}");
  EXPECT_EQ(decoded.consumed, bytes.size());
}

TEST(MessagePackDecoderTest, NestingIsCappedAt512Levels) {
  for (std::uint8_t opener : {std::uint8_t{0x91}, std::uint8_t{0xdc}}) {
    SCOPED_TRACE(static_cast<int>(opener));
    const std::size_t width = opener == 0x91 ? 1 : 3;
    auto nested = [&](std::size_t levels) {
      Bytes bytes;
      for (std::size_t i = 0; i < levels; ++i) {
        bytes.push_back(opener);
        if (width == 3) bytes.insert(bytes.end(), {0x00, 0x01});
      }
      bytes.push_back(0x01);
      return bytes;
    };
    const auto deepest = Decode(nested(512));
    ASSERT_TRUE(deepest.result.IsOk()) << deepest.result.ErrorMessage();
    const BindingProperty* node = &deepest.result.Value();
    for (int level = 0; level < 512; ++level) {
      ASSERT_TRUE(node->IsCollection());
      node = &node->At(0);
    }
    EXPECT_EQ(node->GetInt64(-1), 1);

    const std::string tooDeep =
        "Invalid MessagePack data at position " + std::to_string(512 * width + 1) + ".";
    EXPECT_EQ(Decode(nested(513)).result.ErrorMessage(), tooDeep);
    EXPECT_EQ(Decode(nested(200000)).result.ErrorMessage(), tooDeep);
  }
  // Maps count the same way.
  Bytes maps;
  for (int i = 0; i < 513; ++i) maps.insert(maps.end(), {0x81, 0xa0});
  EXPECT_EQ(Decode(maps).result.ErrorMessage(), "Invalid MessagePack data at position 1025.");
}

TEST(MessagePackDecoderTest, RecognisesContainers) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::uint8_t first = static_cast<std::uint8_t>(byte);
    const bool container = (byte >= 0x80 && byte <= 0x9f) || (byte >= 0xdc && byte <= 0xdf);
    EXPECT_EQ(IsMessagePackContainer(&first, 1), container) << byte;
    EXPECT_FALSE(IsMessagePackContainer(&first, 0)) << byte;
  }
  EXPECT_FALSE(IsMessagePackContainer(nullptr, 0));
}

// Live bytes and their peak, through hooks that wrap the tracking allocator.
struct PeakWatch {
  static inline std::atomic<std::int64_t> live{0};
  static inline std::atomic<std::int64_t> peak{0};

  static void Note(std::int64_t delta) {
    const std::int64_t now = live.fetch_add(delta) + delta;
    std::int64_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
  }
  static void* Alloc(std::size_t size, void* counters) {
    void* block = TrackingAllocator::Malloc(size, counters);
    Note(static_cast<std::int64_t>(TrackingAllocator::MSize(block, counters)));
    return block;
  }
  static void Free(void* block, void* counters) {
    Note(-static_cast<std::int64_t>(TrackingAllocator::MSize(block, counters)));
    TrackingAllocator::Free(block, counters);
  }
  static void* Realloc(void* block, std::size_t size, void* counters) {
    const auto before = static_cast<std::int64_t>(TrackingAllocator::MSize(block, counters));
    void* moved = TrackingAllocator::Realloc(block, size, counters);
    if (moved != nullptr || size == 0) {
      Note(static_cast<std::int64_t>(TrackingAllocator::MSize(moved, counters)) - before);
    }
    return moved;
  }
  static char* StrDup(const char* text, void* counters) {
    char* copy = TrackingAllocator::StrDup(text, counters);
    Note(static_cast<std::int64_t>(TrackingAllocator::MSize(copy, counters)));
    return copy;
  }

  // The highest number of bytes live at once while `run` ran, above those live before it.
  template <class F>
  static std::int64_t Measure(F run) {
    MemoryHooks::EnsureInitialized();
    live = 0;
    peak = 0;
    MemoryHooks::SetAllocator(&Alloc, &Free, &Realloc, &StrDup, &TrackingAllocator::MSize,
                              &TrackingAllocator::Counters());
    run();
    MemoryHooks::SetAllocator(&TrackingAllocator::Malloc, &TrackingAllocator::Free,
                              &TrackingAllocator::Realloc, &TrackingAllocator::StrDup,
                              &TrackingAllocator::MSize, &TrackingAllocator::Counters());
    return peak.load();
  }
};

TEST(MessagePackDecoderTest, ClaimedCountsAllocateNothing) {
  // The watch must see the decoder's allocations at all: 64 strings of 40 bytes.
  Bytes strings = {0xdc, 0x00, 0x40};
  for (int i = 0; i < 64; ++i) {
    strings.insert(strings.end(), {0xd9, 40});
    strings.insert(strings.end(), 40, static_cast<std::uint8_t>('A' + i % 26));
    strings.back() = static_cast<std::uint8_t>(i);
  }
  const std::int64_t seen = PeakWatch::Measure([&] {
    const auto decoded = Decode(strings);
    EXPECT_EQ(decoded.result.Value().Size(), 64u);
  });
  EXPECT_GT(seen, 64 * 40);

  // Huge claimed counts and lengths followed by a few real bytes.
  const char* const inputs[] = {
      "dd ff ff ff ff",
      "df ff ff ff ff",
      "db ff ff ff ff 61 62",
      "c6 ff ff ff ff 00",
      "dd ff ff ff ff 01 02 03",
      "df ff ff ff ff a1 61 dd ff ff ff ff 01",
      "dc ff ff 91 dd ff ff ff ff c0",
      "de ff ff a1 61 de ff ff a1 62 c6 7f ff ff ff",
  };
  for (const char* hex : inputs) {
    SCOPED_TRACE(hex);
    const Bytes bytes = FromHex(hex);
    const std::int64_t peak = PeakWatch::Measure([&] { (void)Decode(bytes); });
    // The fixed part is the new tree's arena and the frame stack.
    EXPECT_LT(peak, 8192 + 64 * static_cast<std::int64_t>(bytes.size()));
  }
}

// Whether a decoded value equals the suite's expected JSON value, numbers compared by value.
bool Matches(const BindingProperty& value, const rapidjson::Value& expected) {
  switch (expected.GetType()) {
    case rapidjson::kNullType:
      return value.IsEmpty();
    case rapidjson::kFalseType:
    case rapidjson::kTrueType:
      return value.Kind() == BindingPropertyKind::Bool && value.GetBool() == expected.GetBool();
    case rapidjson::kStringType:
      return value.Kind() == BindingPropertyKind::String &&
             value.GetString() ==
                 std::string_view(expected.GetString(), expected.GetStringLength());
    case rapidjson::kNumberType:
      switch (value.Kind()) {
        case BindingPropertyKind::Signed:
          return expected.IsInt64() ? value.GetInt64() == expected.GetInt64()
                                    : static_cast<double>(value.GetInt64()) == expected.GetDouble();
        case BindingPropertyKind::Unsigned:
          return expected.IsUint64()
                     ? value.GetUint64() == expected.GetUint64()
                     : static_cast<double>(value.GetUint64()) == expected.GetDouble();
        case BindingPropertyKind::Float:
          return value.GetDouble() == expected.GetDouble();
        default:
          return false;
      }
    case rapidjson::kArrayType:
      if (!value.IsCollection() || value.Size() != expected.Size()) return false;
      for (rapidjson::SizeType i = 0; i < expected.Size(); ++i) {
        if (!Matches(value.At(i), expected[i])) return false;
      }
      return true;
    case rapidjson::kObjectType:
      if (!value.IsStructure() || value.Size() != expected.MemberCount()) return false;
      for (const auto& member : expected.GetObject()) {
        const std::string_view name(member.name.GetString(), member.name.GetStringLength());
        if (!value.HasMember(name) || !Matches(value.FindMember(name), member.value)) return false;
      }
      return true;
  }
  return false;
}

// A "bignum" case holds its number as decimal text, to be compared exactly.
bool MatchesBignum(const BindingProperty& value, const std::string& text) {
  if (text.front() == '-') {
    const long long number = std::strtoll(text.c_str(), nullptr, 10);
    if (value.Kind() == BindingPropertyKind::Float) return value.GetDouble() == double(number);
    return value.Kind() == BindingPropertyKind::Signed && value.GetInt64() == number;
  }
  const unsigned long long number = std::strtoull(text.c_str(), nullptr, 10);
  switch (value.Kind()) {
    case BindingPropertyKind::Signed:
      return value.GetInt64() >= 0 && static_cast<unsigned long long>(value.GetInt64()) == number;
    case BindingPropertyKind::Unsigned:
      return value.GetUint64() == number;
    case BindingPropertyKind::Float:
      return value.GetDouble() == double(number);
    default:
      return false;
  }
}

TEST(MessagePackDecoderTest, DecodesThePublicSuite) {
  std::ifstream file(JYX_TESTDATA_DIR "/msgpack-test-suite/msgpack-test-suite.json");
  ASSERT_TRUE(file.good());
  std::stringstream text;
  text << file.rdbuf();
  rapidjson::Document suite;
  suite.Parse(text.str().c_str());
  ASSERT_FALSE(suite.HasParseError());

  int decodedCount = 0;
  int refusedCount = 0;
  for (const auto& group : suite.GetObject()) {
    const std::string groupName = group.name.GetString();
    const bool refused = groupName.find("timestamp") != std::string::npos ||
                         groupName.find("ext") != std::string::npos;
    for (const auto& testCase : group.value.GetArray()) {
      for (const auto& encoding : testCase["msgpack"].GetArray()) {
        SCOPED_TRACE(groupName + " " + encoding.GetString());
        const Bytes bytes = FromHex(encoding.GetString());
        const auto decoded = Decode(bytes);
        if (refused) {
          EXPECT_EQ(decoded.result.ErrorMessage(), "Invalid MessagePack data at position 1.");
          ++refusedCount;
          continue;
        }
        ASSERT_TRUE(decoded.result.IsOk()) << decoded.result.ErrorMessage();
        EXPECT_EQ(decoded.consumed, bytes.size());
        const BindingProperty& value = decoded.result.Value();
        if (testCase.HasMember("bignum")) {
          EXPECT_TRUE(MatchesBignum(value, testCase["bignum"].GetString())) << Describe(value);
        } else if (testCase.HasMember("binary")) {
          EXPECT_EQ(value.Kind(), BindingPropertyKind::Blob);
          const Bytes expected = FromHex(testCase["binary"].GetString());
          const auto blob = value.GetBlob();
          EXPECT_TRUE(std::equal(blob.begin(), blob.end(), expected.begin(), expected.end()))
              << Describe(value);
        } else {
          for (const char* key : {"nil", "bool", "number", "string", "array", "map"}) {
            if (testCase.HasMember(key)) {
              EXPECT_TRUE(Matches(value, testCase[key])) << Describe(value);
            }
          }
        }
        ++decodedCount;
      }
    }
  }
  EXPECT_GT(decodedCount, 100);
  EXPECT_GT(refusedCount, 20);
}

}  // namespace
}  // namespace Zarn
