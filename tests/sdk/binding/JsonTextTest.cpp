#include "sdk/binding/JsonText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sdk/base/TrackingAllocator.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/PageSource.h"
#include "sdk/binding/TypeId.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/binding/TypedConversions.h"
#include "tests/sdk/base/MemoryTesting.h"

namespace {

enum class Shade : std::int32_t { Dark = 1, Light = 2 };

struct Seat {
  std::uint64_t id = 0;
  std::string label;
  Shade shade = Shade::Dark;
};

struct Crew {
  std::string name;
  std::vector<Seat> seats;
  std::optional<std::string> note;
  std::vector<std::string> tags;
};

}  // namespace

ZARN_TYPE_ID(Shade, 0x5A000001u);
ZARN_TYPE_ID(Seat, 0x5A000002u);
ZARN_TYPE_ID(Crew, 0x5A000003u);

namespace {

using namespace Zarn;
using Zarn::Testing::CounterValues;

// Compact text of what `text` parses to; the failure message when it does not parse.
std::string Reparse(const std::string& text) {
  BindingResult result = ParseJson(text);
  if (!result.IsOk()) return std::string(result.ErrorMessage());
  return SerializeJson(result.Value(), nullptr, nullptr);
}

TEST(JsonTextTest, ParsesValues) {
  struct Case {
    const char* text;
    const char* compact;
  };
  const Case cases[] = {
      {"", ""},
      {" \t\r\n ", ""},
      {"null", ""},
      {"true", "true"},
      {" [1, -1, 1.0, -0, 1e2]", "[1,-1,1.0,0,100.0]"},
      {"18446744073709551615", "18446744073709551615"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"18446744073709551616", "18446744073709553000.0"},
      {R"("a\u0000b")", R"("a")"},
      {R"("tab\t\"q\" \u00e9")", "\"tab\\t\\\"q\\\" \xC3\xA9\""},
      {R"({"b":1,"B":2,"a":3,"ab":4})", R"({"B":2,"a":3,"ab":4,"b":1})"},
      // Repeated names: scalars replace, null keeps, containers add to the one already there.
      {R"({"a":1,"a":2})", R"({"a":2})"},
      {R"({"a":1,"a":null})", R"({"a":1})"},
      {R"({"a":[1],"a":[2,3]})", R"({"a":[1,2,3]})"},
      {R"({"a":{"x":1},"a":{"y":2}})", R"({"a":{"x":1,"y":2}})"},
      {R"({"a":"s","a":[1]})", R"({"a":[1]})"},
      {R"([null,{"k":null},[]])", R"([null,{"k":null},[]])"},
      {"{\"a\":1}\0garbage", R"({"a":1})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Reparse(c.text), c.compact);
  }
}

std::string NumberList(int count) {
  std::string text = "[";
  for (int i = 0; i < count; ++i) text += (i == 0 ? "" : ",") + std::to_string(i);
  return text + "]";
}

// Lists of every size and depth, open around each other, read whole; lists cut off or followed
// by errors leave nothing behind (the sanitizer's leak check sees every element).
TEST(JsonTextTest, ListsKeepEveryElementInOrder) {
  const std::string hundreds = NumberList(300);
  const std::string inRecords = "[" + std::string(R"({"a":)") + hundreds + R"(,"b":[[1],[]],"c":)" +
                                hundreds + "}," + hundreds + "," + NumberList(70) + "]";
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "[" + std::to_string(i) + ",";
  deep += "[]";
  for (int i = 0; i < 100; ++i) deep += ",{}]";
  struct Case {
    std::string text;
    std::string compact;
  };
  const Case cases[] = {
      {NumberList(1), "[0]"},
      {NumberList(2000), NumberList(2000)},
      {inRecords, inRecords},
      {deep, deep},
      {R"([[],[[]],{"a":[[1,2],[3]]},[4,[5,[6]]]])", R"([[],[[]],{"a":[[1,2],[3]]},[4,[5,[6]]]])"},
      {R"({"a":[1,[2]],"b":0,"a":[[3],4]})", R"({"a":[1,[2],[3],4],"b":0})"},
      {NumberList(500) + "]",
       "Error: The document root must not be followed by other values. at offset 1891."},
      {"[1,[2,3],{\"a\":[4,", "Error: Invalid value. at offset 17."},
      {"[" + hundreds + "," + hundreds.substr(0, 500),
       "Error: Missing a comma or ']' after an array element. at offset 1593."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    EXPECT_EQ(Reparse(c.text), c.compact);
  }
}

TEST(JsonTextTest, NumberKinds) {
  struct Case {
    const char* text;
    BindingPropertyKind kind;
  };
  const Case cases[] = {
      {"1", BindingPropertyKind::Unsigned},          {"0", BindingPropertyKind::Unsigned},
      {"4294967296", BindingPropertyKind::Unsigned}, {"-1", BindingPropertyKind::Signed},
      {"-0", BindingPropertyKind::Signed},           {"1.0", BindingPropertyKind::Float},
      {"1e0", BindingPropertyKind::Float},           {"-5000000000", BindingPropertyKind::Signed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BindingResult result = ParseJsonText(c.text);
    ASSERT_TRUE(result.IsOk());
    EXPECT_EQ(result.Value().Kind(), c.kind);
  }
}

TEST(JsonTextTest, ReportsErrorsWithOffsetsFromTheFirstByte) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"[1]]", "Error: The document root must not be followed by other values. at offset 3."},
      {"  [1]]", "Error: The document root must not be followed by other values. at offset 5."},
      {"1 2", "Error: The document root must not be followed by other values. at offset 2."},
      // Openings the iterative reader would call an empty document.
      {"]", "Error: Invalid value. at offset 0."},
      {" }", "Error: Invalid value. at offset 1."},
      {"\n,", "Error: Invalid value. at offset 1."},
      {":1", "Error: Invalid value. at offset 0."},
      {"x", "Error: Invalid value. at offset 0."},
      {"[1,]", "Error: Invalid value. at offset 3."},
      {"[", "Error: Invalid value. at offset 1."},
      {"{", "Error: Missing a name for object member. at offset 1."},
      {R"({"a" 1})", "Error: Missing a colon after a name of object member. at offset 5."},
      {R"({"a":1 "b":2})", "Error: Missing a comma or '}' after an object member. at offset 7."},
      {"[1 2]", "Error: Missing a comma or ']' after an array element. at offset 3."},
      {R"("\u12G4")", "Error: Incorrect hex digit after \\u escape in string. at offset 1."},
      {R"("\uD800x")", "Error: The surrogate pair in string is invalid. at offset 1."},
      {R"("\q")", "Error: Invalid escape character in string. at offset 1."},
      {R"("abc)", "Error: Missing a closing quotation mark in string. at offset 4."},
      {"1e400", "Error: Number too big to be stored in double. at offset 0."},
      {"1.", "Error: Miss fraction part in number. at offset 2."},
      {"1e", "Error: Miss exponent in number. at offset 2."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BindingResult result = ParseJsonText(c.text);
    EXPECT_FALSE(result.IsOk());
    EXPECT_EQ(result.ErrorMessage(), c.message);
  }
}

std::string Nested(std::uint32_t levels, const std::string& open, const std::string& close) {
  std::string text;
  for (std::uint32_t i = 0; i < levels; ++i) text += open;
  text += "1";
  for (std::uint32_t i = 0; i < levels; ++i) text += close;
  return text;
}

TEST(JsonTextTest, CapsNestingAt512) {
  struct Case {
    const char* label;
    std::string text;
    const char* message;
  };
  const char* const kTooDeep = "Error: Terminate parsing due to Handler error. at offset ";
  const Case cases[] = {
      {"512 lists", Nested(512, "[", "]"), nullptr},
      {"513 lists", Nested(513, "[", "]"), "512."},
      {"100000 lists", Nested(100000, "[", "]"), "512."},
      {"512 objects", Nested(512, R"({"a":)", "}"), nullptr},
      {"513 objects", Nested(513, R"({"a":)", "}"), "2560."},
      // Each level opens a list and an object: the 513th container is the list of level 256.
      {"alternating", Nested(50000, R"([{"":)", "}]"), "1280."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BindingResult result = ParseJson(c.text);
    if (c.message == nullptr) {
      EXPECT_TRUE(result.IsOk()) << result.ErrorMessage();
    } else {
      EXPECT_EQ(result.ErrorMessage(), std::string(kTooDeep) + c.message);
    }
  }
}

BindingProperty Sample() {
  BindingProperty value;
  value.Member("list").Append().SetUint64(1);
  value.Member("list").Append().SetString("two");
  value.Member("empty list").MakeCollection();
  value.Member("empty object").MakeStructure();
  value.Member("nested").Member("x").SetBool(false);
  return value;
}

TEST(JsonTextTest, SeparatorsChooseTheLayout) {
  const BindingProperty value = Sample();
  const std::string pretty =
      "{\n"
      "    \"empty list\": [],\n"
      "    \"empty object\": {},\n"
      "    \"list\": [\n"
      "        1,\n"
      "        \"two\"\n"
      "    ],\n"
      "    \"nested\": {\n"
      "        \"x\": false\n"
      "    }\n"
      "}";
  auto replaced = [&](const std::string& separator) {
    std::string text;
    for (const char c : pretty) text += c == '\n' ? separator : std::string(1, c);
    return text;
  };
  const std::string compact =
      R"({"empty list":[],"empty object":{},"list":[1,"two"],"nested":{"x":false}})";
  struct Case {
    const char* separator;
    std::string expected;
  };
  const Case cases[] = {
      {nullptr, compact},         {"", compact},        {"\n", pretty},
      {"\r\n", replaced("\r\n")}, {" ", replaced(" ")}, {"<br>", replaced("<br>")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.separator == nullptr ? "null" : c.separator);
    EXPECT_EQ(SerializeJson(value, nullptr, c.separator), c.expected);
  }
  EXPECT_EQ(ToJsonText(value, nullptr, "\r\n").Value(), replaced("\r\n"));
  EXPECT_EQ(ToJsonText(false, nullptr, "\n").Value(), "false");
  // A line feed inside a text is escaped, so it is never taken for a line break.
  BindingProperty text;
  text.SetString("a\nb");
  EXPECT_EQ(SerializeJson(text, nullptr, "\r\n"), "\"a\\nb\"");
}

TEST(JsonTextTest, WritesEveryKind) {
  BindingRegistry registry;
  registry.RegisterType(4, "Shade", TypeId<Shade>(), true).AddEnumValue("Dark", 1, "");

  BindingProperty named;
  named.SetEnum({1, TypeId<Shade>().id});
  BindingProperty unnamed;
  unnamed.SetEnum({-7, TypeId<Shade>().id});
  BindingProperty blob;
  blob.SetBlob(std::vector<std::uint8_t>{'a', 'b', 'c'});
  BindingProperty emptyBlob;
  emptyBlob.SetBlob(std::vector<std::uint8_t>{});
  BindingProperty real;
  real.SetDouble(0.1);
  BindingProperty infinite;
  infinite.SetDouble(1.0 / 0.0);
  BindingProperty list;
  list.Append().SetDouble(-0.0 / 0.0);
  list.Append().SetInt64(-3);
  // Repeated values, one of them unnamed, and the same number in a type the registry lacks.
  BindingProperty enums;
  for (const std::int32_t value : {1, -7, 1, -7, 1}) {
    enums.Append().SetEnum({value, TypeId<Shade>().id});
  }
  enums.Append().SetEnum({1, TypeId<Shade>().id + 1});
  BindingProperty empty;

  struct Case {
    const char* label;
    const BindingProperty& value;
    const BindingRegistry* registry;
    const char* text;
  };
  const Case cases[] = {
      {"enum with a name", named, &registry, R"("Dark")"},
      {"enum without a registry", named, nullptr, "1"},
      {"enum without a name", unnamed, &registry, "-7"},
      {"enums again", enums, &registry, R"(["Dark",-7,"Dark",-7,"Dark",1])"},
      {"blob", blob, nullptr, R"("YWJj")"},
      {"empty blob", emptyBlob, nullptr, R"("")"},
      {"double", real, nullptr, "0.1"},
      {"infinity", infinite, nullptr, "null"},
      {"NaN in a list", list, nullptr, "[null,-3]"},
      {"empty", empty, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(SerializeJson(c.value, c.registry, nullptr), c.text);
    // A scalar has no line to break.
    if (!c.value.IsCollection()) {
      EXPECT_EQ(SerializeJson(c.value, c.registry, "\n"), c.text);
    }
  }
}

// The buffer starts at the last text's length, so a text like the last one is written into one
// block (beside the writer's own stack of open containers), however long it is.
TEST(JsonTextTest, ATextLikeTheLastIsWrittenIntoOneBufferBlock) {
  BindingProperty value;
  for (int i = 0; i < 3000; ++i) {
    BindingProperty& element = value.Append();
    element.Member("quotes").SetString(std::string(static_cast<std::size_t>(i % 90), '"'));
    element.Member("n").SetUint64(static_cast<std::uint64_t>(i));
  }
  for (const char* separator : {static_cast<const char*>(nullptr), "\n"}) {
    SCOPED_TRACE(separator == nullptr ? "compact" : "pretty");
    const std::string first = SerializeJson(value, nullptr, separator);
    const std::uint64_t before = TrackingAllocator::Counters().allocations.load();
    const std::string second = SerializeJson(value, nullptr, separator);
    EXPECT_LE(TrackingAllocator::Counters().allocations.load() - before, 2u);
    EXPECT_EQ(second, first);
    EXPECT_GT(first.size(), 150000u);
  }
}

// Reads into records and writes back, over and over: the heap's live bytes, the pages in use and
// the reservations held end as they began, both when each read's reservations come and go and
// when another value keeps one.
TEST(JsonTextTest, TenThousandReadsAndWritesLeaveMemoryAsItWas) {
  BindingRegistry registry;
  registry.RegisterType(4, "Shade", TypeId<Shade>(), true)
      .AddEnumValue("Dark", 1, "")
      .AddEnumValue("Light", 2, "");
  TypeRegistry(registry.RegisterType(sizeof(Seat), "Seat", TypeId<Seat>(), false))
      .AddMember<std::uint64_t>("id", offsetof(Seat, id), "")
      .AddMember<std::string>("label", offsetof(Seat, label), "")
      .AddMember<Shade>("shade", offsetof(Seat, shade), "");
  TypeRegistry(registry.RegisterType(sizeof(Crew), "Crew", TypeId<Crew>(), false))
      .AddMember<std::string>("name", offsetof(Crew, name), "")
      .AddMember<std::vector<Seat>>("seats", offsetof(Crew, seats), "")
      .AddMember<std::optional<std::string>>("note", offsetof(Crew, note), "")
      .AddMember<std::vector<std::string>>("tags", offsetof(Crew, tags), "");
  Crew crew;
  crew.name = "a crew whose name is too long to be kept inside its entry's block";
  for (std::uint64_t i = 0; i < 12; ++i) {
    crew.seats.push_back(
        {i * 7919, "seat " + std::to_string(i), i % 3 == 0 ? Shade::Light : Shade::Dark});
  }
  crew.tags = {"x", "y", "x"};
  const std::string text = ToJsonString(crew, registry);
  ASSERT_GT(text.size(), 500u);

  const auto round = [&] {
    BindingResult parsed = ParseJson(text);
    Crew read;
    ASSERT_TRUE(ReadRequiredValue(read, parsed.Value(), registry));
    ASSERT_EQ(ToJsonString(read, registry), text);
    ASSERT_FALSE(SerializeJson(parsed.Value(), &registry, "\r\n").empty());
  };
  for (const bool otherAlive : {false, true}) {
    SCOPED_TRACE(otherAlive ? "another value alive" : "no other value");
    std::optional<BindingProperty> other;
    if (otherAlive) {
      other.emplace();
      for (int i = 0; i < 200; ++i) other->Append().SetString(std::to_string(i));
      ASSERT_GT(PageSource::Instance().PagesInUse(), 0u);
    }
    {
      const std::size_t idle = PageSource::Instance().PagesInUse();
      BindingResult parsed = ParseJson(text);
      ASSERT_GT(PageSource::Instance().PagesInUse(), idle);  // a read takes pages of its own
    }
    round();  // the page table and the writer's buffer lengths are set up once
    const CounterValues before = CounterValues::ReadProcess();
    const std::size_t pages = PageSource::Instance().PagesInUse();
    const std::size_t reservations = PageSource::Instance().ReservationCount();
    for (int i = 0; i < 10000; ++i) round();
    const CounterValues after = CounterValues::ReadProcess();
    EXPECT_GT(after.allocations - before.allocations, 10000u);
    EXPECT_EQ(after.bytesAllocated - before.bytesAllocated, after.bytesFreed - before.bytesFreed);
    EXPECT_EQ(PageSource::Instance().PagesInUse(), pages);
    EXPECT_EQ(PageSource::Instance().ReservationCount(), reservations);
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The public conformance suite: y_ must parse, n_ must not (but for the blank documents and the
// one that ends at a NUL), i_ may go either way but must not crash.
TEST(JsonTextTest, ConformanceSuite) {
  const std::filesystem::path dir =
      std::filesystem::path(JYX_TESTDATA_DIR) / "JSONTestSuite" / "test_parsing";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  const std::vector<std::string> acceptedRefusals = {
      "n_structure_no_data.json", "n_single_space.json", "n_multidigit_number_then_00.json"};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    // A heap block of exactly the file and its terminator, so that ASan sees any read past it.
    const std::string text = ReadFile(entry.path());
    const auto exact = std::make_unique<char[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), exact.get());
    exact[text.size()] = '\0';
    BindingResult result = ParseJsonText(exact.get());
    ++files;
    if (name.starts_with("y_")) {
      EXPECT_TRUE(result.IsOk()) << result.ErrorMessage();
    } else if (name.starts_with("n_")) {
      const bool accepted = std::find(acceptedRefusals.begin(), acceptedRefusals.end(), name) !=
                            acceptedRefusals.end();
      EXPECT_EQ(result.IsOk(), accepted) << result.ErrorMessage();
    }
  }
  EXPECT_GT(files, 300);
}

// Documents that parsers read differently (huge numbers, duplicate keys, odd strings): whatever
// is accepted writes a text that reads back to itself, so nothing is lost on a second pass.
TEST(JsonTextTest, TransformSuiteIsStable) {
  const std::filesystem::path dir =
      std::filesystem::path(JYX_TESTDATA_DIR) / "JSONTestSuite" / "test_transform";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  int accepted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().filename().string());
    const BindingResult result = ParseJson(ReadFile(entry.path()));
    if (!result.IsOk()) continue;
    ++accepted;
    const std::string once = SerializeJson(result.Value(), nullptr, nullptr);
    EXPECT_EQ(Reparse(once), once);
  }
  EXPECT_GT(accepted, 10);
}

}  // namespace
