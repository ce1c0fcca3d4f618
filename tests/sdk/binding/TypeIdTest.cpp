#include "sdk/binding/TypeId.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <thread>
#include <type_traits>
#include <vector>

#include "sdk/binding/BindingBuiltinTypes.h"
#include "sdk/binding/KeyedMap.h"

namespace {

struct ResourceLike {};
struct LowerCaseDigits {};
struct RacedType {};

}  // namespace

ZARN_TYPE_ID(ResourceLike, 0x063574ADu);
ZARN_TYPE_ID(LowerCaseDigits, 0xABCDEF01u);
ZARN_TYPE_ID(RacedType, 0x00000001u);

namespace {

using Zarn::TypeId;
using Zarn::TypeIdentity;

struct Expected {
  const char* label;
  const TypeIdentity& identity;
  std::uint32_t id;
  const char* name;
};

TEST(TypeIdTest, FixedIdsAndNames) {
  const Expected table[] = {
      {"void", TypeId<void>(), 0x1BE7EF8E, "#1BE7EF8E"},
      {"bool", TypeId<bool>(), 0x6AB1187C, "bool"},
      {"int32_t", TypeId<std::int32_t>(), 0x1C4DE261, "#1C4DE261"},
      {"uint32_t", TypeId<std::uint32_t>(), 0x3494B562, "#3494B562"},
      {"Long32", TypeId<Zarn::Long32>(), 0x844BAF8A, "#844BAF8A"},
      {"int64_t", TypeId<std::int64_t>(), 0x7B2B1131, "#7B2B1131"},
      {"uint64_t", TypeId<std::uint64_t>(), 0xC647E802, "#C647E802"},
      {"double", TypeId<double>(), 0xBDCD4E3B, "double"},
      {"string", TypeId<std::string>(), 0x2757680B, "class std::string"},
      {"BindingProperty", TypeId<Zarn::BindingProperty>(), 0xAF98C378,
       "class Zarn::BindingProperty"},
      {"vector<BindingProperty>", TypeId<std::vector<Zarn::BindingProperty>>(), 0xE980F126,
       "class std::vector<class Zarn::BindingProperty>"},
      {"optional<bool>", TypeId<std::optional<bool>>(), 0x3925D5E7, "#3925D5E7"},
      {"optional<int32_t>", TypeId<std::optional<std::int32_t>>(), 0x660AD9B2, "#660AD9B2"},
      {"optional<uint64_t>", TypeId<std::optional<std::uint64_t>>(), 0x84C81DB9, "#84C81DB9"},
      {"optional<string>", TypeId<std::optional<std::string>>(), 0xCCA74F06, "#CCA74F06"},
      {"vector<ArgumentHelp>", TypeId<std::vector<Zarn::BindingFullArgumentHelp>>(), 0xAE376D12,
       "#AE376D12"},
      {"vector<FieldHelp>", TypeId<std::vector<Zarn::BindingFullFieldHelp>>(), 0x91BDEEC6,
       "#91BDEEC6"},
      {"vector<EnumValueHelp>", TypeId<std::vector<Zarn::BindingFullEnumValueHelp>>(), 0xF613EC9E,
       "#F613EC9E"},
      {"vector<FunctionHelp>", TypeId<std::vector<Zarn::BindingFullFunctionHelp>>(), 0x334BF406,
       "#334BF406"},
      {"vector<TypeHelp>", TypeId<std::vector<Zarn::BindingFullTypeHelp>>(), 0xE98B65D6,
       "#E98B65D6"},
      {"vector<EventHelp>", TypeId<std::vector<Zarn::BindingFullEventHelp>>(), 0xC8AF01A6,
       "#C8AF01A6"},
      {"map of strings", TypeId<Zarn::KeyedMap<std::string>>(), 0xFC7C16AE, "#FC7C16AE"},
      {"leading zero digit", TypeId<ResourceLike>(), 0x063574AD, "#063574AD"},
      {"upper-case digits", TypeId<LowerCaseDigits>(), 0xABCDEF01, "#ABCDEF01"},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.label);
    EXPECT_EQ(e.identity.id, e.id);
    EXPECT_STREQ(e.identity.name, e.name);
    // A number-sign name lives in the record's own text; a static name leaves the text empty.
    if (e.name[0] == '#') {
      EXPECT_EQ(e.identity.name, e.identity.text);
    } else {
      EXPECT_EQ(e.identity.text[0], '\0');
    }
  }
}

TEST(TypeIdTest, OneRecordPerTypeEvenWhenFirstRequestedConcurrently) {
  std::vector<const TypeIdentity*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &TypeId<RacedType>(); });
  }
  for (std::thread& t : threads) t.join();
  for (const TypeIdentity* identity : seen) {
    EXPECT_EQ(identity, &TypeId<RacedType>());
  }
  EXPECT_STREQ(TypeId<RacedType>().name, "#00000001");
}

TEST(TypeIdTest, SecondSignedTypeIsDistinctAndThirtyTwoBits) {
  static_assert(!std::is_same_v<Zarn::Long32, std::int32_t>);
  static_assert(!std::is_same_v<Zarn::Long32, long>);
  static_assert(sizeof(Zarn::Long32) == 4);
  Zarn::Long32 version = -7;
  std::int32_t plain = version;
  EXPECT_EQ(plain, -7);
  EXPECT_NE(TypeId<Zarn::Long32>().id, TypeId<std::int32_t>().id);
}

TEST(TypeIdTest, WrapperIdsAreDistinctFromEachOtherAndFromFixedIds) {
  const std::uint32_t ids[] = {
      TypeId<void>().id,
      TypeId<bool>().id,
      TypeId<std::int32_t>().id,
      TypeId<std::uint32_t>().id,
      TypeId<Zarn::Long32>().id,
      TypeId<std::int64_t>().id,
      TypeId<std::uint64_t>().id,
      TypeId<double>().id,
      TypeId<std::string>().id,
      TypeId<Zarn::BindingProperty>().id,
      TypeId<std::vector<Zarn::BindingProperty>>().id,
      TypeId<std::optional<bool>>().id,
      TypeId<std::optional<std::int32_t>>().id,
      TypeId<std::optional<std::uint64_t>>().id,
      TypeId<std::optional<std::string>>().id,
      TypeId<std::vector<std::int32_t>>().id,
      TypeId<std::vector<std::uint32_t>>().id,
      TypeId<std::vector<std::uint64_t>>().id,
      TypeId<std::vector<std::string>>().id,
      TypeId<std::optional<std::vector<std::string>>>().id,
      TypeId<std::optional<double>>().id,
      TypeId<Zarn::KeyedMap<std::string>>().id,
      TypeId<Zarn::KeyedMap<std::int32_t>>().id,
      TypeId<Zarn::BindingCallbackEvent>().id,
      TypeId<std::vector<Zarn::BindingFullTypeHelp>>().id,
  };
  const std::set<std::uint32_t> unique(std::begin(ids), std::end(ids));
  EXPECT_EQ(unique.size(), std::size(ids));
}

}  // namespace
