#include "sdk/binding/BindingProperty.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/BindingPropertyVisitor.h"
#include "sdk/binding/PageSource.h"
#include "sdk/binding/PropertyArena.h"
#include "tests/sdk/base/MemoryTesting.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace {

using namespace Zarn;
using Kind = BindingPropertyKind;
using Zarn::Testing::CounterValues;
using Zarn::Testing::Describe;

using Builder = std::function<void(BindingProperty&)>;

const std::uint8_t kAbc[] = {'a', 'b', 'c'};

struct KindCase {
  const char* label;
  Builder build;
  Kind kind;
  const char* kindName;
  std::size_t size;
  std::string text;  // ToString
};

const KindCase kKindCases[] = {
    {"empty", [](BindingProperty&) {}, Kind::Empty, "empty", 0, ""},
    {"false", [](BindingProperty& v) { v.SetBool(false); }, Kind::Bool, "bool", 1, "false"},
    {"true", [](BindingProperty& v) { v.SetBool(true); }, Kind::Bool, "bool", 1, "true"},
    {"signed", [](BindingProperty& v) { v.SetInt64(-42); }, Kind::Signed, "signed", 1, "-42"},
    {"int64 min", [](BindingProperty& v) { v.SetInt64(INT64_MIN); }, Kind::Signed, "signed", 1,
     "-9223372036854775808"},
    {"unsigned max", [](BindingProperty& v) { v.SetUint64(UINT64_MAX); }, Kind::Unsigned,
     "unsigned", 1, "18446744073709551615"},
    {"double", [](BindingProperty& v) { v.SetDouble(1.5); }, Kind::Float, "float", 1, "1.500000"},
    {"string", [](BindingProperty& v) { v.SetString("caf\xC3\xA9!"); }, Kind::String, "string", 6,
     "caf\xC3\xA9!"},
    {"empty string", [](BindingProperty& v) { v.SetString(""); }, Kind::String, "string", 0, ""},
    {"null C string", [](BindingProperty& v) { v.SetString(static_cast<const char*>(nullptr)); },
     Kind::String, "string", 0, ""},
    {"blob", [](BindingProperty& v) { v.SetBlob(kAbc); }, Kind::Blob, "blob", 3, "YWJj"},
    {"enum",
     [](BindingProperty& v) {
       v.SetEnum({-3, 0xAF98C378u});
     },
     Kind::Enum, "enum", 1, "-3"},
    {"collection",
     [](BindingProperty& v) {
       v.Append().SetBool(true);
       v.Append().SetInt64(2);
     },
     Kind::Collection, "collection", 2, ""},
    {"structure",
     [](BindingProperty& v) {
       v.Member("a").SetInt64(1);
       v.Member("b");
       v.Member("c").MakeStructure();
     },
     Kind::Structure, "structure", 3, ""},
};

TEST(BindingPropertyTest, EveryKindReportsItsKindSizeAndText) {
  for (const KindCase& c : kKindCases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    c.build(value);
    EXPECT_EQ(value.Kind(), c.kind);
    EXPECT_STREQ(BindingPropertyKindName(value.Kind()), c.kindName);
    EXPECT_EQ(value.Size(), c.size);
    EXPECT_EQ(value.ToString(), c.text);
    EXPECT_EQ(value.IsEmpty(), c.kind == Kind::Empty);
    EXPECT_EQ(value.IsCollection(), c.kind == Kind::Collection);
    EXPECT_EQ(value.IsStructure(), c.kind == Kind::Structure);
  }
  EXPECT_STREQ(BindingPropertyKindName(static_cast<Kind>(10)), "");
  EXPECT_STREQ(BindingPropertyKindName(static_cast<Kind>(255)), "");
}

