#include "host/HostValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Zarn::Host {
namespace {

std::string RoundTrip(const std::string& text) {
  rapidjson::Document json;
  std::string error;
  EXPECT_TRUE(ParseHostJson(text, &json, &error)) << error;
  ApiObject object{};
  EXPECT_TRUE(JsonToHostObject(json, &object));
  rapidjson::Document back;
  EXPECT_TRUE(HostObjectToJson(object, back, back.GetAllocator(), &error)) << error;
  FreeHostObject(&object);
  EXPECT_EQ(object.kind, 0u);
  return JsonText(back);
}

TEST(HostValueTest, JsonSurvivesTheHostValueForm) {
  const char* cases[] = {
      "null",
      "true",
      "-12",
      "9223372036854775807",
      "18446744073709551615",
      "2.5",
      R"("text with \"quotes\"")",
      "[]",
      "{}",
      R"([1,[2,[3,{"a":null}]],"x"])",
      R"({"uri":"/a/b","eventType":"Update","data":{"n":-1,"list":[true,false]}})",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(RoundTrip(text), text);
  }
}

TEST(HostValueTest, BuildsTheKindsThePluginReads) {
  struct Case {
    const char* json;
    uint32_t kind;
  };
  const Case cases[] = {{"null", kApiObjectEmpty},     {"false", kApiObjectBool},
                        {"-1", kApiObjectSigned},      {"18446744073709551615", kApiObjectUnsigned},
                        {"0.5", kApiObjectFloat},      {R"("s")", kApiObjectOwnedString},
                        {"[1]", kApiObjectCollection}, {R"({"k":1})", kApiObjectStructure}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    rapidjson::Document json;
    std::string error;
    ASSERT_TRUE(ParseHostJson(c.json, &json, &error));
    ApiObject object{};
    ASSERT_TRUE(JsonToHostObject(json, &object));
    EXPECT_EQ(object.kind, c.kind);
    if (object.kind == kApiObjectStructure) {
      ASSERT_EQ(object.b, 1u);
      EXPECT_STREQ(object.a.entries[0].name, "k");
      EXPECT_EQ(object.a.entries[0].ownsName, 1);
    }
    FreeHostObject(&object);
  }
}

TEST(HostValueTest, ReadsPluginValuesWithoutTakingThem) {
  char text[] = "borrowed";
  uint8_t bytes[] = {0x00, 0xFF, 0x10, 0x20};
  ApiObject elements[2] = {};
  elements[0].kind = kApiObjectBorrowedString;
  elements[0].a.text = text;
  elements[0].b = 3;  // the length word is not trusted: the text ends at its NUL
  elements[1].kind = kApiObjectBorrowedBlob;
  elements[1].a.bytes = bytes;
  elements[1].b = sizeof bytes;
  ApiObject list{};
  list.kind = kApiObjectCollection;
  list.a.elements = elements;
  list.b = 2;

  rapidjson::Document json;
  std::string error;
  ASSERT_TRUE(HostObjectToJson(list, json, json.GetAllocator(), &error)) << error;
  EXPECT_EQ(JsonText(json), R"(["borrowed","AP8QIA=="])");
}

TEST(HostValueTest, RefusesUnknownKindsAndDeepNesting) {
  ApiObject odd{};
  odd.kind = 11;
  rapidjson::Document json;
  std::string error;
  EXPECT_FALSE(HostObjectToJson(odd, json, json.GetAllocator(), &error));
  EXPECT_EQ(error, "a host value has the unknown kind 11");

  for (int depth : {512, 513}) {
    SCOPED_TRACE(depth);
    const std::string text = std::string(depth, '[') + std::string(depth, ']');
    rapidjson::Document nested;
    error.clear();
    EXPECT_EQ(ParseHostJson(text, &nested, &error), depth <= 512) << error;
  }
  // Far deeper input is refused where it passes the cap, without growing the reader's stacks
  // by its depth; a NUL byte is invalid JSON where it stands, not the end of the text.
  struct Case {
    std::string text;
    const char* error;
  };
  const Case refused[] = {
      {std::string(64 << 20, '['), "JSON nested deeper than 512"},
      {std::string(600, '{'),
       "invalid JSON at offset 1: a member's name in double quotes was expected"},
      {"{\"a\":1} trailing",
       "invalid JSON at offset 8: the end of the text was expected after the value"},
      {std::string("{\"a\":1}\0 trailing", 16),
       "invalid JSON at offset 7: a NUL byte stands there, where JSON allows none"},
      {std::string("[\"a\0b\"]", 7),
       "invalid JSON at offset 3: a NUL byte stands there, where JSON allows none"},
      {std::string("\0", 1),
       "invalid JSON at offset 0: a NUL byte stands there, where JSON allows none"},
      {"[1 2]", "invalid JSON at offset 3: ',' or ']' was expected after the element"},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.text.substr(0, 20));
    rapidjson::Document deep;
    error.clear();
    EXPECT_FALSE(ParseHostJson(c.text, &deep, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace Zarn::Host
