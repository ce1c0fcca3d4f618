// Every form of handler signature the lobby declares, on stand-in types of the same kinds:
// declared as a route, then called through the C entry with its arguments from the path, the
// query, the host's named values or the body.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "sdk/binding/JsonText.h"
#include "tests/sdk/api/ApiCallTesting.h"
#include "tests/sdk/api/ResponseBodyStreamTesting.h"
#include "tests/sdk/api/StandInTypes.h"

namespace Zarn {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestReply;
using Testing::ApiTestRequest;
using Testing::Availability;
using Testing::Member;
using Testing::Party;

Party MakeParty(std::string id) {
  Party party;
  party.id = std::move(id);
  party.members = {Member{"m", 1}};
  return party;
}

constexpr const char* kParty =
    R"({"availability":"Available","id":"p","members":[{"level":1,"name":"m"}],"note":null,)"
    R"("version":0})";

class SignatureTableTest : public ::testing::Test {
 protected:
  SignatureTableTest() { Testing::RegisterStandInTypes(registry); }

  template <typename R, typename... Args>
  FunctionBuilder Route(HttpMethod method, const char* path, std::function<R(Args...)> handler) {
    switch (method) {
      case HttpMethod::Get:
        return ApiBinder::Get(registrar, path, handler);
      case HttpMethod::Post:
        return ApiBinder::Post(registrar, path, handler);
      case HttpMethod::Put:
        return ApiBinder::Put(registrar, path, handler);
      default:
        return ApiBinder::Delete(registrar, path, handler);
    }
  }

