#include "sdk/api/ArgumentBinder.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "sdk/base/Format.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/KeyedMap.h"
#include "tests/sdk/api/ApiCallTesting.h"
#include "tests/sdk/api/StandInTypes.h"

namespace Zarn {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestReply;
using Testing::ApiTestRequest;
using Testing::Member;
using Testing::Party;

// One route of every argument source and kind; each answers with what it was given.
class ArgumentBinderTest : public ::testing::Test {
 protected:
  ArgumentBinderTest() {
    Testing::RegisterStandInTypes(registry);
    ApiBinder::Post(
        registrar, "/parties/{id}",
        std::function<HttpResult<Party>(std::string, Party)>([](std::string id, Party party) {
          party.id = std::move(id);
          return HttpResult<Party>(std::move(party));
        }))
        .AddPathArgument("id", "", nullptr)
        .AddBodyArgument("party", "", nullptr);
    ApiBinder::Get(registrar, "/search",
                   std::function<std::string(std::optional<std::string>, bool, std::int32_t)>(
                       [](std::optional<std::string> team, bool flag, std::int32_t count) {
                         return Format("%1|%2|%3", team.value_or("-"), flag ? "true" : "false",
                                       count);
                       }))
        .AddQueryArgument("team", "", nullptr)
        .AddQueryArgument("flag", "", nullptr)
        .AddQueryArgument("count", "", nullptr);
    // Arguments declared without a source take headers too.
    FunctionBuilder headers = registry.DefineFunction(
        "Headers", std::function<std::string(std::string, bool)>(
                       [](std::string token, bool on) { return token + (on ? "|on" : "|off"); }));
    headers.SetPath("/headers").SetMethod(HttpMethod::Get);
    headers.AddArgument("token", "", nullptr, nullptr).AddArgument("On", "", nullptr, nullptr);
    ApiBinder::Post(registrar, "/free",
                    std::function<BindingProperty(BindingProperty)>(
                        [](BindingProperty value) { return value; }))
        .AddQueryArgument("value", "", nullptr);
    ApiBinder::Post(registrar, "/members",
                    std::function<std::size_t(std::vector<Member>)>(
                        [](std::vector<Member> members) { return members.size(); }))
        .AddQueryArgument("members", "", nullptr);
    ApiBinder::Post(registrar, "/tags",
                    std::function<std::size_t(KeyedMap<std::string>)>(
                        [](const KeyedMap<std::string>& tags) { return tags.size(); }))
        .AddQueryArgument("tags", "", nullptr);
    ApiBinder::Get(registrar, "/named/{id}",
                   std::function<std::string(std::string, std::string, std::int32_t)>(
                       [](std::string id, std::string name, std::int32_t n) {
                         return Format("%1|%2|%3", id, name, n);
                       }))
        .AddPathArgument("id", "", nullptr)
        .AddArgument("name", "", nullptr, nullptr)
        .AddArgument("n", "", nullptr, nullptr);
    ApiBinder::Get(registrar, "/number/{n}",
                   std::function<std::int32_t(std::int32_t)>([](std::int32_t n) { return n; }))
        .AddPathArgument("n", "", nullptr);
    ApiBinder::Get(registrar, "/text/{t}",
                   std::function<std::string(std::string)>([](std::string t) { return t; }))
        .AddPathArgument("t", "", nullptr);
  }

  struct Case {
    const char* label;
    const char* function;
    ApiTestRequest request;
    const char* answer;  // compact JSON of the reply's value, or null
    const char* error;   // the reply's error text when `answer` is null
  };

