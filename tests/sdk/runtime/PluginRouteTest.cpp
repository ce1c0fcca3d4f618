// Routes declared through the plugin's wrappers, called through the registry's snapshot.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sdk/runtime/Plugin.h"
#include "tests/sdk/api/ApiCallTesting.h"

namespace Zarn::Client {
namespace {

using Testing::ApiTestClient;
using Testing::ApiTestRequest;

class Backend {
 public:
  HttpResponse Leave() {
    ++leaves;
    return HttpResponse(204);
  }
  int leaves = 0;
};

class BasePlugin : public Plugin {
 public:
  std::string Greet(std::string name) { return prefix + name; }
  std::string prefix = "hello ";
};

class RoutePlugin : public BasePlugin {
 public:
  MaybeType<Failure, void> SetRole(std::string id, std::string role) {
    lastRole = id + ":" + role;
    return MaybeType<Failure, void>::Success();
  }
  std::string lastRole;
};

TEST(PluginRouteTest, WrappersDeclareRoutesOnMembers) {
  RoutePlugin plugin;
  Backend backend;
  plugin.BindPost("/greet", &plugin, &BasePlugin::Greet).AddBodyArgument("name", "", nullptr);
  plugin.BindPut("/parties/{id}/role", &plugin, &RoutePlugin::SetRole)
      .AddPathArgument("id", "", nullptr)
      .AddBodyArgument("role", "", nullptr);
  plugin.BindDelete("/party", &backend, &Backend::Leave);
  plugin.BindGet("/ping", std::function<bool()>([] { return true; }));

  ApiRegistry& registry = plugin.GetRegistry();
  for (const auto& [name, method] :
       {std::pair{"PostGreet", HttpMethod::Post}, std::pair{"PutPartiesByIdRole", HttpMethod::Put},
        std::pair{"DeleteParty", HttpMethod::Delete}, std::pair{"GetPing", HttpMethod::Get}}) {
    SCOPED_TRACE(name);
    const BindingFunctionInfo* function = registry.FindFunction(name);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(registry.Find(function)->method, method);
    EXPECT_EQ(function->tags, plugin.HelpCategories());
  }

  ApiTestClient client(registry);
  ApiTestRequest request;
  request.method = 6;
  request.path = "/greet";
  request.contentType = "application/json";
  request.body = R"("you")";
  plugin.prefix = "hi ";  // the wrapper calls the object, not a copy
  EXPECT_EQ(client.Call("PostGreet", request).value.GetString(), "hi you");

  request.method = 7;
  request.path = "/parties/p1/role";
  request.body = R"("leader")";
  EXPECT_FALSE(client.Call("PutPartiesByIdRole", request).hasError);
  EXPECT_EQ(plugin.lastRole, "p1:leader");

  ApiTestRequest leave;
  leave.method = 1;
  leave.path = "/party";
  EXPECT_EQ(client.Call("DeleteParty", leave).status, 204u);
  EXPECT_EQ(backend.leaves, 1);

  ApiTestRequest ping;
  ping.path = "/ping";
  EXPECT_TRUE(client.Call("GetPing", ping).value.GetBool());
}

}  // namespace
}  // namespace Zarn::Client