TEST(BindingPropertyTest, ExactGettersNeverConvertBetweenKinds) {
  for (const KindCase& c : kKindCases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    c.build(value);
    const bool isBool = c.kind == Kind::Bool;
    EXPECT_EQ(value.GetBool(true), isBool ? c.text == "true" : true);
    EXPECT_EQ(value.GetInt64(77), c.kind == Kind::Signed ? std::stoll(c.text) : 77);
    EXPECT_EQ(value.GetUint64(77), c.kind == Kind::Unsigned ? UINT64_MAX : 77u);
    EXPECT_EQ(value.GetDouble(7.5), c.kind == Kind::Float ? 1.5 : 7.5);
    EXPECT_EQ(value.GetString("dflt"), c.kind == Kind::String ? c.text : "dflt");
    const std::uint8_t fallback[] = {9};
    EXPECT_EQ(value.GetBlob(fallback).size(), c.kind == Kind::Blob ? 3u : 1u);
    const BindingEnumValue enumFallback{5, 6};
    const BindingEnumValue stored{-3, 0xAF98C378u};
    EXPECT_EQ(value.GetEnum(enumFallback), c.kind == Kind::Enum ? stored : enumFallback);
  }
}

TEST(BindingPropertyTest, ConvertingReads) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* label;
    Builder build;
    std::int64_t toInt64;
    std::uint64_t toUint64;
    std::int64_t toInteger;
  } cases[] = {
      {"empty", [](BindingProperty&) {}, -1, 99, -1},
      {"true", [](BindingProperty& v) { v.SetBool(true); }, 1, 1, -1},
      {"false", [](BindingProperty& v) { v.SetBool(false); }, 0, 0, -1},
      {"signed -5", [](BindingProperty& v) { v.SetInt64(-5); }, -5, UINT64_MAX - 4, -5},
      {"unsigned 5", [](BindingProperty& v) { v.SetUint64(5); }, 5, 5, 5},
      {"unsigned max", [](BindingProperty& v) { v.SetUint64(UINT64_MAX); }, -1, UINT64_MAX, -1},
      {"double 2.9", [](BindingProperty& v) { v.SetDouble(2.9); }, 2, 2, 2},
      {"double -2.9", [](BindingProperty& v) { v.SetDouble(-2.9); }, -2, 0, -2},
      {"double -0.5", [](BindingProperty& v) { v.SetDouble(-0.5); }, 0, 0, 0},
      {"double 2^63", [](BindingProperty& v) { v.SetDouble(9223372036854775808.0); }, INT64_MAX,
       9223372036854775808u, INT64_MAX},
      {"double -2^63", [](BindingProperty& v) { v.SetDouble(-9223372036854775808.0); }, INT64_MIN,
       0, INT64_MIN},
      {"double 1e300", [](BindingProperty& v) { v.SetDouble(1e300); }, INT64_MAX, UINT64_MAX,
       INT64_MAX},
      {"double -1e300", [](BindingProperty& v) { v.SetDouble(-1e300); }, INT64_MIN, 0, INT64_MIN},
      {"double inf", [inf](BindingProperty& v) { v.SetDouble(inf); }, INT64_MAX, UINT64_MAX,
       INT64_MAX},
      {"double -inf", [inf](BindingProperty& v) { v.SetDouble(-inf); }, INT64_MIN, 0, INT64_MIN},
      {"double nan", [nan](BindingProperty& v) { v.SetDouble(nan); }, 0, 0, 0},
      {"string 0x10", [](BindingProperty& v) { v.SetString("0x10"); }, 16, 16, -1},
      {"string 010", [](BindingProperty& v) { v.SetString("010"); }, 8, 8, -1},
      {"string -1", [](BindingProperty& v) { v.SetString("-1"); }, -1, UINT64_MAX, -1},
      {"string letters", [](BindingProperty& v) { v.SetString("abc"); }, 0, 0, -1},
      {"string 12ab", [](BindingProperty& v) { v.SetString("12ab"); }, 12, 12, -1},
      {"empty string", [](BindingProperty& v) { v.SetString(""); }, 0, 0, -1},
      {"enum -1",
       [](BindingProperty& v) {
         v.SetEnum({-1, 1});
       },
       -1, UINT64_MAX, -1},
      {"blob", [](BindingProperty& v) { v.SetBlob(kAbc); }, -1, 99, -1},
      {"collection", [](BindingProperty& v) { v.MakeCollection(); }, -1, 99, -1},
      {"structure", [](BindingProperty& v) { v.MakeStructure(); }, -1, 99, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    c.build(value);
    EXPECT_EQ(value.ToInt64(-1), c.toInt64);
    EXPECT_EQ(value.ToUint64(99), c.toUint64);
    EXPECT_EQ(value.ToInteger(-1), c.toInteger);
  }
}