  ApiRegistry registry;
  const std::vector<std::string> tags;
  ApiRegistrar registrar{&registry, tags};
};

TEST_F(SignatureTableTest, EveryFormAnswers) {
  using Members = std::vector<Member>;
  // Plain values.
  Route(HttpMethod::Get, "/record", std::function<Party()>([] { return MakeParty("p"); }));
  Route(HttpMethod::Get, "/text", std::function<std::string()>([] { return std::string("t"); }));
  Route(HttpMethod::Get, "/flag", std::function<bool()>([] { return true; }));
  // Outcomes.
  Route(HttpMethod::Put, "/outcome",
        std::function<MaybeType<Failure, void>(Party)>([](const Party& party) {
          if (party.id == "bad") return MaybeType<Failure, void>(Failure(3, "refused"));
          return MaybeType<Failure, void>::Success();
        }))
      .AddBodyArgument("party", "", nullptr);
  Route(HttpMethod::Put, "/three/{a}/{b}",
        std::function<MaybeType<Failure, void>(std::string, std::string, std::string)>(
            [](const std::string& a, const std::string& b, const std::string& c) {
              return a + b + c == "xyz" ? MaybeType<Failure, void>::Success()
                                        : MaybeType<Failure, void>(Failure(1, a + b + c));
            }))
      .AddPathArgument("a", "", nullptr)
      .AddPathArgument("b", "", nullptr)
      .AddBodyArgument("c", "", nullptr);
  Route(HttpMethod::Put, "/level",
        std::function<MaybeType<Failure, void>(std::int32_t)>([](std::int32_t level) {
          return level > 0 ? MaybeType<Failure, void>::Success()
                           : MaybeType<Failure, void>(Failure(1, "low"));
        }))
      .AddBodyArgument("level", "", nullptr);
  // Results with values.
  Route(HttpMethod::Get, "/custom/{id}",
        std::function<HttpResult<Party>(std::int32_t)>([](std::int32_t id) {
          if (id == 0) return HttpResult<Party>(MakeNotFound("No party %1", id));
          return HttpResult<Party>(MakeParty("p"));
        }))
      .AddPathArgument("id", "", nullptr);
  Route(HttpMethod::Post, "/change", std::function<HttpResult<Party>(Party)>([](Party party) {
          party.version += 1;
          return HttpResult<Party>(std::move(party), HttpResponse(201));
        }))
      .AddBodyArgument("change", "", nullptr);
  Route(HttpMethod::Get, "/invitation/{id}",
        std::function<HttpResult<Member>(std::string)>([](std::string id) {
          return HttpResult<Member>(Member{std::move(id), 2});
        }))
      .AddPathArgument("id", "", nullptr);
  Route(HttpMethod::Get, "/string",
        std::function<HttpResult<std::string>()>([] { return HttpResult<std::string>("s"); }));
  Route(HttpMethod::Post, "/members",
        std::function<HttpResult<Members>(Members)>([](Members members) {
          members.push_back(Member{"added", 0});
          return HttpResult<Members>(std::move(members));
        }))
      .AddBodyArgument("members", "", nullptr);
  Route(HttpMethod::Get, "/members",
        std::function<HttpResult<Members>()>([] { return HttpResult<Members>(Members{}); }));
  Route(HttpMethod::Get, "/availability", std::function<HttpResult<Availability>()>([] {
          return HttpResult<Availability>(Availability::Disabled);
        }));
  Route(HttpMethod::Get, "/signed",
        std::function<HttpResult<std::int64_t>()>([] { return HttpResult<std::int64_t>(-5); }));
  Route(HttpMethod::Post, "/unsigned",
        std::function<HttpResult<std::uint64_t>(std::uint64_t)>(
            [](std::uint64_t n) { return HttpResult<std::uint64_t>(n + 1); }))
      .AddBodyArgument("n", "", nullptr);
  Route(HttpMethod::Put, "/enabled",
        std::function<HttpResult<bool>(bool)>([](bool on) { return HttpResult<bool>(!on); }))
      .AddBodyArgument("on", "", nullptr);
  // Responses.
  Route(HttpMethod::Post, "/message",
        std::function<HttpResponse(std::string)>([](const std::string& text) {
          return text.empty() ? HttpResponse(400, "EMPTY_MESSAGE") : HttpResponse(0);
        }))
      .AddBodyArgument("text", "", nullptr);
  Route(HttpMethod::Delete, "/message",
        std::function<HttpResponse()>([] { return MakeErrorResponse(423, "LOCKED"); }));
  Route(HttpMethod::Post, "/bots",
        std::function<BindingHttpResult(std::string, Party)>(
            [](const std::string& team, const Party& party) {
              BindingProperty value;
              value.SetString(team + ":" + party.id);
              return BindingHttpResult(value);
            }))
      .AddQueryArgument("team", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  Route(HttpMethod::Post, "/switch",
        std::function<BindingHttpResult(std::optional<std::string>)>(
            [](const std::optional<std::string>& team) {
              BindingProperty value;
              value.SetString(team.value_or("none"));
              return BindingHttpResult(value);
            }))
      .AddQueryArgument("team", "", nullptr);
  Route(HttpMethod::Post, "/join/{id}",
        std::function<BindingHttpResult(std::uint64_t, Party)>(
            [](std::uint64_t id, const Party& party) {
              if (party.note) return BindingHttpResult(HttpResponse(409, *party.note));
              BindingProperty value;
              value.SetUint64(id);
              return BindingHttpResult(value);
            }))
      .AddPathArgument("id", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  Route(HttpMethod::Delete, "/leave",
        std::function<BindingHttpResult()>([] { return BindingHttpResult(HttpResponse(204)); }));
  bool lastFlag = false;
  Route(HttpMethod::Post, "/ready",
        std::function<void(bool)>([&lastFlag](bool ready) { lastFlag = ready; }))
      .AddBodyArgument("ready", "", nullptr);
  Route(HttpMethod::Post, "/notify", std::function<void(Member)>([](const Member&) {}))
      .AddBodyArgument("notification", "", nullptr);

  struct Case {
    const char* function;
    std::uint32_t method;
    const char* path;
    const char* body;  // JSON, or null
    const char* answer;
    const char* error;  // null on success
    std::uint32_t status;
  };
  const Case cases[] = {
      {"GetRecord", 2, "/record", nullptr, kParty, nullptr, 0},
      {"GetText", 2, "/text", nullptr, R"("t")", nullptr, 0},
      {"GetFlag", 2, "/flag", nullptr, "true", nullptr, 0},
      {"PutOutcome", 7, "/outcome", R"({"id":"ok"})", "", nullptr, 0},
      {"PutOutcome", 7, "/outcome", R"({"id":"bad"})", "", "refused", 0},
      {"PutThreeByAByB", 7, "/three/x/y", R"("z")", "", nullptr, 0},
      {"PutThreeByAByB", 7, "/three/x/y", R"("q")", "", "xyq", 0},
      {"PutLevel", 7, "/level", "3", "", nullptr, 0},
      {"PutLevel", 7, "/level", "4294967296", "",
       "Value 4294967296 for 'level' of type int32 is out of range", 0},
      {"GetCustomById", 2, "/custom/4", nullptr, kParty, nullptr, 0},
      {"GetCustomById", 2, "/custom/0", nullptr, "", "No party 0", 404},
      {"PostChange", 6, "/change", R"({"id":"p","version":4})",
       R"({"availability":"Available","id":"p","members":[],"note":null,"version":5})", nullptr,
       201},
      {"GetInvitationById", 2, "/invitation/i", nullptr, R"({"level":2,"name":"i"})", nullptr, 0},
      {"GetString", 2, "/string", nullptr, R"("s")", nullptr, 0},
      {"PostMembers", 6, "/members", R"([{"name":"a","level":1}])",
       R"([{"level":1,"name":"a"},{"level":0,"name":"added"}])", nullptr, 0},
      {"GetMembers", 2, "/members", nullptr, "[]", nullptr, 0},
      {"GetAvailability", 2, "/availability", nullptr, R"("Disabled")", nullptr, 0},
      {"GetSigned", 2, "/signed", nullptr, "-5", nullptr, 0},
      {"PostUnsigned", 6, "/unsigned", "41", "42", nullptr, 0},
      {"PutEnabled", 7, "/enabled", "true", "false", nullptr, 0},
      {"PostMessage", 6, "/message", R"("hi")", "", nullptr, 0},
      {"PostMessage", 6, "/message", R"("")", "", "EMPTY_MESSAGE", 400},
      {"DeleteMessage", 1, "/message", nullptr, "", "LOCKED", 423},
      {"PostBots", 6, "/bots?team=blue", R"({"id":"b"})", R"("blue:b")", nullptr, 0},
      {"PostSwitch", 6, "/switch?team=red", nullptr, R"("red")", nullptr, 0},
      {"PostSwitch", 6, "/switch", nullptr, R"("none")", nullptr, 0},
      {"PostJoinById", 6, "/join/18446744073709551615", "{}", "18446744073709551615", nullptr, 0},
      {"PostJoinById", 6, "/join/1", R"({"note":"FULL"})", "", "FULL", 409},
      {"DeleteLeave", 1, "/leave", nullptr, "", nullptr, 204},
      {"PostReady", 6, "/ready", "true", "", nullptr, 0},
      {"PostNotify", 6, "/notify", R"({"name":"n"})", "", nullptr, 0},
  };
  ApiTestClient client(registry);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " " + c.path + " " + (c.body ? c.body : ""));
    ApiTestRequest request;
    request.method = c.method;
    request.path = c.path;
    if (c.body != nullptr) {
      request.contentType = "application/json";
      request.body = c.body;
    }
    const ApiTestReply reply = client.Call(c.function, request);
    EXPECT_EQ(reply.hasError, c.error != nullptr) << reply.error;
    EXPECT_EQ(reply.error, c.error != nullptr ? c.error : "");
    if (c.error == nullptr) {
      EXPECT_EQ(SerializeJson(reply.value, &registry, nullptr), c.answer);
    }
    EXPECT_EQ(reply.status, c.status);
  }
  EXPECT_TRUE(lastFlag);
}

TEST_F(SignatureTableTest, ArgumentsFromNamedValues) {
  Route(HttpMethod::Post, "/join/{id}",
        std::function<BindingHttpResult(std::uint64_t, Party)>(
            [](std::uint64_t id, const Party& party) {
              BindingProperty value;
              value.SetString(std::to_string(id) + ":" + party.id);
              return BindingHttpResult(value);
            }))
      .AddPathArgument("id", "", nullptr)
      .AddBodyArgument("parameters", "", nullptr);
  ApiTestClient client(registry);
  ApiTestRequest request;
  request.method = 6;
  request.path = "/join/5";
  BindingProperty party;
  party.Member("id").SetString("named");
  request.namedValues.emplace_back(std::nullopt, party);  // the first after the one capture
  const ApiTestReply reply = client.Call("PostJoinById", request);
  EXPECT_FALSE(reply.hasError) << reply.error;
  EXPECT_EQ(reply.value.GetString(), "5:named");
}

TEST_F(SignatureTableTest, StoreToBindingCopiesTheStatusPartOnBothBranches) {
  BodyStreamLog log;
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "ok" : "failed");
    HttpResult<Party> source(MakeParty("p"), ok ? HttpResponse(201) : HttpResponse(409, "TAKEN"));
    source.response.status.statusText = "Text";
    source.response.status.headers["H"] = "v";
    source.response.kind = 3;
    source.response.bodyStream = CountingBodyStream::Make(log);
    BindingHttpResult result;
    StoreToBinding(result, source, registry);
    EXPECT_EQ(result.IsOk(), ok);
    EXPECT_EQ(ok ? SerializeJson(result.Result().Value(), &registry, nullptr)
                 : std::string(result.Result().ErrorMessage()),
              ok ? kParty : "TAKEN");
    EXPECT_EQ(result.StatusPart().status, ok ? 201 : 409);
    EXPECT_EQ(result.StatusPart().statusText, "Text");
    EXPECT_EQ(result.StatusPart().headers.at("H"), "v");
    EXPECT_EQ(result.Kind(), 3u);
    EXPECT_EQ(result.Stream(), nullptr);
    EXPECT_NE(source.response.bodyStream, nullptr) << "the stream stays with the handler's result";
  }
  EXPECT_EQ(log.destroyed, 2);
}

}  // namespace
}  // namespace Zarn
