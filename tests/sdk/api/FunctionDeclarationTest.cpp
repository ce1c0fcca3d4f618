#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sdk/api/ApiBinder.h"
#include "tests/sdk/api/ApiCallTesting.h"
#include "tests/sdk/api/StandInTypes.h"

namespace Zarn {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestRequest;
using Testing::Availability;
using Testing::Member;
using Testing::Party;

struct Unregistered {
  int x = 0;
};

class FunctionDeclarationTest : public ::testing::Test {
 protected:
  FunctionDeclarationTest() { Testing::RegisterStandInTypes(registry); }

  ApiRegistry registry;
  const std::vector<std::string> tags = {"Plugins", "Plugin test"};
  ApiRegistrar registrar{&registry, tags};
};

}  // namespace
}  // namespace Zarn

ZARN_TYPE_ID(Zarn::Unregistered, 0x5D000001u);

namespace Zarn {
namespace {

template <typename R, typename... Args>
const BindingFunctionInfo& Declare(ApiRegistry& registry, const char* name) {
  return *registry.DefineFunction(name, std::function<R(Args...)>()).Function();
}

TEST_F(FunctionDeclarationTest, DescriptorsFollowTheSignature) {
  using Code = BindingTypeCode;
  const BindingTypeInfo* member = registry.FindTypeById(TypeId<Member>().id);
  const BindingTypeInfo* party = registry.FindTypeById(TypeId<Party>().id);
  const BindingTypeInfo* availability = registry.FindTypeById(TypeId<Availability>().id);
  ASSERT_NE(member, nullptr);
  struct Case {
    const char* label;
    const BindingFunctionInfo& function;
    BindingTypeDescriptor returned;
    std::vector<std::pair<BindingTypeDescriptor, bool>> arguments;
  };
  const BindingTypeDescriptor none{};
  const Case cases[] = {
      {"void", Declare<void, bool>(registry, "A"), none, {{{Code::Bool}, false}}},
      {"response",
       Declare<HttpResponse, std::string>(registry, "B"),
       none,
       {{{Code::String}, false}}},
      {"outcome",
       Declare<MaybeType<Failure, void>, std::int32_t>(registry, "C"),
       none,
       {{{Code::Int32}, false}}},
      {"result of a list",
       Declare<HttpResult<std::vector<Member>>>(registry, "D"),
       {Code::Vector, Code::Struct, const_cast<BindingTypeInfo*>(member)},
       {}},
      {"result of an enum",
       Declare<HttpResult<Availability>>(registry, "E"),
       {Code::Enum, Code::None, const_cast<BindingTypeInfo*>(availability)},
       {}},
      {"binding result",
       Declare<BindingHttpResult, std::optional<std::string>>(registry, "F"),
       {Code::Object},
       {{{Code::String}, true}}},
      {"plain values",
       Declare<std::string, std::int64_t, std::uint64_t, const Party&>(registry, "G"),
       {Code::String},
       {{{Code::Int64}, false},
        {{Code::Uint64}, false},
        {{Code::Struct, Code::None, const_cast<BindingTypeInfo*>(party)}, false}}},
      {"unregistered record",
       Declare<Unregistered, std::vector<Unregistered>>(registry, "H"),
       {Code::Struct},
       {{{Code::Vector, Code::Struct}, false}}},
      {"bool result",
       Declare<HttpResult<bool>, std::uint32_t>(registry, "I"),
       {Code::Bool},
       {{{Code::Uint32}, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.function.returnType, c.returned);
    ASSERT_EQ(c.function.arguments.size(), c.arguments.size());
    for (std::size_t i = 0; i < c.arguments.size(); ++i) {
      EXPECT_EQ(c.function.arguments[i].descriptor, c.arguments[i].first) << i;
      EXPECT_EQ(c.function.arguments[i].optional, c.arguments[i].second) << i;
      EXPECT_TRUE(c.function.arguments[i].name.empty());
    }
    ApiFunctionRecord* record = registry.Find(&c.function);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->argumentSources, std::vector<ArgumentSource>(c.arguments.size()));
    ASSERT_NE(record->handler, nullptr);
    EXPECT_EQ(record->handler->GetRequestType().id, TypeId<void>().id);
    ASSERT_NE(c.function.invoker, nullptr);
  }
}

TEST_F(FunctionDeclarationTest, TheFirstDeclarationWins) {
  FunctionBuilder first = ApiBinder::Post(registrar, "/a/{x}/",
                                          std::function<std::string(std::string, bool)>(
                                              [](std::string s, bool) { return "first " + s; }));
  first.AddPathArgument("x", "one", nullptr).AddBodyArgument("y", "", nullptr);
  EXPECT_FALSE(first.IsInert());
  FunctionBuilder second = ApiBinder::Post(
      registrar, "/a/{x}",
      std::function<std::string(std::string)>([](std::string s) { return "second " + s; }));
  EXPECT_TRUE(second.IsInert());
  second.SetPath("/changed").SetMethod(HttpMethod::Get).AddTags({"extra"});
  second.AddQueryArgument("z", "", nullptr);
  EXPECT_EQ(second.ArgumentIndex(), 1u) << "an inert builder still steps through the arguments";
  second.AddQueryArgument("w", "", nullptr);
  EXPECT_EQ(second.ArgumentIndex(), 2u);

  const BindingFunctionInfo* function = registry.FindFunction("PostAByX");
  ASSERT_NE(function, nullptr);
  const ApiFunctionRecord& record = *registry.Find(function);
  EXPECT_EQ(record.routeTemplate, "/a/{x}");
  EXPECT_EQ(record.method, HttpMethod::Post);
  EXPECT_EQ(record.argumentSources,
            (std::vector<ArgumentSource>{ArgumentSource::Path, ArgumentSource::Body}));
  EXPECT_EQ(function->tags, tags);
  ASSERT_EQ(function->arguments.size(), 2u);
  EXPECT_EQ(function->arguments[0].name, "x");
  EXPECT_EQ(function->arguments[0].description, "one");
  EXPECT_EQ(function->arguments[1].name, "y");

  // Both the invoker and the request handler keep the first handler.
  BindingProperty values[2];
  values[0].SetString("v");
  values[1].SetBool(true);
  BindingResult invoked;
  void* holder = function->invoker->ParseArguments(invoked, values, 0);
  function->invoker->Invoke(invoked, holder, 0);
  function->invoker->FreeArguments(holder);
  EXPECT_EQ(invoked.Value().GetString(), "first v");
  ApiTestClient client(registry);
  ApiTestRequest request;
  request.method = 6;
  request.path = "/a/v";
  request.contentType = "application/json";
  request.body = "true";
  EXPECT_EQ(client.Call("PostAByX", request).value.GetString(), "first v");
  request.path = "/changed";
  EXPECT_EQ(client.Call("PostAByX", request).error, "Invalid function");
}

TEST_F(FunctionDeclarationTest, PathsAndNames) {
  struct Case {
    const char* path;
    const char* name;
    const char* stored;  // null when an earlier route of the same name wins
  };
  const Case cases[] = {
      {"/a/b/", "GetAB", "/a/b"},
      {"/a/b", "GetAB", nullptr},
      {"/c//", "GetC", "/c/"},
      {"/", "Get", "/"},
      {"", "Get", nullptr},
      {"/x/{id}", "GetXById", "/x/{id}"},
      {"/x/by-id", "GetXById", nullptr},
      {"/a-b", "GetAB", nullptr},
      {"/v2/2fa", "GetV22fa", "/v2/2fa"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string answer = c.path;
    const FunctionBuilder builder = ApiBinder::Get(
        registrar, c.path, std::function<std::string()>([answer] { return answer; }));
    EXPECT_EQ(builder.Function()->name, c.name);
    EXPECT_EQ(builder.IsInert(), c.stored == nullptr);
    if (c.stored != nullptr) {
      EXPECT_EQ(builder.Record()->routeTemplate, c.stored);
    }
  }
  EXPECT_EQ(registry.Find(registry.FindFunction("Get"))->routeTemplate, "/");

  // One path, several methods: one function each.
  const auto noAnswer = std::function<HttpResponse()>([] { return HttpResponse(); });
  ApiBinder::Post(registrar, "/lobby/search", noAnswer);
  ApiBinder::Delete(registrar, "/lobby/search", noAnswer);
  ApiBinder::Put(registrar, "/lobby/search", noAnswer);
  for (const char* name : {"PostLobbySearch", "DeleteLobbySearch", "PutLobbySearch"}) {
    EXPECT_NE(registry.FindFunction(name), nullptr) << name;
  }
  EXPECT_EQ(registry.Find(registry.FindFunction("DeleteLobbySearch"))->method, HttpMethod::Delete);
}

TEST_F(FunctionDeclarationTest, BoundFunctionFirstThenServed) {
  BindingFunctionBuilder bound = registry.BindingRegistry::DefineFunction(
      "Twice", std::function<std::string()>([] { return std::string("bound"); }));
  EXPECT_FALSE(bound.Exists());
  EXPECT_EQ(registry.Find(bound.Function()), nullptr);
  FunctionBuilder served = registry.DefineFunction(
      "Twice", std::function<std::string()>([] { return std::string("served"); }));
  EXPECT_FALSE(served.IsInert()) << "the record decides, not the bound function";
  EXPECT_EQ(served.Function(), bound.Function());
  served.SetPath("/twice");

  BindingResult invoked;
  bound.Function()->invoker->Invoke(invoked, SharedEmptyArgumentHolder(), 0);
  EXPECT_EQ(invoked.Value().GetString(), "bound");
  ApiTestClient client(registry);
  ApiTestRequest request;
  request.path = "/twice";
  EXPECT_EQ(client.Call("Twice", request).value.GetString(), "served");
}

TEST_F(FunctionDeclarationTest, SnapshotDescribesEachServedFunction) {
  ApiBinder::Put(registrar, "/parties/{partyId}/members/{puuid}/role",
                 std::function<MaybeType<Failure, void>(std::string, std::string, std::string)>())
      .AddPathArgument("partyId", "", nullptr)
      .AddPathArgument("puuid", "", nullptr)
      .AddBodyArgument("role", "", nullptr);
  FunctionBuilder custom = registry.DefineFunction("Custom", std::function<void(bool, bool)>());
  custom.SetMethod(HttpMethod::Custom);
  custom.AddQueryArgument("q", "", nullptr);  // the second argument keeps Any
  custom.Record()->methodName = "PURGE";
  custom.Record()->extraFlag = 7;
  custom.Record()->extraLists = {{"a", "b"}, {}, {"c"}};
  (void)registry.BindingRegistry::DefineFunction("OnlyBound", std::function<void()>());

  ApiTestClient client(registry);
  const ApiRegistrySnapshot& snapshot = client.Snapshot();
  EXPECT_EQ(+snapshot.functionCount, 2u) << "only served functions are routes";
  EXPECT_EQ(client.FindRoute("OnlyBound"), nullptr);
  EXPECT_NE(+snapshot.types, nullptr);
  EXPECT_NE(+snapshot.events, nullptr);
  std::uint32_t linked = 0;
  for (const ApiFunctionDescriptor* f = snapshot.functions; f != nullptr; f = f->next) ++linked;
  EXPECT_EQ(linked, 2u);

  const ApiRouteDescriptor* role = client.FindRoute("PutPartiesByPartyIdMembersByPuuidRole");
  ASSERT_NE(role, nullptr);
  EXPECT_EQ(+role->callEntry, &ApiRegistry::CallFunctionEntry);
  EXPECT_STREQ(role->routeTemplate, "/parties/{partyId}/members/{puuid}/role");
  EXPECT_EQ(+role->method, 7u);
  EXPECT_STREQ(role->methodName, "");
  EXPECT_EQ(+role->function.argumentCount, 3u);
  EXPECT_EQ(+role->function.tagCount, 2u);
  EXPECT_STREQ(role->function.tags[1], "Plugin test");
  EXPECT_EQ(+role->function.returnTypeCode, 0u);
  std::vector<std::uint32_t> sources;
  for (const ApiArgumentSourceNode* node = role->argumentSources; node != nullptr;
       node = node->next) {
    sources.push_back(+node->source);
  }
  EXPECT_EQ(sources, (std::vector<std::uint32_t>{2, 2, 5}));
  const auto* userData = static_cast<const RouteUserData*>(role->function.userData);
  ASSERT_NE(userData, nullptr);
  EXPECT_EQ(userData->registry, &registry);
  EXPECT_EQ(userData->record->routeTemplate, std::string_view(role->routeTemplate));
  // Compiled with the snapshot, so that a call does not compile it again.
  ASSERT_TRUE(userData->pattern.has_value());
  ASSERT_EQ(userData->pattern->Parameters().size(), 2u);
  EXPECT_EQ(userData->pattern->Parameters()[1].name, "puuid");

  const ApiRouteDescriptor* customRoute = client.FindRoute("Custom");
  ASSERT_NE(customRoute, nullptr);
  EXPECT_EQ(+customRoute->method, 8u);
  EXPECT_STREQ(customRoute->methodName, "PURGE");
  EXPECT_STREQ(customRoute->routeTemplate, "");
  EXPECT_EQ(+customRoute->extraFlag, 7);
  sources.clear();
  for (const ApiArgumentSourceNode* node = customRoute->argumentSources; node != nullptr;
       node = node->next) {
    sources.push_back(+node->source);
  }
  EXPECT_EQ(sources, (std::vector<std::uint32_t>{1, 0}));
  std::vector<std::vector<std::string>> lists;
  for (const ApiStringListNode* node = customRoute->stringLists; node != nullptr;
       node = node->next) {
    const char* const* strings = node->strings;
    lists.emplace_back(strings, strings + node->count);
  }
  EXPECT_EQ(+customRoute->stringListCount, 3u);
  EXPECT_EQ(lists, (std::vector<std::vector<std::string>>{{"a", "b"}, {}, {"c"}}));

  // A second build keeps each function's user data where the host saw it.
  const ApiRegistrySnapshot again = registry.BuildSnapshot();
  EXPECT_EQ(+again.functionCount, 2u);
  bool found = false;
  for (const ApiFunctionDescriptor* f = again.functions; f != nullptr; f = f->next) {
    const void* seen = f->userData;
    found = found || seen == userData;
  }
  EXPECT_TRUE(found);
}

TEST_F(FunctionDeclarationTest, ClearRemovesServedFunctions) {
  ApiBinder::Get(registrar, "/gone", std::function<bool()>([] { return true; }));
  (void)registry.BindingRegistry::DefineFunction("Kept", std::function<void()>());
  ASSERT_NE(registry.FindFunction("GetGone"), nullptr);
  ApiTestClient before(registry);
  ASSERT_NE(before.FindRoute("GetGone"), nullptr);
  const ApiRouteDescriptor gone = *before.FindRoute("GetGone");
  registry.Clear();
  EXPECT_EQ(registry.FindFunction("GetGone"), nullptr);
  EXPECT_NE(registry.FindFunction("Kept"), nullptr);
  EXPECT_TRUE(registry.CopyEntries().empty());

  ApiTestRequest request;
  request.path = "/gone";
  ApiCallResult reply{};
  ApiTestClient::CallInto(gone, request, reply);
  EXPECT_EQ(ApiTestClient::Read(reply).error, "Invalid function") << "the record is gone";
  reply.release(&reply);
  // Served again under the same name with another route: the new route is the one matched.
  ApiBinder::Get(registrar, "/gone", std::function<bool()>([] { return false; }));
  registry.Find(registry.FindFunction("GetGone"))->routeTemplate = "/gone/again";
  ApiTestClient after(registry);
  request.path = "/gone/again";
  EXPECT_FALSE(after.Call("GetGone", request).hasError);
}

}  // namespace
}  // namespace Zarn