TEST(BindingPropertyTest, DoubleTextHasSixDecimalsAndNoLengthLimit) {
  const struct {
    double value;
    std::size_t length;
    const char* prefix;
  } cases[] = {{0.0, 8, "0.000000"},
               {-2.25, 9, "-2.250000"},
               {1e-7, 8, "0.000000"},
               {DBL_MAX, 316, "179769313486231570"},
               {-DBL_MAX, 317, "-179769313486231570"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    BindingProperty value;
    value.SetDouble(c.value);
    const std::string text = value.ToString();
    EXPECT_EQ(text.size(), c.length);
    EXPECT_EQ(text.rfind(c.prefix, 0), 0u) << text;
  }
}

TEST(BindingPropertyTest, MutableAtGrowsAndReadOnlyAtDoesNot) {
  BindingProperty value;
  const BindingProperty& readOnly = value;
  EXPECT_EQ(&readOnly.At(3), &BindingProperty::EmptyValue());
  EXPECT_TRUE(value.IsEmpty());

  value.At(3).SetInt64(4);
  EXPECT_EQ(Describe(value), "[null,null,null,i:4]");
  EXPECT_EQ(&readOnly.At(4), &BindingProperty::EmptyValue());
  value.At(1).SetBool(true);
  EXPECT_EQ(Describe(value), "[null,true,null,i:4]");

  BindingProperty scalar;
  scalar.SetBool(true);  // Size 1: Append makes the collection [empty, new]
  scalar.Append().SetInt64(5);
  EXPECT_EQ(Describe(scalar), "[null,i:5]");

  BindingProperty collection;
  collection.MakeCollection();
  collection.Reserve(10);
  collection.MakeCollection();  // a collection stays as it is
  collection.Append().SetString("x");
  collection.MakeCollection();
  EXPECT_EQ(Describe(collection), "[\"x\"]");
}

TEST(BindingPropertyTest, CollectionLengthIsCapped) {
  BindingProperty value;
  value.MakeCollection();
  EXPECT_THROW(value.Reserve(BindingProperty::kMaxCollectionSize + 1), std::length_error);
  EXPECT_THROW(static_cast<void>(value.At(BindingProperty::kMaxCollectionSize)), std::length_error);
  EXPECT_EQ(value.Size(), 0u);

  BindingProperty scalar;
  scalar.SetInt64(1);
  scalar.Reserve(BindingProperty::kMaxCollectionSize + 1);  // not a collection: left alone
  EXPECT_EQ(scalar.GetInt64(), 1);
}

TEST(BindingPropertyTest, MembersAreKeptInByteOrder) {
  BindingProperty value;
  value.SetInt64(7);
  value.Member("a");
  EXPECT_EQ(Describe(value), "{a:null}");

  // Appended after the last name, between two names, and again after an insertion elsewhere.
  for (const char* name : {"b", "B", "a", "ab", "\xC3\xA9", "", "b", "c", "bb", "c", "d", "bc"}) {
    value.Member(name);
  }
  std::vector<std::string> order;
  for (auto it = value.MembersBegin(); it != value.MembersEnd(); ++it) {
    order.push_back(it.Name().Text());
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"", "B", "a", "ab", "b", "bb", "bc", "c", "d", "\xC3\xA9"}));

  value.Member("ab").SetInt64(3);
  EXPECT_EQ(&value.Member("ab"), &value.FindMember("ab")) << "members never move";
  EXPECT_EQ(value.FindMember(std::string("ab")).GetInt64(), 3);
  EXPECT_EQ(value.FindMember(std::string_view("ab\0zz", 5)).GetInt64(), 3);
  EXPECT_TRUE(value.HasMember("B"));
  EXPECT_FALSE(value.HasMember("e"));
  EXPECT_EQ(&value.FindMember("e"), &BindingProperty::EmptyValue());
  EXPECT_EQ(value.Size(), 10u);

  BindingProperty scalar;
  scalar.SetString("a");
  EXPECT_FALSE(scalar.HasMember("a"));
  EXPECT_EQ(&scalar.FindMember(nullptr), &BindingProperty::EmptyValue());
  EXPECT_TRUE(scalar.MembersBegin() == scalar.MembersEnd());
}

