// Requests to the host core through the stand-in host: packing, replies, streams, failures and
// the release of everything a request touches.
#include "sdk/runtime/Requests.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypeRegistry.h"
#include "tests/sdk/base/FailureTesting.h"
#include "tests/sdk/base/MemoryTesting.h"
#include "tests/sdk/runtime/HostedModule.h"

namespace {

struct Member {
  std::int32_t id = 0;
  std::string name;
};

struct Roster {
  std::string title;
  std::vector<Member> members;
};

struct Stray {
  std::int32_t x = 0;
};

}  // namespace

ZARN_TYPE_ID(Member, 0x7E000001u);
ZARN_TYPE_ID(Roster, 0x7E000002u);
ZARN_TYPE_ID(Stray, 0x7E000003u);

namespace Zarn::Client {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Zarn::Testing::FailsWith;
using Zarn::Testing::HasAttribute;
using Zarn::Testing::IsSucceeded;

FailureAttribute Text(const std::string& text) { return FailureAttribute(text); }

std::string Json(const BindingProperty& value) { return SerializeJson(value, nullptr, nullptr); }

Host::ScriptedReply Inline(const char* json, uint32_t status = 200) {
  Host::ScriptedReply reply;
  reply.status = status;
  if (json != nullptr) reply.json = json;
  return reply;
}

Host::ScriptedReply Error(const char* text, uint32_t status) {
  Host::ScriptedReply reply;
  reply.status = status;
  reply.error = text;
  return reply;
}

Host::ScriptedReply Streamed(std::string body, std::vector<Host::StreamChunk> chunks = {}) {
  Host::ScriptedReply reply;
  reply.stream = Host::ScriptedStream{std::move(body), std::move(chunks), std::nullopt};
  return reply;
}

Host::StreamChunk Chunk(uint32_t size, bool more) {
  Host::StreamChunk chunk;
  chunk.size = size;
  chunk.more = more;
  return chunk;
}

// A JSON text of exactly `size` bytes: a quoted run of letters.
std::string JsonTextOfSize(std::size_t size) { return "\"" + std::string(size - 2, 'a') + "\""; }

class RequestsTest : public Testing::HostedModuleTest {
 protected:
  void SetUp() override {
    HostedModuleTest::SetUp();
    TypeRegistry(Registry().RegisterType(sizeof(Member), "Member", TypeId<Member>(), false))
        .AddMember<std::int32_t>("id", offsetof(Member, id), "")
        .AddMember<std::string>("name", offsetof(Member, name), "");
    TypeRegistry(Registry().RegisterType(sizeof(Roster), "Roster", TypeId<Roster>(), false))
        .AddMember<std::string>("title", offsetof(Roster, title), "")
        .AddMember<std::vector<Member>>("members", offsetof(Roster, members), "");
  }