  void Run(const std::vector<Case>& cases) {
    ApiTestClient client(registry);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.label);
      const ApiTestReply reply = client.Call(c.function, c.request);
      if (c.answer != nullptr) {
        EXPECT_FALSE(reply.hasError) << reply.error;
        EXPECT_EQ(SerializeJson(reply.value, &registry, nullptr), c.answer);
      } else {
        EXPECT_TRUE(reply.hasError);
        EXPECT_EQ(reply.error, c.error);
      }
      EXPECT_EQ(reply.status, 0u) << "binding failures carry no status of their own";
    }
  }

  // value.10 down to value.0: in the order of the keys' text, 10 would come before 2.
  static std::string TenDown() {
    std::string path = "/free?";
    for (int i = 10; i >= 0; --i)
      path += "value." + std::to_string(i) + "=" + std::to_string(i) + "&";
    path.pop_back();
    return path;
  }
  static ApiTestRequest Get(std::string path) {
    ApiTestRequest request;
    request.path = std::move(path);
    return request;
  }
  static ApiTestRequest Post(std::string path, const char* contentType,
                             std::optional<std::string> body) {
    ApiTestRequest request;
    request.method = 6;
    request.path = std::move(path);
    request.contentType = contentType;
    request.body = std::move(body);
    return request;
  }
  static ApiTestRequest WithHeaders(ApiTestRequest request,
                                    std::vector<std::pair<std::string, std::string>> headers) {
    request.headers = std::move(headers);
    return request;
  }

  ApiRegistry registry;
  const std::vector<std::string> tags;
  ApiRegistrar registrar{&registry, tags};
};

constexpr const char* kPartyJson =
    R"({"id":"ignored","members":[{"name":"a","level":3}],"availability":"Disabled"})";
// Members come back in name order, as host structures keep them.
constexpr const char* kPartyAnswer =
    R"({"availability":"Disabled","id":"p1","members":[{"level":3,"name":"a"}],"note":null,)"
    R"("version":0})";
constexpr const char* kSmallPartyAnswer =
    R"({"availability":"Available","id":"p1","members":[],"note":null,"version":0})";
// {"id": "x"} as MessagePack.
const std::string kPartyMessagePack = "\x81\xa2id\xa1x";

TEST_F(ArgumentBinderTest, Bodies) {
  const std::string withNul = std::string(kPartyJson) + std::string("\0junk", 5);
  Run({
      {"json", "PostPartiesById", Post("/parties/p1", "application/json", kPartyJson), kPartyAnswer,
       nullptr},
      {"json with charset, other case", "PostPartiesById",
       Post("/parties/p1", "Application/JSON; charset=utf-8", kPartyJson), kPartyAnswer, nullptr},
      {"json api", "PostPartiesById", Post("/parties/p1", "application/vnd.api+json", kPartyJson),
       kPartyAnswer, nullptr},
      {"embedded NUL ends the text", "PostPartiesById",
       Post("/parties/p1", "application/json", withNul), kPartyAnswer, nullptr},
      {"yaml", "PostPartiesById",
       Post("/parties/p1", "application/x-yaml",
            "members:\n  - name: a\n    level: 3\navailability: Disabled\n"),
       kPartyAnswer, nullptr},
      {"msgpack", "PostPartiesById",
       Post("/parties/p1", "application/x-msgpack", kPartyMessagePack), kSmallPartyAnswer, nullptr},
      {"msgpack ext", "PostPartiesById",
       Post("/parties/p1", "application/x-msgpack-ext", kPartyMessagePack), kSmallPartyAnswer,
       nullptr},
      {"msgpack with a trailing byte", "PostPartiesById",
       Post("/parties/p1", "application/x-msgpack", kPartyMessagePack + "\xc0"), nullptr,
       "Extra MessgePack data found in body"},
      {"yaml under another name", "PostPartiesById", Post("/parties/p1", "text/x-yaml", "id: x\n"),
       nullptr, "Unsupported body content type"},
      {"octet stream", "PostPartiesById", Post("/parties/p1", "application/octet-stream", "{}"),
       nullptr, "Unsupported body content type"},
      {"no content type", "PostPartiesById", Post("/parties/p1", nullptr, kPartyJson), nullptr,
       "Unsupported body content type"},
      {"no body", "PostPartiesById", Post("/parties/p1", "application/json", std::nullopt), nullptr,
       "A value for 'party' is required."},
      {"empty json body", "PostPartiesById", Post("/parties/p1", "application/json", ""), nullptr,
       "A value for 'party' is required."},
      {"null", "PostPartiesById", Post("/parties/p1", "application/json", "null"), nullptr,
       "A value for 'party' is required."},
      {"a list for a record", "PostPartiesById", Post("/parties/p1", "application/json", "[]"),
       nullptr,
       "Couldn't assign value to 'party' of type Party because the input not a structure."},
      {"a scalar root", "PostPartiesById", Post("/parties/p1", "application/json", "5"), nullptr,
       "Couldn't assign value to 'party' of type Party because the input not a structure."},
      {"unparsable json", "PostPartiesById", Post("/parties/p1", "application/json", "{\"id\":"),
       nullptr, "Error: Invalid value. at offset 6."},
  });
}