// However a member is asked for (again, by a name cut at its NUL, with the name's hash known),
// the structure holds one member per name and that member holds the name's only reference.
TEST(BindingPropertyTest, EachMemberHoldsOneReferenceToItsName) {
  BindingProperty value;
  BindingProperty& b = value.Member("b");
  EXPECT_EQ(&value.Member("a"), &value.Member(std::string_view("a\0x", 3)));
  EXPECT_EQ(&value.Member("b"), &b);
  EXPECT_EQ(&value.Member("b", Fnv1a32("b")), &b);
  value.Member(std::string_view("d\0e", 3)).SetString("b");
  value.Member("c", Fnv1a32("c"));
  value.Member("c");

  std::vector<std::string> names;
  for (auto it = value.MembersBegin(); it != value.MembersEnd(); ++it) {
    SCOPED_TRACE(it.Name().Text());
    names.push_back(it.Name().Text());
    EXPECT_EQ(it.Name().Hash(), Fnv1a32(it.Name().View()));
    EXPECT_EQ(it.Name().RefCount(), it.Name().View() == "b" ? 2u : 1u);  // "b" is also a text
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(value.Arena().InternedCount(), 4u);
}

// In a tree with many texts, names asked for again are found without hashing; what is found is
// always the table's own entry, and a freed entry is never found again.
TEST(BindingPropertyTest, NamesOfALargeTreeStayOneEntryEach) {
  BindingProperty root;
  BindingProperty& first = root.Member("first");
  for (int i = 0; i < 40; ++i) first.Member("n" + std::to_string(i));
  const auto nameIn = [](const BindingProperty& structure, std::string_view name) {
    for (auto it = structure.MembersBegin(); it != structure.MembersEnd(); ++it) {
      if (it.Name().View() == name) return &it.Name();
    }
    return static_cast<const InternedString*>(nullptr);
  };
  const InternedString* n5 = nameIn(first, "n5");
  ASSERT_NE(n5, nullptr);

  BindingProperty& second = root.Member("second");
  second.Member("n5");
  second.Member(std::string_view("n5\0x", 4));
  second.Member("n5").SetString("n5");
  EXPECT_EQ(nameIn(second, "n5"), n5);
  EXPECT_EQ(n5->RefCount(), 3u);  // two names and a text
  EXPECT_EQ(second.Size(), 1u);

  first.Reset();  // frees every name but "n5"
  EXPECT_EQ(n5->RefCount(), 2u);
  BindingProperty& third = root.Member("third");
  for (int i = 0; i < 40; ++i) third.Member("n" + std::to_string(i)).SetUint64(i);
  for (int i = 0; i < 40; ++i) {
    SCOPED_TRACE(i);
    const std::string name = "n" + std::to_string(i);
    const InternedString* entry = nameIn(third, name);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->View(), name);
    EXPECT_EQ(entry->RefCount(), i == 5 ? 3u : 1u);
    EXPECT_EQ(third.FindMember(name).GetUint64(), static_cast<std::uint64_t>(i));
  }
  EXPECT_EQ(root.Arena().InternedCount(), 43u);  // the 40 names, "first", "second", "third"
}

// A recording visitor: one token per call.
class RecordingVisitor final : public BindingPropertyVisitor {
 public:
  std::vector<std::string> calls;