  // Every stream handed out was released exactly once, and every reply too.
  void ExpectEverythingReleased() {
    for (const Host::HostStream* stream : host_.Streams()) EXPECT_EQ(stream->Releases(), 1);
    EXPECT_EQ(Records().replyReleases, Records().repliesFilled);
    EXPECT_EQ(Host::PluginHost::ForeignReplyReleases(), 0);
  }
};

TEST_F(RequestsTest, FailuresCarryTheirTemplateCodeAndAttributes) {
  host_.ScriptReply("/err", Error("busy", 503));
  host_.ScriptReply("/err0", Error("no status", 0));
  host_.ScriptReply("/lost", Inline(R"({"title":"kept"})", 404));
  host_.ScriptReply("/empty", Inline(nullptr));
  host_.ScriptReply("/text", Inline(R"("just text")"));
  host_.ScriptReply("/broken", Streamed("{\"a\":"));
  Host::StreamChunk refuse;
  refuse.fail = true;
  host_.ScriptReply("/refused", Streamed("{}", {refuse}));

  struct Case {
    const char* label;
    std::function<MaybeType<Failure, Roster>()> call;
    int32_t code;
    std::string message;
    std::string method, url, error;
  };
  const Stray stray;
  const std::vector<Case> cases = {
      {"second parameter fails",
       [&] { return plugin_.Request<Roster>(HttpMethod::Post, "/p", 5, stray); }, 400,
       "Request not sent: Error converting parameters for POST /p: Couldn't convert native value "
       "because it's an unregistered structure.",
       "POST", "/p", "Couldn't convert native value because it's an unregistered structure."},
      {"error text", [&] { return plugin_.Request<Roster>(HttpMethod::Get, "/err"); }, 503,
       "Error response for GET /err: busy", "GET", "/err", "busy"},
      {"error text, status 0", [&] { return plugin_.Request<Roster>(HttpMethod::Put, "/err0"); }, 0,
       "Error response for PUT /err0: no status", "PUT", "/err0", "no status"},
      {"empty value into a record",
       [&] { return plugin_.Request<Roster>(HttpMethod::Get, "/empty"); }, 0,
       "Error converting response for GET /empty: A value for '<result>' is required.", "GET",
       "/empty", "A value for '<result>' is required."},
      {"text into a record", [&] { return plugin_.Request<Roster>(HttpMethod::Get, "/text"); }, 0,
       "", "GET", "/text", ""},
      {"stream of bad JSON", [&] { return plugin_.Request<Roster>(HttpMethod::Get, "/broken"); }, 0,
       "", "GET", "/broken", ""},
      {"stream refused", [&] { return plugin_.Request<Roster>(HttpMethod::Get, "/refused"); }, 0,
       "Error reading streamed response for GET /refused: Stream read error", "GET", "/refused",
       "Stream read error"},
      {"custom method", [&] { return plugin_.Request<Roster>(HttpMethod::Custom, "/err"); }, 503,
       "Error response for  /err: busy", "", "/err", "busy"},
      {"unknown method",
       [&] { return plugin_.Request<Roster>(static_cast<HttpMethod>(42), "/err"); }, 503,
       "Error response for  /err: busy", "", "/err", "busy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::size_t sentBefore = Records().requests.size();
    const MaybeType<Failure, Roster> result = c.call();
    ASSERT_TRUE(result.IsFailure());
    EXPECT_EQ(result.GetFailure().Code(), c.code);
    if (!c.message.empty()) {
      EXPECT_EQ(std::string(result.Message()), c.message);
    }
    EXPECT_THAT(result, HasAttribute("method", Text(c.method)));
    EXPECT_THAT(result, HasAttribute("url", Text(c.url)));
    if (!c.error.empty()) {
      EXPECT_THAT(result, HasAttribute("error", Text(c.error)));
    }
    const bool sent = Records().requests.size() > sentBefore;
    EXPECT_EQ(sent, c.code != 400);
  }
  // The message of a parser or a converter is passed on as it is.
  EXPECT_THAT(plugin_.Request<Roster>(HttpMethod::Get, "/broken").Message(),
              StartsWith("Error reading streamed response for GET /broken: Error: "));
  EXPECT_THAT(plugin_.Request<Roster>(HttpMethod::Get, "/text").Message(),
              StartsWith("Error converting response for GET /text: Couldn't assign value to "
                         "'<result>'"));

  // Status 404 without an error text is a success whose value is used.
  const MaybeType<Failure, Roster> lost = plugin_.Request<Roster>(HttpMethod::Get, "/lost");
  ASSERT_THAT(lost, IsSucceeded());
  EXPECT_EQ(lost->title, "kept");

  // The host saw code 8 as it is and the unknown code as 0.
  std::vector<uint32_t> methods;
  for (const Host::CoreRequest& request : Records().requests) methods.push_back(request.method);
  EXPECT_THAT(methods, ::testing::Contains(8u));
  EXPECT_THAT(methods, ::testing::Contains(0u));
  ExpectEverythingReleased();
}

TEST_F(RequestsTest, ParametersTravelByPositionAsHostValues) {
  const std::unordered_map<std::string, std::string> table = {{"k", "v"}};
  BindingProperty free;
  free.MakeCollection();
  free.Append().SetBool(true);
  const Roster roster{"r", {{1, "a"}, {2, "b"}}};
  const std::vector<std::uint64_t> ids = {1, 18446744073709551615ull};
  const std::vector<std::int32_t> small = {-1, 2};
  const char* nothing = nullptr;

  ASSERT_THAT(plugin_.Request<void>(HttpMethod::Post, "/echo?x=1", -7, std::string("two"), 3u,
                                    "four", nothing, free, table, roster, ids, small),
              IsSucceeded());
  ASSERT_EQ(Records().requests.size(), 1u);
  const Host::CoreRequest& sent = Records().requests[0];
  EXPECT_EQ(sent.method, 6u);
  EXPECT_EQ(sent.path, "/echo?x=1");
  EXPECT_EQ(sent.callWord, 0x51u);
  EXPECT_THAT(sent.arguments,
              ElementsAre("-7", R"("two")", "3", R"("four")", R"("")", "[true]", R"({"k":"v"})",
                          R"({"members":[{"id":1,"name":"a"},{"id":2,"name":"b"}],"title":"r"})",
                          "[1,18446744073709551615]", "[-1,2]"));

  // No parameters: no argument array at all.
  host_.ScriptReply("/bare", Inline(nullptr));
  ASSERT_THAT(plugin_.Request<void>(HttpMethod::Delete, "/bare"), IsSucceeded());
  EXPECT_TRUE(Records().requests[1].arguments.empty());
  ExpectEverythingReleased();
}

TEST_F(RequestsTest, RepliesConvertToTheRequestedType) {
  host_.ScriptReply("/roster", Inline(R"({"title":"t","members":[{"id":3,"name":"c"}]})"));
  host_.ScriptReply("/list", Inline(R"([{"id":1},null,{"id":2,"name":"x"}])"));
  host_.ScriptReply("/flag", Inline("true"));
  host_.ScriptReply("/name", Inline(R"("abc")"));
  host_.ScriptReply("/free", Inline(R"({"a":[1,"b"]})"));
  host_.ScriptReply("/empty", Inline(nullptr));

  const auto roster = plugin_.Request<Roster>(HttpMethod::Get, "/roster");
  ASSERT_THAT(roster, IsSucceeded());
  EXPECT_EQ(roster->title, "t");
  ASSERT_EQ(roster->members.size(), 1u);
  EXPECT_EQ(roster->members[0].id, 3);

  const auto list = plugin_.Request<std::vector<Member>>(HttpMethod::Get, "/list");
  ASSERT_THAT(list, IsSucceeded());
  ASSERT_EQ(list->size(), 3u);
  EXPECT_EQ((*list)[1].id, 0);
  EXPECT_EQ((*list)[2].name, "x");

  const auto flag = plugin_.Request<bool>(HttpMethod::Get, "/flag");
  ASSERT_THAT(flag, IsSucceeded());
  EXPECT_TRUE(*flag);
  const auto name = plugin_.Request<std::string>(HttpMethod::Get, "/name");
  ASSERT_THAT(name, IsSucceeded());
  EXPECT_EQ(*name, "abc");
  const auto free = plugin_.Request<BindingProperty>(HttpMethod::Get, "/free");
  ASSERT_THAT(free, IsSucceeded());
  EXPECT_EQ(Json(*free), R"({"a":[1,"b"]})");
  const auto empty = plugin_.Request<BindingProperty>(HttpMethod::Get, "/empty");
  ASSERT_THAT(empty, IsSucceeded());
  EXPECT_TRUE(empty->IsEmpty());
  const auto notList = plugin_.Request<std::vector<Member>>(HttpMethod::Get, "/flag");
  EXPECT_THAT(notList, FailsWith(0, StartsWith("Error converting response for GET /flag: ")));
  ExpectEverythingReleased();
}

TEST_F(RequestsTest, StreamsAreReadInFullChunksAndYieldOnlyOnShortReadsWithMore) {
  struct Case {
    const char* label;
    std::string body;
    std::vector<Host::StreamChunk> chunks;
    int reads;
    int yields;
  };
  const std::string large = JsonTextOfSize(4096 + 4096 + 100);
  const std::string small = JsonTextOfSize(35);
  const std::vector<Case> cases = {
      {"4096, 4096, 100", large, {Chunk(4096, true), Chunk(4096, true), Chunk(100, false)}, 3, 0},
      {"10-byte reads with more",
       small,
       {Chunk(10, true), Chunk(10, true), Chunk(10, true), Chunk(5, false)},
       4,
       3},
      {"one read of everything", small, {}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Host::ScriptedReply reply = Streamed(c.body, c.chunks);
    reply.uses = 1;
    host_.ScriptReply("/stream", reply);
    const int yieldsBefore = Records().yields;
    const std::size_t waitsBefore = Records().beginWaits.size();
    const auto text = plugin_.Request<std::string>(HttpMethod::Get, "/stream");
    ASSERT_THAT(text, IsSucceeded());
    EXPECT_EQ("\"" + *text + "\"", c.body);
    ASSERT_FALSE(host_.Streams().empty());
    EXPECT_EQ(host_.Streams().back()->Reads(), c.reads);
    EXPECT_EQ(Records().yields - yieldsBefore, c.yields);
    ASSERT_EQ(Records().beginWaits.size() - waitsBefore, static_cast<std::size_t>(c.yields));
    for (std::size_t i = waitsBefore; i < Records().beginWaits.size(); ++i) {
      EXPECT_EQ(Records().beginWaits[i].label, "Wait: yield");
    }
    host_.ClearRecords();
  }
  ExpectEverythingReleased();
}

TEST_F(RequestsTest, MisbehavingStreamsFailSafelyAndAreReleasedOnce) {
  Host::StreamChunk liar = Chunk(10, true);
  liar.claimedSize = 5000;
  Host::ScriptedReply huge = Streamed(R"({"title":"h"})");
  huge.stream->announcedSize = 0xFFFFFFFFu;
  Host::ScriptedReply failedWithStream = Streamed("{}");
  failedWithStream.error = "refused";
  failedWithStream.status = 409;
  host_.ScriptReply("/liar", Streamed(JsonTextOfSize(40), {liar}));
  host_.ScriptReply("/huge", huge);
  host_.ScriptReply("/zero", Streamed("", {Chunk(0, false)}));
  host_.ScriptReply("/both", failedWithStream);
  host_.ScriptReply("/void", Streamed("{}"));

  EXPECT_THAT(plugin_.Request<BindingProperty>(HttpMethod::Get, "/liar"),
              FailsWith(0, "Error reading streamed response for GET /liar: Stream read error"));
  const auto roster = plugin_.Request<Roster>(HttpMethod::Get, "/huge");
  ASSERT_THAT(roster, IsSucceeded());
  EXPECT_EQ(roster->title, "h");

  const auto zero = plugin_.Request<BindingProperty>(HttpMethod::Get, "/zero");
  ASSERT_THAT(zero, IsSucceeded());
  EXPECT_TRUE(zero->IsEmpty());
  EXPECT_THAT(plugin_.Request<Roster>(HttpMethod::Get, "/zero"),
              FailsWith(0,
                        "Error converting response for GET /zero: A value for '<result>' is "
                        "required."));

  EXPECT_THAT(plugin_.Request<Roster>(HttpMethod::Get, "/both"),
              FailsWith(409, "Error response for GET /both: refused"));
  EXPECT_THAT(plugin_.Request<void>(HttpMethod::Get, "/void"), IsSucceeded());

  const std::vector<const Host::HostStream*> streams = host_.Streams();
  ASSERT_EQ(streams.size(), 6u);
  EXPECT_EQ(streams[0]->Reads(), 1) << "the lying read is the last";
  EXPECT_EQ(streams[4]->Reads(), 0) << "a failed reply's stream is not read";
  EXPECT_EQ(streams[5]->Reads(), 0) << "a request without a result reads no stream";
  ExpectEverythingReleased();
}

TEST_F(RequestsTest, ReplyAndArgumentMemoryComesBackAfterManyRequests) {
  host_.ScriptReply("/ok", Inline(R"({"title":"t","members":[{"id":1,"name":"n"}]})"));
  host_.ScriptReply("/err", Error("busy", 500));
  host_.ScriptReply("/stream", Streamed(R"({"title":"s"})", {Chunk(3, true)}));
  const Roster roster{"r", {{1, "a"}}};
  const Stray stray;
  const std::unordered_map<std::string, std::string> table = {{"a", "b"}, {"c", "d"}};
  auto oneRound = [&](int i) {
    switch (i % 5) {
      case 0:
        static_cast<void>(plugin_.Request<Roster>(HttpMethod::Post, "/ok", roster, table));
        break;
      case 1:
        static_cast<void>(plugin_.Request<Roster>(HttpMethod::Get, "/err", std::string("x")));
        break;
      case 2:
        static_cast<void>(plugin_.Request<Roster>(HttpMethod::Get, "/stream"));
        break;
      case 3:
        static_cast<void>(plugin_.Request<void>(HttpMethod::Put, "/ok", 1, stray));
        break;
      default:
        static_cast<void>(plugin_.Request<std::vector<Member>>(HttpMethod::Get, "/ok"));
        break;
    }
  };
  for (int i = 0; i < 5; ++i) oneRound(i);  // first uses of lazily made tables
  // The fixture's own records are dropped before each reading.
  auto clear = [&] {
    host_.ClearRecords();
    std::vector<std::string>().swap(plugin_.calls);
  };
  clear();
  const auto before = Zarn::Testing::CounterValues::ReadProcess();
  for (int i = 0; i < 10000; ++i) oneRound(i);
  EXPECT_EQ(Records().replyReleases, Records().repliesFilled);
  EXPECT_EQ(Records().repliesFilled, 8000);
  clear();
  // Every byte allocated on the way (host values, texts, values, the host's records) is back.
  const auto delta = Zarn::Testing::CounterValues::ReadProcess() - before;
  EXPECT_GT(delta.allocations, 10000u);
  EXPECT_EQ(delta.bytesAllocated, delta.bytesFreed);
}

}  // namespace
}  // namespace Zarn::Client