TEST_F(ArgumentBinderTest, QueryPathAndHeaders) {
  Run({
      {"query", "GetSearch", Get("/search?team=blue&flag&count=3"), R"("blue|true|3")", nullptr},
      {"a non-optional bool starts false", "GetSearch", Get("/search?count=1"), R"("-|false|1")",
       nullptr},
      {"repeated key keeps the last", "GetSearch", Get("/search?count=1&count=2"), R"("-|false|2")",
       nullptr},
      {"decoded", "GetSearch", Get("/search?te%61m=a+b%2Bc&count=%34"), R"("a b+c|false|4")",
       nullptr},
      {"trailing percent", "GetSearch", Get("/search?count=%4"), R"("-|false|4")", nullptr},
      {"flag on an integer", "GetSearch", Get("/search?count"), nullptr,
       "Expected value for argument 'count'."},
      {"missing integer", "GetSearch", Get("/search"), nullptr, "A value for 'count' is required."},
      {"integer in the wrong form", "GetSearch", Get("/search?count=x"), nullptr,
       "Value x for 'count' of type int32 is in an incorrect format"},
      {"unknown key", "GetSearch", Get("/search?count=1&zz=1"), nullptr,
       "Unknown argument 'zz' for 'GetSearch'."},
      {"the first bad key written", "GetSearch", Get("/search?zz=1&yy=2&xx=3"), nullptr,
       "Unknown argument 'zz' for 'GetSearch'."},
      {"a repeated key keeps its first place", "GetSearch", Get("/search?yy=1&zz=2&yy=3"), nullptr,
       "Unknown argument 'yy' for 'GetSearch'."},
      {"dotted keys after the others", "GetSearch", Get("/search?aa.0=1&zz=1"), nullptr,
       "Unknown argument 'zz' for 'GetSearch'."},
      {"empty key", "GetSearch", Get("/search?=v"), nullptr,
       "Unknown argument '' for 'GetSearch'."},
      {"empty pieces", "GetSearch", Get("/search?&&"), nullptr,
       "Unknown argument '' for 'GetSearch'."},
      {"path argument from the query", "PostPartiesById",
       Post("/parties/p1?id=2", "application/json", kPartyJson), nullptr,
       "Argument 'id' for 'PostPartiesById' was specified in an invalid location."},
      {"capture decoded", "GetTextByT", Get("/text/a%2Fb+c"), R"("a/b c")", nullptr},
      {"NUL in a capture", "GetTextByT", Get("/text/a%00b"), nullptr,
       "Argument 't' may not hold a NUL character."},
      {"NUL in a capture, then an unknown key", "GetTextByT", Get("/text/%00?zz=1"), nullptr,
       "Argument 't' may not hold a NUL character."},
      {"NUL in a query value", "GetSearch", Get("/search?count=1&team=a%00b"), nullptr,
       "Argument 'team' may not hold a NUL character."},
      {"NUL in a query key", "GetSearch", Get("/search?count=1&te%00am=a"), nullptr,
       "Argument 'te%00am' may not hold a NUL character."},
      {"NUL in the query, the body read well", "PostPartiesById",
       Post("/parties/p1?x=%00", "application/json", kPartyJson), nullptr,
       "Argument 'x' may not hold a NUL character."},
      {"capture of one raw byte", "GetTextByT", Get("/text/%FF"), "\"\xff\"", nullptr},
      {"capture too large", "GetNumberByN", Get("/number/147483647147483647147483647"), nullptr,
       "Value 147483647147483647147483647 for 'n' of type int32 is out of range"},
      {"capture beyond int32", "GetNumberByN", Get("/number/4294967296"), nullptr,
       "Value 4294967296 for 'n' of type int32 is out of range"},
      {"headers", "Headers", WithHeaders(Get("/headers"), {{"token", "t1"}, {"on", ""}}),
       R"("t1|on")", nullptr},
      {"header names as given", "Headers", WithHeaders(Get("/headers"), {{"Token", "t1"}}), nullptr,
       "A value for 'token' is required."},
      {"repeated header keeps the last", "Headers",
       WithHeaders(Get("/headers"), {{"token", "t1"}, {"token", "t2"}}), R"("t2|off")", nullptr},
      {"query over header", "Headers", WithHeaders(Get("/headers?token=q"), {{"token", "h"}}),
       R"("q|off")", nullptr},
  });
}