  void Null() override { calls.push_back("Null"); }
  void Bool(bool v) override { calls.push_back(v ? "Bool(true)" : "Bool(false)"); }
  void Int64(std::int64_t v) override { calls.push_back("Int64(" + std::to_string(v) + ")"); }
  void Uint64(std::uint64_t v) override { calls.push_back("Uint64(" + std::to_string(v) + ")"); }
  void Double(double v) override { calls.push_back("Double(" + std::to_string(v) + ")"); }
  void String(const InternedString& t) override { calls.push_back("String(" + t.Text() + ")"); }
  void Binary(const BindingBlob& b) override {
    calls.push_back("Binary(" + std::to_string(b.size()) + ")");
  }
  void Enum(const BindingEnumValue& e) override {
    calls.push_back("Enum(" + std::to_string(e.value) + "," + std::to_string(e.typeId) + ")");
  }
  void StartArray(std::uint32_t n) override {
    calls.push_back("StartArray(" + std::to_string(n) + ")");
  }
  void BeginElement(std::uint32_t i) override {
    calls.push_back("BeginElement(" + std::to_string(i) + ")");
  }
  void EndElement(std::uint32_t i) override {
    calls.push_back("EndElement(" + std::to_string(i) + ")");
  }
  void EndArray() override { calls.push_back("EndArray"); }
  void StartObject(std::uint32_t n) override {
    calls.push_back("StartObject(" + std::to_string(n) + ")");
  }
  void Key(const InternedString& n) override { calls.push_back("Key(" + n.Text() + ")"); }
  void EndMember(const InternedString& n) override {
    calls.push_back("EndMember(" + n.Text() + ")");
  }
  void EndObject() override { calls.push_back("EndObject"); }
};

std::string Join(const std::vector<std::string>& calls) {
  std::string text;
  for (const std::string& call : calls) text += (text.empty() ? "" : " ") + call;
  return text;
}

