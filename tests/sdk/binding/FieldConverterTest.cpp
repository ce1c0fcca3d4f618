#include "sdk/binding/FieldConverter.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/BindingBuiltinTypes.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/binding/TypedConversions.h"

namespace {

enum class Mood : std::int32_t { Calm = 0, Happy = 3, Angry = -2 };

struct Leaf {
  std::int32_t count = 7;
  std::string label;
  Mood mood = Mood::Calm;
};

struct Scalars {
  bool flag = true;
  std::int32_t i32 = 99;
  Zarn::Long32 l32 = 99;
  std::uint32_t u32 = 99;
  std::int64_t i64 = 99;
  std::uint64_t u64 = 99;
  double dbl = 99;
  std::string text = "before";
  Mood mood = Mood::Happy;
};

struct Tree {
  std::string name;
  Leaf leaf;
  std::vector<Leaf> leaves;
  std::vector<std::int32_t> ints;
  std::vector<std::uint64_t> ids;
  std::vector<std::string> tags;
  std::vector<Mood> moods;
  Zarn::KeyedMap<std::string> labels;
  Zarn::KeyedMap<Leaf> leafMap;
  std::optional<bool> maybeFlag;
  std::optional<std::int32_t> maybeInt;
  std::optional<std::uint64_t> maybeId;
  std::optional<std::string> maybeText;
  std::optional<Leaf> maybeLeaf;
  std::optional<std::vector<Leaf>> maybeLeaves;
  Zarn::BindingProperty extra;
};

struct Strict {
  std::int32_t id = 0;
  std::string note;
  bool on = false;
};

struct Unregistered {
  std::int32_t x = 0;
};

struct Holder {
  Unregistered inner;
};

}  // namespace

ZARN_TYPE_ID(Mood, 0x5B000001u);
ZARN_TYPE_ID(Leaf, 0x5B000002u);
ZARN_TYPE_ID(Scalars, 0x5B000003u);
ZARN_TYPE_ID(Tree, 0x5B000004u);
ZARN_TYPE_ID(Strict, 0x5B000005u);
ZARN_TYPE_ID(Unregistered, 0x5B000006u);
ZARN_TYPE_ID(Holder, 0x5B000007u);

namespace {

using namespace Zarn;

class FieldConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.RegisterType(4, "Mood", TypeId<Mood>(), true)
        .AddEnumValue("Calm", 0, "")
        .AddEnumValue("Happy", 3, "")
        .AddEnumValue("Angry", -2, "");
    TypeRegistry(registry_.RegisterType(sizeof(Leaf), "Leaf", TypeId<Leaf>(), false))
        .AddMember<std::int32_t>("count", offsetof(Leaf, count), "")
        .AddMember<std::string>("label", offsetof(Leaf, label), "")
        .AddMember<Mood>("mood", offsetof(Leaf, mood), "");
    TypeRegistry(registry_.RegisterType(sizeof(Scalars), "Scalars", TypeId<Scalars>(), false))
        .AddMember<bool>("flag", offsetof(Scalars, flag), "")
        .AddMember<std::int32_t>("i32", offsetof(Scalars, i32), "")
        .AddMember<Long32>("l32", offsetof(Scalars, l32), "")
        .AddMember<std::uint32_t>("u32", offsetof(Scalars, u32), "")
        .AddMember<std::int64_t>("i64", offsetof(Scalars, i64), "")
        .AddMember<std::uint64_t>("u64", offsetof(Scalars, u64), "")
        .AddMember<double>("dbl", offsetof(Scalars, dbl), "")
        .AddMember<std::string>("text", offsetof(Scalars, text), "")
        .AddMember<Mood>("mood", offsetof(Scalars, mood), "");
    TypeRegistry(registry_.RegisterType(sizeof(Tree), "Tree", TypeId<Tree>(), false))
        .AddMember<std::string>("name", offsetof(Tree, name), "")
        .AddMember<Leaf>("leaf", offsetof(Tree, leaf), "")
        .AddMember<std::vector<Leaf>>("leaves", offsetof(Tree, leaves), "")
        .AddMember<std::vector<std::int32_t>>("ints", offsetof(Tree, ints), "")
        .AddMember<std::vector<std::uint64_t>>("ids", offsetof(Tree, ids), "")
        .AddMember<std::vector<std::string>>("tags", offsetof(Tree, tags), "")
        .AddMember<std::vector<Mood>>("moods", offsetof(Tree, moods), "")
        .AddMember<Zarn::KeyedMap<std::string>>("labels", offsetof(Tree, labels), "")
        .AddMember<Zarn::KeyedMap<Leaf>>("leafMap", offsetof(Tree, leafMap), "")
        .AddMember<std::optional<bool>>("maybeFlag", offsetof(Tree, maybeFlag), "")
        .AddMember<std::optional<std::int32_t>>("maybeInt", offsetof(Tree, maybeInt), "")
        .AddMember<std::optional<std::uint64_t>>("maybeId", offsetof(Tree, maybeId), "")
        .AddMember<std::optional<std::string>>("maybeText", offsetof(Tree, maybeText), "")
        .AddMember<std::optional<Leaf>>("maybeLeaf", offsetof(Tree, maybeLeaf), "")
        .AddMember<std::optional<std::vector<Leaf>>>("maybeLeaves", offsetof(Tree, maybeLeaves), "")
        .AddMember<BindingProperty>("extra", offsetof(Tree, extra), "");
  }

  // Reads `json` into `target` under "<value>"; the failure message, "" on success.
  template <typename T>
  std::string Read(T& target, const char* json) {
    BindingResult parsed = ParseJsonText(json);
    EXPECT_TRUE(parsed.IsOk()) << parsed.ErrorMessage();
    BindingResult result;
    ReadValue(result, target, parsed.Value(), registry_);
    return std::string(result.ErrorMessage());
  }

  template <typename T>
  std::string Json(const T& value) {
    return ToJsonString(value, registry_);
  }

  BindingRegistry registry_;
};