TEST_F(ArgumentBinderTest, StructuredTextsAndIndices) {
  Run({
      {"plain text", "PostFree", Post("/free?value=abc", nullptr, std::nullopt), R"("abc")",
       nullptr},
      {"empty is a structure", "PostFree", Post("/free?value", nullptr, std::nullopt), "{}",
       nullptr},
      {"json", "PostFree", Post("/free?value=%20%7B%22a%22:1%7D", nullptr, std::nullopt),
       R"({"a":1})", nullptr},
      {"yaml", "PostFree", Post("/free?value=---%0Aa:+1", nullptr, std::nullopt), R"({"a":1})",
       nullptr},
      {"msgpack", "PostFree", Post("/free?value=%91%01", nullptr, std::nullopt), "[1]", nullptr},
      {"bad json", "PostFree", Post("/free?value=[1,", nullptr, std::nullopt), nullptr,
       "Couldn't deserialize JSON value for parameter 'value' of 'PostFree': Error: Invalid "
       "value. at offset 3."},
      {"indices grow a list one by one", "PostFree",
       Post("/free?value.0=w&value.1=x", nullptr, std::nullopt), R"(["w","x"])", nullptr},
      {"in any order", "PostFree", Post("/free?value.1=x&value.0=w", nullptr, std::nullopt),
       R"(["w","x"])", nullptr},
      {"indices in order of their value", "PostFree", Post(TenDown(), nullptr, std::nullopt),
       R"(["0","1","2","3","4","5","6","7","8","9","10"])", nullptr},
      {"hexadecimal and octal steps", "PostFree",
       Post("/free?value.0x2=h&value.01=o&value.0=z", nullptr, std::nullopt), R"(["z","o","h"])",
       nullptr},
      {"the element after a whole value", "PostFree",
       Post("/free?value.2=x&value=[1,2]", nullptr, std::nullopt), R"([1,2,"x"])", nullptr},
      {"members and indices", "PostFree",
       Post("/free?value.a.0.b=%7B&value.a.1=c", nullptr, std::nullopt), R"({"a":[{"b":"{"},"c"]})",
       nullptr},
      {"an index past the next element", "PostFree", Post("/free?value.1=x", nullptr, std::nullopt),
       nullptr, "Index 1 is out of range"},
      {"a gap", "PostFree", Post("/free?value.0=a&value.2=c", nullptr, std::nullopt), nullptr,
       "Index 2 is out of range"},
      {"past the next of a new list", "PostFree", Post("/free?value.0.1=x", nullptr, std::nullopt),
       nullptr, "Index 1 is out of range"},
      {"past the next of a whole value", "PostFree",
       Post("/free?value=[1,2]&value.3=x", nullptr, std::nullopt), nullptr,
       "Index 3 is out of range"},
      {"bad index", "PostFree", Post("/free?value.1x=a", nullptr, std::nullopt), nullptr,
       "Index 1x is in an incorrect format"},
      {"index too large", "PostFree", Post("/free?value.10000=a", nullptr, std::nullopt), nullptr,
       "Index 10000 is out of range"},
      {"list elements by member", "PostMembers",
       Post("/members?members.0.name=a&members.1.name=b&members.0.level=2", nullptr, std::nullopt),
       "2", nullptr},
      {"a map by member", "PostTags", Post("/tags?tags.a=b&tags.c=d", nullptr, std::nullopt), "2",
       nullptr},
      {"an index into a scalar", "GetSearch", Get("/search?count=1&team.0=x"), nullptr,
       "Index 0 is out of range"},
      {"a member of a scalar", "GetSearch", Get("/search?count.a.b=1"), nullptr,
       "Index a is out of range"},
      {"an index into a bool", "GetSearch", Get("/search?count=1&flag.9999=1"), nullptr,
       "Index 9999 is out of range"},
      {"index beyond 64 bits", "PostFree",
       Post("/free?value.99999999999999999999=a", nullptr, std::nullopt), nullptr,
       "Index 99999999999999999999 is out of range"},
      {"list argument from json", "PostMembers",
       Post("/members?members=[%7B%22name%22:%22a%22%7D]", nullptr, std::nullopt), "1", nullptr},
      {"list argument left empty", "PostMembers", Post("/members?members", nullptr, std::nullopt),
       "0", nullptr},
      {"map arguments are not sniffed", "PostTags",
       Post("/tags?tags=%7B%22a%22:%22b%22%7D", nullptr, std::nullopt), nullptr,
       "Couldn't assign value to 'tags' of type map because the input not a structure."},
  });
}

TEST_F(ArgumentBinderTest, DeepKeysAreRefused) {
  std::string path = "/free?value";
  for (int i = 0; i < 600; ++i) path += ".a";
  path += "=x";
  ApiTestClient client(registry);
  const ApiTestReply reply = client.Call("PostFree", Post(path, nullptr, std::nullopt));
  EXPECT_TRUE(reply.hasError);
  EXPECT_EQ(reply.error, "Index a is out of range");
}

TEST_F(ArgumentBinderTest, NamedValuesAndTheBody) {
  auto named = [](std::vector<std::pair<std::optional<std::string>, BindingProperty>> values) {
    ApiTestRequest request = Get("/named/7");
    request.namedValues = std::move(values);
    return request;
  };
  auto text = [](const char* value) {
    BindingProperty property;
    property.SetString(value);
    return property;
  };
  auto number = [](std::int64_t value) {
    BindingProperty property;
    property.SetInt64(value);
    return property;
  };
  ApiTestRequest badQueryGoodBody = Post("/parties/p1?zz=1", "application/json", kPartyJson);
  ApiTestRequest badQueryBadBody = Post("/parties/p1?zz=1", "application/json", "[");
  Run({
      {"by name", "GetNamedById", named({{"name", text("n")}, {"n", number(5)}}), R"("7|n|5")",
       nullptr},
      {"by position after the captures", "GetNamedById",
       named({{std::nullopt, text("n")}, {std::nullopt, number(6)}}), R"("7|n|6")", nullptr},
      {"unknown name", "GetNamedById", named({{"zzz", text("n")}}), nullptr,
       "Unknown argument 'zzz' for 'GetNamedById'."},
      {"position past the arguments", "GetNamedById",
       named({{std::nullopt, text("n")}, {std::nullopt, number(6)}, {std::nullopt, number(1)}}),
       nullptr, "Unknown argument '3' for 'GetNamedById'."},
      {"a named value replaces the capture", "GetNamedById",
       named({{"id", text("9")}, {"name", text("n")}, {"n", number(1)}}), R"("9|n|1")", nullptr},
      {"an earlier failure stands when the body reads well", "PostPartiesById", badQueryGoodBody,
       nullptr, "Unknown argument 'zz' for 'PostPartiesById'."},
      {"a failing body replaces an earlier failure", "PostPartiesById", badQueryBadBody, nullptr,
       "Error: Invalid value. at offset 1."},
  });
}

TEST_F(ArgumentBinderTest, AHandlerWithoutParametersSharesOneHolder) {
  const FunctionBuilder builder =
      registry.DefineFunction("NoParameters", std::function<bool()>([] { return true; }));
  ApiRequestHandler& handler = *builder.Record()->handler;
  BindingHttpResult result;
  void* first = handler.ParseArguments(result, {}, 0);
  void* second = handler.ParseArguments(result, {}, 0);
  EXPECT_EQ(first, second);
  handler.FreeArguments(first);
  handler.FreeArguments(second);
  EXPECT_EQ(handler.ParseArguments(result, {}, 0), first);
  EXPECT_TRUE(result.IsOk());
}

}  // namespace
}  // namespace Zarn