TEST(BindingPropertyTest, AcceptCallsTheVisitorInOrder) {
  const struct {
    const char* label;
    Builder build;
    const char* calls;
  } cases[] = {
      {"empty", [](BindingProperty&) {}, "Null"},
      {"unsigned", [](BindingProperty& v) { v.SetUint64(3); }, "Uint64(3)"},
      {"double", [](BindingProperty& v) { v.SetDouble(0.5); }, "Double(0.500000)"},
      {"blob", [](BindingProperty& v) { v.SetBlob(kAbc); }, "Binary(3)"},
      {"enum",
       [](BindingProperty& v) {
         v.SetEnum({2, 9});
       },
       "Enum(2,9)"},
      {"two booleans",
       [](BindingProperty& v) {
         v.Append().SetBool(true);
         v.Append().SetBool(false);
       },
       "StartArray(2) BeginElement(0) Bool(true) EndElement(0) BeginElement(1) Bool(false) "
       "EndElement(1) EndArray"},
      {"nested",
       [](BindingProperty& v) {
         v.Member("z").SetString("s");
         v.Member("a").Append().Member("k").SetInt64(-1);
         v.Member("a").Append();
         v.Member("m").MakeStructure();
       },
       "StartObject(3) Key(a) StartArray(2) BeginElement(0) StartObject(1) Key(k) Int64(-1) "
       "EndMember(k) EndObject EndElement(0) BeginElement(1) Null EndElement(1) EndArray "
       "EndMember(a) Key(m) StartObject(0) EndObject EndMember(m) Key(z) String(s) EndMember(z) "
       "EndObject"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    c.build(value);
    RecordingVisitor visitor;
    value.Accept(visitor);
    EXPECT_EQ(Join(visitor.calls), c.calls);
  }
}

// A tree with every kind, for the copy and move tests.
void BuildSample(BindingProperty& value) {
  value.Member("name").SetString("lobby");
  value.Member("count").SetUint64(3);
  value.Member("ratio").SetDouble(0.25);
  value.Member("blob").SetBlob(kAbc);
  value.Member("queue").SetEnum({420, 0x1234u});
  BindingProperty& members = value.Member("members");
  for (int i = 0; i < 3; ++i) {
    BindingProperty& member = members.Append();
    member.Member("id").SetInt64(-i);
    member.Member("name").SetString("lobby");  // same text as above: one interned entry
    member.Member("ready").SetBool(i % 2 == 0);
    member.Member("tags").Append().SetString("t" + std::to_string(i));
  }
  value.Member("nothing");
}

const char kSampleText[] =
    "{blob:blob:YWJj,count:u:3,members:[{id:i:0,name:\"lobby\",ready:true,tags:[\"t0\"]},"
    "{id:i:-1,name:\"lobby\",ready:false,tags:[\"t1\"]},{id:i:-2,name:\"lobby\",ready:true,"
    "tags:[\"t2\"]}],name:\"lobby\",nothing:null,queue:enum:420@00001234,ratio:f:0.250000}";

TEST(BindingPropertyTest, CopiesAreDeepAndDrawOnTheTargetsArena) {
  BindingProperty source;
  BuildSample(source);
  EXPECT_EQ(Describe(source), kSampleText);

  BindingProperty constructed(source);
  BindingProperty assigned;
  assigned.SetInt64(1);
  assigned = source;
  BindingProperty element;
  element.Append().CopyFrom(source);
  for (const BindingProperty* copy : {&constructed, &assigned, &element.At(0)}) {
    EXPECT_EQ(Describe(*copy), kSampleText);
    EXPECT_NE(BindingPropertyTestPeer::ArenaOf(*copy), BindingPropertyTestPeer::ArenaOf(source));
    EXPECT_NE(copy->FindMember("name").GetString().data(),
              source.FindMember("name").GetString().data());
  }
  EXPECT_EQ(BindingPropertyTestPeer::ArenaOf(element.At(0).FindMember("members").At(2)),
            BindingPropertyTestPeer::ArenaOf(element));

  source.Member("members").At(0).Member("id").SetInt64(100);
  EXPECT_EQ(Describe(constructed), kSampleText) << "the copy shares nothing with the source";
}

TEST(BindingPropertyTest, CopyWithinOneTreeSharesInternedTexts) {
  BindingProperty tree;
  tree.Member("a").SetString("shared");
  tree.Member("b") = tree.FindMember("a");
  EXPECT_EQ(tree.FindMember("a").GetString().data(), tree.FindMember("b").GetString().data());
  EXPECT_EQ(tree.Arena().InternedCount(), 3u);  // "a", "b", "shared"
}

TEST(BindingPropertyTest, MovesSwapRootsAndCopyAcrossTrees) {
  BindingProperty source;
  BuildSample(source);
  const PropertyArena* sourceArena = BindingPropertyTestPeer::ArenaOf(source);

  BindingProperty target;
  target.SetString("old");
  const PropertyArena* targetArena = BindingPropertyTestPeer::ArenaOf(target);
  target = std::move(source);
  EXPECT_EQ(Describe(target), kSampleText);
  EXPECT_EQ(BindingPropertyTestPeer::ArenaOf(target), sourceArena) << "roots swap whole";
  EXPECT_TRUE(source.IsEmpty());
  EXPECT_EQ(BindingPropertyTestPeer::ArenaOf(source), targetArena);
  EXPECT_TRUE(BindingPropertyTestPeer::OwnsArena(source));

  BindingProperty constructed(std::move(target));
  EXPECT_EQ(Describe(constructed), kSampleText);
  EXPECT_TRUE(target.IsEmpty());

  // Into an element: copied into the collection's arena; the root is left empty.
  BindingProperty list;
  list.Append() = std::move(constructed);
  EXPECT_EQ(Describe(list.At(0)), kSampleText);
  EXPECT_TRUE(constructed.IsEmpty());
  EXPECT_EQ(BindingPropertyTestPeer::ArenaOf(list.At(0)), BindingPropertyTestPeer::ArenaOf(list));
  EXPECT_FALSE(BindingPropertyTestPeer::OwnsArena(list.At(0)));

  // Out of an element into a root of another tree: copied; the element is left empty.
  BindingProperty out(std::move(list.At(0)));
  EXPECT_EQ(Describe(out), kSampleText);
  EXPECT_TRUE(list.At(0).IsEmpty());
  EXPECT_TRUE(BindingPropertyTestPeer::OwnsArena(out));
}

TEST(BindingPropertyTest, RootsInAGrowingVectorMoveWithoutCopies) {
  std::vector<BindingProperty> values;
  std::vector<const char*> texts;
  for (int i = 0; i < 100; ++i) {
    values.emplace_back().Member("n").SetString("text" + std::to_string(i));
    texts.push_back(values.back().FindMember("n").GetString().data());
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(values[i].FindMember("n").GetString(), "text" + std::to_string(i));
    EXPECT_EQ(values[i].FindMember("n").GetString().data(), texts[i]);
  }
}

TEST(BindingPropertyTest, MoveWithinOneTreeHandsThePayloadOver) {
  BindingProperty tree;
  tree.Member("from").Member("text").SetString("moved");
  const char* text = tree.FindMember("from").FindMember("text").GetString().data();
  tree.Member("to") = std::move(tree.Member("from"));
  EXPECT_EQ(Describe(tree), "{from:null,to:{text:\"moved\"}}");
  EXPECT_EQ(tree.FindMember("to").FindMember("text").GetString().data(), text) << "not copied";
}

// Assignment between a value and a value inside it, in both directions and by copy and move.
TEST(BindingPropertyTest, AssignmentBetweenAValueAndItsOwnParts) {
  const struct {
    const char* label;
    std::function<void(BindingProperty&)> assign;
    const char* result;
  } cases[] = {
      {"copy a member over its root", [](BindingProperty& v) { v = v.Member("data"); },
       "{k:\"x\",n:[i:1]}"},
      {"copy the root into a member", [](BindingProperty& v) { v.Member("a") = v; },
       "{a:{a:null,data:{k:\"x\",n:[i:1]}},data:{k:\"x\",n:[i:1]}}"},
      {"copy the root into an element deep inside",
       [](BindingProperty& v) { v.Member("data").Member("n").At(0) = v; },
       "{data:{k:\"x\",n:[{data:{k:\"x\",n:[i:1]}}]}}"},
      {"copy a parent into its child",
       [](BindingProperty& v) { v.Member("data").Member("n").CopyFrom(v.Member("data")); },
       "{data:{k:\"x\",n:{k:\"x\",n:[i:1]}}}"},
      {"move a member over its root", [](BindingProperty& v) { v = std::move(v.Member("data")); },
       "{k:\"x\",n:[i:1]}"},
      {"move the root into a member", [](BindingProperty& v) { v.Member("a") = std::move(v); },
       "null"},
      {"move a parent into its child",
       [](BindingProperty& v) { v.Member("data").Member("n") = std::move(v.Member("data")); },
       "{data:null}"},
      {"copy onto itself",
       [](BindingProperty& v) {
         BindingProperty& self = v;
         v = self;
       },
       "{data:{k:\"x\",n:[i:1]}}"},
      {"set a string from its own text",
       [](BindingProperty& v) {
         BindingProperty& k = v.Member("data").Member("k");
         k.SetString(k.GetString());
         v.Member("data").Member("n").At(0).SetString(k.GetString());
       },
       "{data:{k:\"x\",n:[\"x\"]}}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    value.Member("data").Member("k").SetString("x");
    value.Member("data").Member("n").Append().SetInt64(1);
    c.assign(value);
    EXPECT_EQ(Describe(value), c.result);
  }
}

TEST(BindingPropertyTest, EveryElementSharesTheRootsArena) {
  BindingProperty root;
  for (int i = 0; i < 1000; ++i) {
    BindingProperty& element = root.Append();
    if (i % 3 == 0) element.Member("n").Append().SetInt64(i);
    if (i % 3 == 1) element.SetString(std::to_string(i % 10));
  }
  const PropertyArena* arena = BindingPropertyTestPeer::ArenaOf(root);
  ASSERT_NE(arena, nullptr);
  EXPECT_TRUE(BindingPropertyTestPeer::OwnsArena(root));
  for (std::size_t i = 0; i < root.Size(); ++i) {
    SCOPED_TRACE(i);
    const BindingProperty& element = root.At(i);
    ASSERT_EQ(BindingPropertyTestPeer::ArenaOf(element), arena);
    ASSERT_FALSE(BindingPropertyTestPeer::OwnsArena(element));
    if (i % 3 == 0) {
      ASSERT_EQ(BindingPropertyTestPeer::ArenaOf(element.FindMember("n").At(0)), arena);
      ASSERT_EQ(element.FindMember("n").At(0).GetInt64(), static_cast<std::int64_t>(i));
    }
  }
  EXPECT_EQ(root.Arena().InternedCount(), 11u);  // "0" .. "9" and "n"
}

TEST(BindingPropertyTest, DestroyingValuesReturnsAllTheirMemory) {
  // The page source's tables grow on first use and are never given back: use it once first.
  { BindingProperty warmUp(BindingProperty{}); }
  auto build = [] {
    BindingProperty value;
    for (int i = 0; i < 2000; ++i) {
      BindingProperty& member = value.Member("m" + std::to_string(i));
      BuildSample(member);
      member.Member("unique").SetString(std::string(40, 'x') + std::to_string(i));
    }
    return value;
  };
  { BindingProperty warm = build(); }

  const CounterValues before = CounterValues::ReadProcess();
  const std::size_t pagesBefore = PageSource::Instance().PagesInUse();
  const std::size_t reservationsBefore = PageSource::Instance().ReservationCount();
  {
    BindingProperty value = build();
    BindingProperty copy(value);
    BindingProperty element;
    element.Append() = copy;
    EXPECT_GT(PageSource::Instance().PagesInUse(), pagesBefore);
  }
  // Growing a collection is a reallocation, which counts as a free and an allocation even from
  // null: live bytes are what must come back.
  const CounterValues after = CounterValues::ReadProcess();
  EXPECT_GT(after.allocations, before.allocations);
  EXPECT_EQ(after.bytesAllocated - before.bytesAllocated, after.bytesFreed - before.bytesFreed);
  EXPECT_EQ(PageSource::Instance().PagesInUse(), pagesBefore);
  EXPECT_EQ(PageSource::Instance().ReservationCount(), reservationsBefore);
}

TEST(BindingPropertyTest, DeepNestingNeedsNoRecursion) {
  constexpr int kDepth = 200000;
  BindingProperty root;
  BindingProperty* innermost = &root;
  for (int i = 0; i < kDepth; ++i) {
    innermost = i % 2 == 0 ? &innermost->Append() : &innermost->Member("x");
  }
  innermost->SetString("bottom");

  BindingProperty copy(root);
  struct DepthVisitor final : BindingPropertyVisitor {
    int depth = 0, deepest = 0;
    std::string leaf;
    void Null() override {}
    void Bool(bool) override {}
    void Int64(std::int64_t) override {}
    void Uint64(std::uint64_t) override {}
    void Double(double) override {}
    void String(const InternedString& t) override { leaf = t.Text(); }
    void Binary(const BindingBlob&) override {}
    void Enum(const BindingEnumValue&) override {}
    void StartArray(std::uint32_t) override { deepest = std::max(deepest, ++depth); }
    void BeginElement(std::uint32_t) override {}
    void EndElement(std::uint32_t) override {}
    void EndArray() override { --depth; }
    void StartObject(std::uint32_t) override { deepest = std::max(deepest, ++depth); }
    void Key(const InternedString&) override {}
    void EndMember(const InternedString&) override {}
    void EndObject() override { --depth; }
  } visitor;
  copy.Accept(visitor);
  EXPECT_EQ(visitor.deepest, kDepth);
  EXPECT_EQ(visitor.depth, 0);
  EXPECT_EQ(visitor.leaf, "bottom");

  copy.Member("other") = std::move(root);  // a copy across trees, then a reset
  EXPECT_TRUE(root.IsEmpty());
  copy.Reset();
  EXPECT_TRUE(copy.IsEmpty());
}

#if defined(__SANITIZE_ADDRESS__)
TEST(BindingPropertyDeathTest, ReadingAFreedTextIsReported) {
  EXPECT_DEATH(
      {
        BindingProperty value;
        value.Member("keep").SetString("kept");  // the arena and its page stay
        value.Member("text").SetString("short-lived");
        const std::string_view text = value.FindMember("text").GetString();
        value.Member("text").Reset();
        volatile char first = text[0];
        (void)first;
      },
      "use-after-poison");
}
#endif

}  // namespace