// Each case reads one member into a record whose fields all start non-zero, then writes the
// record back: the member must hold the expected value (0 after a failed number read).
TEST_F(FieldConverterTest, ScalarReaders) {
  struct Case {
    const char* member;
    const char* source;
    const char* message;
    const char* written;
  };
  const Case cases[] = {
      {"i32", "3000000000", "Value 3000000000 for 'i32' of type int32 is out of range", "0"},
      {"i32", "-2147483649", "Value -2147483649 for 'i32' of type int32 is out of range", "0"},
      {"i32", "-2147483648", "", "-2147483648"},
      {"i32", R"("0x10")", "", "16"},
      {"i32", R"("010")", "", "8"},
      {"i32", R"(" -42")", "", "-42"},
      {"i32", R"("")", "", "0"},
      {"i32", R"("12abc")", "Value 12abc for 'i32' of type int32 is in an incorrect format", "0"},
      {"i32", R"("0x")", "Value 0x for 'i32' of type int32 is in an incorrect format", "0"},
      {"i32", R"("2147483648")", "Value 2147483648 for 'i32' of type int32 is out of range", "0"},
      {"i32", R"("99999999999999999999")",
       "Value 99999999999999999999 for 'i32' of type int32 is out of range", "0"},
      {"i32", "2.9", "", "2"},
      {"i32", "-2.9", "", "-2"},
      {"i32", "2147483648.0", "Value 2.14748e+09 for 'i32' of type int32 is out of range", "0"},
      {"i32", "true",
       "Couldn't assign value to 'i32' of type int32 because the input is of an invalid type bool.",
       "0"},
      {"i32", "[1]",
       "Couldn't assign value to 'i32' of type int32 because the input is of an invalid type "
       "collection.",
       "0"},
      {"l32", "-5", "", "-5"},
      {"l32", "2147483648", "Value 2147483648 for 'l32' of type int32 is out of range", "0"},
      {"u32", "4294967295", "", "4294967295"},
      {"u32", "4294967296", "Value 4294967296 for 'u32' of type uint32 is out of range", "0"},
      {"u32", "-1", "Value -1 for 'u32' of type uint32 is out of range", "0"},
      {"u32", "-0.5", "Value -0.5 for 'u32' of type uint32 is out of range", "0"},
      {"u32", "{}",
       "Couldn't assign value to 'u32' of type uint32 because the input is of an invalid type "
       "structure.",
       "0"},
      {"i64", "-9223372036854775808", "", "-9223372036854775808"},
      {"i64", "9223372036854775808",
       "Value 9223372036854775808 for 'i64' of type int64 is out of range", "0"},
      {"i64", "9.3e18", "Value 9.3e+18 for 'i64' of type int64 is out of range", "0"},
      {"u64", "18446744073709551615", "", "18446744073709551615"},
      {"u64", R"("-1")", "Value -1 for 'u64' of type uint64 is out of range", "0"},
      {"u64", R"(" -1")", "Value  -1 for 'u64' of type uint64 is out of range", "0"},
      {"u64", R"("0xFFFFFFFFFFFFFFFF")", "", "18446744073709551615"},
      {"u64", "1e19", "", "10000000000000000000"},
      {"u64", "1.8446744073709552e19", "Value 1.84467e+19 for 'u64' of type uint64 is out of range",
       "0"},
      {"dbl", "7", "", "7.0"},
      {"dbl", "-7", "", "-7.0"},
      {"dbl", R"("0x1p3")", "", "8.0"},
      {"dbl", R"("2.5")", "", "2.5"},
      {"dbl", R"("1e400")", "Value 1e400 for 'dbl' of type double is out of range", "0.0"},
      {"dbl", R"("1e-400")", "Value 1e-400 for 'dbl' of type double is out of range", "0.0"},
      {"dbl", R"("nan")", "Value nan for 'dbl' of type double is out of range", "0.0"},
      {"dbl", R"("1.5x")", "Value 1.5x for 'dbl' of type double is in an incorrect format", "0.0"},
      {"dbl", "false",
       "Couldn't assign value to 'dbl' of type double because the input is of an invalid type "
       "bool.",
       "0.0"},
      {"flag", R"("1")", "", "true"},
      {"flag", R"("false")", "", "false"},
      {"flag", R"("0")", "", "false"},
      {"flag", R"("TRUE")",
       "Value TRUE for 'flag' of type bool is in an incorrect format. Options are \"true\", "
       "\"false\", \"1\", \"0\".",
       "false"},
      {"flag", R"(" true")",
       "Value  true for 'flag' of type bool is in an incorrect format. Options are \"true\", "
       "\"false\", \"1\", \"0\".",
       "false"},
      {"flag", "1",
       "Couldn't assign value to 'flag' of type bool because the input is of an invalid type "
       "unsigned.",
       "false"},
      {"text", R"("abc")", "", R"("abc")"},
      {"text", "5", "Couldn't assign value to 'text' because the input is not a string.", R"("")"},
      {"text", "[]", "Couldn't assign value to 'text' because the input is not a string.", R"("")"},
      {"mood", R"("Angry")", "", R"("Angry")"},
      {"mood", "3", "", R"("Happy")"},
      {"mood", R"("3")", "", R"("Happy")"},
      {"mood", R"("0x3")", "", R"("Happy")"},
      {"mood", "-2", "", R"("Angry")"},
      {"mood", "4294967299", "", R"("Happy")"},
      {"mood", R"("Sad")", "Sad is not a valid Mood enumeration value for 'mood'.", R"("Calm")"},
      {"mood", R"("happy")", "happy is not a valid Mood enumeration value for 'mood'.",
       R"("Calm")"},
      {"mood", "4", "4 is not a valid Mood enumeration value for 'mood'.", R"("Calm")"},
      {"mood", R"("4")", "4 is not a valid Mood enumeration value for 'mood'.", R"("Calm")"},
      {"mood", R"("9999999999")", "9999999999 is not a valid Mood enumeration value for 'mood'.",
       R"("Calm")"},
      {"mood", "1.0",
       "Couldn't assign value to 'mood' of enum type because the input is of an invalid type "
       "float.",
       R"("Calm")"},
      {"mood", "true",
       "Couldn't assign value to 'mood' of enum type because the input is of an invalid type "
       "bool.",
       R"("Calm")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.member) + " <- " + c.source);
    Scalars record;
    const std::string json = std::string(R"({")") + c.member + R"(":)" + c.source + "}";
    EXPECT_EQ(Read(record, json.c_str()), c.message);
    BindingProperty written;
    ASSERT_TRUE(ToBindingProperty(record, written, registry_));
    EXPECT_EQ(SerializeJson(written.FindMember(c.member), &registry_, nullptr), c.written);
  }
}

// Sources that JSON text cannot hold: enum values and blobs.
TEST_F(FieldConverterTest, EnumAndBlobSources) {
  const std::uint32_t otherType = 0x12345678u;
  struct Case {
    const char* member;
    BindingEnumValue enumValue;
    const char* message;
    const char* written;
  };
  const Case cases[] = {
      {"text", {3, TypeId<Mood>().id}, "", R"("Happy")"},
      {"text", {5, TypeId<Mood>().id}, "5 is not a valid enumeration value for 'text'.", R"("")"},
      {"mood", {-2, otherType}, "", R"("Angry")"},
      {"mood",
       {1, TypeId<Mood>().id},
       "1 is not a valid Mood enumeration value for 'mood'.",
       R"("Calm")"},
      {"i32", {-2, otherType}, "", "-2"},
      {"u32", {-2, otherType}, "Value -2 for 'u32' of type uint32 is out of range", "0"},
      {"dbl", {4, otherType}, "", "4.0"},
      {"flag",
       {1, otherType},
       "Couldn't assign value to 'flag' of type bool because the input is of an invalid type "
       "enum.",
       "false"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    BindingProperty source;
    source.Member(c.member).SetEnum(c.enumValue);
    Scalars record;
    BindingResult result;
    ReadValue(result, record, source, registry_);
    EXPECT_EQ(result.ErrorMessage(), c.message);
    BindingProperty written;
    ASSERT_TRUE(ToBindingProperty(record, written, registry_));
    EXPECT_EQ(SerializeJson(written.FindMember(c.member), &registry_, nullptr), c.written);
  }

  BindingProperty blob;
  blob.Member("i32").SetBlob(std::vector<std::uint8_t>{1});
  Scalars record;
  BindingResult result;
  ReadValue(result, record, blob, registry_);
  EXPECT_EQ(result.ErrorMessage(),
            "Couldn't assign value to 'i32' of type int32 because the input is of an invalid type "
            "blob.");
}

TEST_F(FieldConverterTest, RecordReading) {
  struct Case {
    const char* label;
    const char* source;
    const char* message;
    const char* written;  // the tree's members that the case is about, as compact text
    std::vector<const char*> members;
  };
  const Case cases[] = {
      {"missing and null members keep the fields",
       R"({"name":null})",
       "",
       R"({"leaf":{"count":7,"label":"","mood":"Calm"},"name":"kept"})",
       {"leaf", "name"}},
      {"a list is replaced; a null element keeps its default",
       R"({"leaves":[{"count":1},null,{"label":"c"}]})",
       "",
       R"({"leaves":[{"count":1,"label":"","mood":"Calm"},{"count":7,"label":"","mood":"Calm"},)"
       R"({"count":7,"label":"c","mood":"Calm"}]})",
       {"leaves"}},
      {"lists of scalars",
       R"({"ints":[1,"2",null],"ids":[3],"tags":["x"],"moods":["Angry",3]})",
       "",
       R"({"ids":[3],"ints":[1,2,0],"moods":["Angry","Happy"],"tags":["x"]})",
       {"ints", "ids", "tags", "moods"}},
      {"maps",
       R"({"labels":{"b":"2","a":"1","n":null},"leafMap":{"k":{"count":2}}})",
       "",
       R"({"labels":{"a":"1","b":"2"},"leafMap":{"k":{"count":2,"label":"","mood":"Calm"}}})",
       {"labels", "leafMap"}},
      {"optionals",
       R"({"maybeInt":-4,"maybeText":"t","maybeLeaf":{"label":"o"},"maybeFlag":null})",
       "",
       R"({"maybeFlag":null,"maybeInt":-4,"maybeLeaf":{"count":7,"label":"o","mood":"Calm"},)"
       R"("maybeText":"t"})",
       {"maybeInt", "maybeText", "maybeLeaf", "maybeFlag"}},
      {"free value", R"({"extra":{"any":[1,"x"]}})", "", R"({"extra":{"any":[1,"x"]}})", {"extra"}},
      {"a list needs a collection",
       R"({"leaves":{}})",
       "Couldn't assign value to 'leaves' of type vector because the input not a collection.",
       R"({"leaves":[]})",
       {"leaves"}},
      {"a map needs a structure",
       R"({"labels":[]})",
       "Couldn't assign value to 'labels' of type map because the input not a structure.",
       R"({"labels":{}})",
       {"labels"}},
      {"a nested record needs a structure",
       R"({"leaf":5})",
       "Couldn't assign value to 'leaf' of type Leaf because the input not a structure.",
       R"({"leaf":{"count":7,"label":"","mood":"Calm"}})",
       {"leaf"}},
      {"messages name the innermost member",
       R"({"leaf":{"count":"x"}})",
       "Value x for 'count' of type int32 is in an incorrect format",
       R"({"leaf":{"count":0,"label":"","mood":"Calm"}})",
       {"leaf"}},
      {"a list element is reported under the list",
       R"({"ints":[1,true]})",
       "Couldn't assign value to 'ints' of type int32 because the input is of an invalid type "
       "bool.",
       R"({"ints":[1,0]})",
       {"ints"}},
      {"a map value is reported under the map",
       R"({"labels":{"a":5}})",
       "Couldn't assign value to 'labels' because the input is not a string.",
       R"({"labels":{"a":""}})",
       {"labels"}},
      {"an optional is left as it was on failure",
       R"({"maybeInt":"x","maybeId":[]})",
       "Value x for 'maybeInt' of type int32 is in an incorrect format",
       R"({"maybeInt":5})",
       {"maybeInt"}},
      {"fields read before a failure keep their values",
       R"({"name":"new","leaf":{"mood":"?"}})",
       "? is not a valid Mood enumeration value for 'mood'.",
       R"({"name":"new"})",
       {"name"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Tree tree;
    tree.name = "kept";
    tree.maybeInt = 5;
    tree.leaves.assign(5, Leaf{1, "old", Mood::Happy});
    EXPECT_EQ(Read(tree, c.source), c.message);
    BindingProperty written;
    ASSERT_TRUE(ToBindingProperty(tree, written, registry_));
    BindingProperty picked;
    for (const char* member : c.members) picked.Member(member) = written.FindMember(member);
    EXPECT_EQ(SerializeJson(picked, &registry_, nullptr), c.written);
  }
}

TEST_F(FieldConverterTest, WholeValueFailures) {
  TypeRegistry(registry_.RegisterType(sizeof(Strict), "Strict", TypeId<Strict>(), false))
      .AddMember<std::int32_t>("id", offsetof(Strict, id), "", kBindingFieldRequired)
      .AddMember<std::string>("note", offsetof(Strict, note), "", kBindingFieldOmitEmpty)
      .AddMember<bool>("on", offsetof(Strict, on), "", kBindingFieldOmitEmpty);
  struct Case {
    const char* source;
    const char* message;
  };
  const Case cases[] = {
      {"", "A value for '<value>' is required."},
      {"null", "A value for '<value>' is required."},
      {"[]",
       "Couldn't assign value to '<value>' of type Strict because the input not a structure."},
      {R"({"note":"n"})",
       "Couldn't assign value to '<value>' of type Strict because the input structure doesn't "
       "have required field 'id'."},
      {R"({"id":null})",
       "Couldn't assign value to '<value>' of type Strict because the input structure doesn't "
       "have required field 'id'."},
      {R"({"id":1})", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    Strict strict;
    EXPECT_EQ(Read(strict, c.source), c.message);
  }

  Unregistered loose;
  EXPECT_EQ(Read(loose, "{}"),
            "Couldn't assign value to '<value>' because the input is an unregistered structure or "
            "not a structure at all.");
  EXPECT_FALSE(ReadRequiredValue(loose, BindingProperty(), registry_));
}

TEST_F(FieldConverterTest, Writing) {
  TypeRegistry(registry_.RegisterType(sizeof(Strict), "Strict", TypeId<Strict>(), false))
      .AddMember<std::int32_t>("id", offsetof(Strict, id), "", kBindingFieldRequired)
      .AddMember<std::string>("note", offsetof(Strict, note), "", kBindingFieldOmitEmpty)
      .AddMember<bool>("on", offsetof(Strict, on), "", kBindingFieldOmitEmpty);
  TypeRegistry(registry_.RegisterType(sizeof(Holder), "Holder", TypeId<Holder>(), false))
      .AddMember<Unregistered>("inner", offsetof(Holder, inner), "");

  EXPECT_EQ(Json(Strict{}), R"({"id":0})");
  EXPECT_EQ(Json(Strict{0, "n", true}), R"({"id":0,"note":"n","on":true})");
  EXPECT_EQ(Json(std::vector<Strict>{{1, "", false}, {2, "", false}}), R"([{"id":1},{"id":2}])");
  EXPECT_EQ(Json(std::vector<Strict>{}), "[]");

  // A disengaged optional is a member without a value, written as null.
  Tree tree;
  BindingProperty written;
  ASSERT_TRUE(ToBindingProperty(tree, written, registry_));
  EXPECT_TRUE(written.HasMember("maybeLeaf"));
  EXPECT_TRUE(written.FindMember("maybeLeaf").IsEmpty());

  // Failures leave the destination as it was and the text empty.
  BindingProperty untouched;
  untouched.SetString("old");
  EXPECT_FALSE(ToBindingProperty(Holder{}, untouched, registry_));
  EXPECT_EQ(untouched.GetString(), "old");
  EXPECT_EQ(Json(Holder{}), "");
  BindingResult result;
  WriteValue(result, Holder{}, registry_);
  EXPECT_EQ(result.ErrorMessage(),
            "Couldn't convert native value because it's an unregistered structure.");

  EXPECT_STREQ(EnumToString(Mood::Angry, registry_), "Angry");
  EXPECT_EQ(EnumToString(static_cast<Mood>(8), registry_), nullptr);
}

// Text -> value -> record -> value -> text gives the same bytes.
TEST_F(FieldConverterTest, RoundTripsByteForByte) {
  const std::string text =
      R"({"extra":{"a":[true,null,-1,2.5,"s"],"b":{}},"ids":[18446744073709551615,0],)"
      R"("ints":[-2147483648,2147483647],"labels":{"":"empty","k":"v"},)"
      R"("leaf":{"count":-1,"label":"l\n\"q\"","mood":"Angry"},)"
      R"("leafMap":{"x":{"count":1,"label":"","mood":"Happy"}},)"
      R"("leaves":[{"count":2,"label":")"
      "\xC3\xA9"
      R"(","mood":"Calm"},)"
      R"({"count":3,"label":"b","mood":"Happy"}],)"
      R"("maybeFlag":false,"maybeId":42,"maybeInt":null,)"
      R"("maybeLeaf":{"count":4,"label":"m","mood":"Calm"},)"
      R"("maybeLeaves":[{"count":5,"label":"n","mood":"Angry"}],"maybeText":"t",)"
      R"("moods":["Happy","Angry"],"name":"root","tags":["a","b"]})";
  BindingResult parsed = ParseJson(text);
  ASSERT_TRUE(parsed.IsOk()) << parsed.ErrorMessage();
  Tree tree;
  ASSERT_TRUE(ReadRequiredValue(tree, parsed.Value(), registry_));
  EXPECT_EQ(ToJsonString(tree, registry_), text);
}

// The registry's own records convert like any other: nested records, lists of them and free
// values.
TEST(BuiltinRecordTest, HelpAndCallbackRecordsRoundTrip) {
  BindingRegistry registry;
  registry.Initialize();
  struct Case {
    const char* label;
    std::string text;
    std::string written;
  };
  auto roundTrip = [&](auto record, const char* text) {
    BindingResult parsed = ParseJsonText(text);
    EXPECT_TRUE(ReadRequiredValue(record, parsed.Value(), registry));
    return ToJsonString(record, registry);
  };
  const Case cases[] = {
      {"callback event", R"({"id":7,"parameters":[1,"x",{"k":null}]})",
       roundTrip(BindingCallbackEvent{}, R"({"id":7,"parameters":[1,"x",{"k":null}]})")},
      {"function help",
       R"({"arguments":[{"description":"d","name":"a","optional":true,)"
       R"("type":{"elementType":"","type":"string"}}],"async":"","description":"",)"
       R"("help":"","name":"f","nameSpace":"","returns":{"elementType":"","type":"bool"},)"
       R"("tags":["$builtin"],"threadSafe":false})",
       roundTrip(BindingFullFunctionHelp{},
                 R"({"name":"f","arguments":[{"name":"a","description":"d","optional":true,)"
                 R"("type":{"type":"string"}}],"returns":{"type":"bool"},"tags":["$builtin"]})")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.written, c.text);
  }

  BindingCallbackEvent event;
  BindingResult parsed = ParseJsonText(R"({"id":-1})");
  BindingResult result;
  ReadValue(result, event, parsed.Value(), registry);
  EXPECT_EQ(result.ErrorMessage(), "Value -1 for 'id' of type uint32 is out of range");
}

}  // namespace
