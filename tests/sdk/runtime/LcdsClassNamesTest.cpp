#include "sdk/runtime/LcdsClassNames.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/binding/BindingTypeInfo.h"
#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace Zarn::Client {
namespace {

using Testing::Describe;

BindingFieldInfo Field(const char* name, BindingTypeCode kind, BindingTypeInfo* type,
                       BindingTypeCode elementKind = BindingTypeCode::None) {
  BindingFieldInfo field;
  field.name = name;
  field.descriptor = BindingTypeDescriptor{kind, elementKind, type};
  return field;
}

// Two legacy record types, Inner and Outer, and a plain record that has no class but holds an
// Inner.
class LcdsClassNamesTest : public ::testing::Test {
 protected:
  LcdsClassNamesTest() {
    inner_.name = "LcdsInner";
    inner_.fields.push_back(Field("value", BindingTypeCode::Int32, nullptr));
    plain_.name = "Plain";
    plain_.fields.push_back(Field("inner", BindingTypeCode::Struct, &inner_));
    outer_.name = "LcdsOuter";
    outer_.fields.push_back(Field("inner", BindingTypeCode::Struct, &inner_));
    outer_.fields.push_back(
        Field("list", BindingTypeCode::Vector, &inner_, BindingTypeCode::Struct));
    outer_.fields.push_back(Field("byKey", BindingTypeCode::Map, &inner_, BindingTypeCode::Struct));
    outer_.fields.push_back(Field("plain", BindingTypeCode::Struct, &plain_));
    outer_.fields.push_back(Field("absent", BindingTypeCode::Struct, &inner_));
    outer_.fields.push_back(Field("none", BindingTypeCode::Struct, &inner_));
    classes_["LcdsInner"] = "c.Inner";
    classes_["LcdsOuter"] = "c.Outer";
  }

  static void FillInner(BindingProperty& value, int64_t number) {
    value.Member("value").SetInt64(number);
  }

  BindingProperty MakeOuter() {
    BindingProperty outer;
    FillInner(outer.Member("inner"), 1);
    FillInner(outer.Member("list").Append(), 2);
    outer.Member("list").Append();  // an empty element stays empty
    FillInner(outer.Member("byKey").Member("k"), 3);
    FillInner(outer.Member("plain").Member("inner"), 4);
    outer.Member("none");
    outer.Member("extra").Member("x").SetBool(true);  // no field of the type: left alone
    return outer;
  }

  BindingTypeInfo inner_;
  BindingTypeInfo plain_;
  BindingTypeInfo outer_;
  LcdsClassTable classes_;
};

TEST_F(LcdsClassNamesTest, StampsRecordsListsAndMapsByTheirFieldTypes) {
  BindingProperty outer = MakeOuter();
  StampLcdsClassNames(outer, {BindingTypeCode::Struct, BindingTypeCode::None, &outer_}, classes_);
  EXPECT_EQ(Describe(outer),
            "{__class:\"c.Outer\","
            "byKey:{k:{__class:\"c.Inner\",value:i:3}},"
            "extra:{x:true},"
            "inner:{__class:\"c.Inner\",value:i:1},"
            "list:[{__class:\"c.Inner\",value:i:2},null],"
            "none:null,"
            "plain:{inner:{value:i:4}}}");
}

TEST_F(LcdsClassNamesTest, TopLevelListsAndMapsStampTheirElements) {
  struct Case {
    const char* label;
    BindingTypeCode kind;
    bool map;
    const char* expected;
  };
  const Case cases[] = {
      {"list", BindingTypeCode::Vector, false,
       "[{__class:\"c.Inner\",value:i:1},{__class:\"c.Inner\",value:i:2}]"},
      {"map", BindingTypeCode::Map, true,
       "{a:{__class:\"c.Inner\",value:i:1},b:{__class:\"c.Inner\",value:i:2}}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    FillInner(c.map ? value.Member("a") : value.Append(), 1);
    FillInner(c.map ? value.Member("b") : value.Append(), 2);
    StampLcdsClassNames(value, {c.kind, BindingTypeCode::Struct, &inner_}, classes_);
    EXPECT_EQ(Describe(value), c.expected);
  }
}

TEST_F(LcdsClassNamesTest, LeavesValuesWithoutAClassUntouched) {
  struct Case {
    const char* label;
    BindingTypeDescriptor descriptor;
  };
  const Case cases[] = {
      {"type without a class", {BindingTypeCode::Struct, BindingTypeCode::None, &plain_}},
      {"no type", {BindingTypeCode::Struct, BindingTypeCode::None, nullptr}},
      {"scalar descriptor", {BindingTypeCode::Int32, BindingTypeCode::None, nullptr}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BindingProperty value;
    FillInner(value.Member("inner"), 4);
    StampLcdsClassNames(value, c.descriptor, classes_);
    EXPECT_EQ(Describe(value), "{inner:{value:i:4}}");
  }
}

TEST_F(LcdsClassNamesTest, NeverTurnsOtherKindsIntoStructures) {
  const BindingTypeDescriptor record{BindingTypeCode::Struct, BindingTypeCode::None, &inner_};
  const BindingTypeDescriptor list{BindingTypeCode::Vector, BindingTypeCode::Struct, &inner_};
  BindingProperty empty;
  BindingProperty number;
  number.SetInt64(7);
  BindingProperty text;
  text.SetString("x");
  for (BindingProperty* value : {&empty, &number, &text}) {
    const std::string before = Describe(*value);
    SCOPED_TRACE(before);
    StampLcdsClassNames(*value, record, classes_);
    StampLcdsClassNames(*value, list, classes_);
    EXPECT_EQ(Describe(*value), before);
  }
}

}  // namespace
}  // namespace Zarn::Client
