// The lobby's routes called in-process through the call entries of the plugin's snapshot, as the
// host calls them: which object and handler each reaches, with which arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/RouteCaller.h"
#include "tests/lobby/core/LobbyPluginTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Names = std::vector<std::string>;

Host::RouteAnswer Call(const ApiRegistrySnapshot& snapshot, const char* method,
                       const std::string& path, const std::string& body = "") {
  int releases = 0;
  return Host::CallRoute(Host::RoutesOf(&snapshot), Host::HostMethodCode(method), path, body,
                         kTestHostContext, &releases);
}

TEST(RouteHandlersTest, BothPositionPreferencesRoutesReachTheOneHandlerWithTheirBody) {
  LobbyRig rig;
  rig.Drive({Lobby::LobbyEvents::kNewLobbyRequested, Lobby::LobbyEvents::kNewLobbySucceeded});
  const std::size_t mark = rig.Mark();
  for (const char* version : {"v1", "v2"}) {
    SCOPED_TRACE(version);
    const Host::RouteAnswer answer = Call(
        rig.plugin->Snapshot(), "PUT",
        std::string("/jyx-lobby/") + version + "/lobby/members/localMember/position-preferences",
        std::string(R"({"firstPreference":"NORTH","secondPreference":")") + version + "\"}");
    EXPECT_EQ(answer.status, 0u);
    EXPECT_FALSE(answer.error.has_value());
  }
  EXPECT_EQ(rig.Entries({"platform.SetPositionPreferences"}, mark),
            (Names{"platform.SetPositionPreferences(NORTH, v1)",
                   "platform.SetPositionPreferences(NORTH, v2)"}));
}

TEST(RouteHandlersTest, PartiesRoutesReachTheBackendWithTheirArguments) {
  struct Case {
    const char* method;
    const char* path;
    const char* body;
    const char* call;
  };
  const Case cases[] = {
      {"GET", "/jyx-lobby/v1/parties/health", "", "parties.HandleGetHealth"},
      {"GET", "/jyx-lobby/v1/parties/player", "", "parties.HandleGetPlayer"},
      {"PUT", "/jyx-lobby/v1/parties/active", "true", "parties.HandlePutActive(true)"},
      {"PUT", "/jyx-lobby/v1/parties/queue", "420", "parties.HandlePutQueue(420)"},
      {"PUT", "/jyx-lobby/v1/parties/metadata", R"({"positionPref":["NORTH","CENTRE"]})",
       "parties.HandlePutMetadata(2)"},
      {"PUT", "/jyx-lobby/v1/parties/ready", "false", "parties.HandlePutReady(false)"},
      {"PUT", "/jyx-lobby/v1/parties/p-1/members/u-2/role", R"("MEMBER")",
       "parties.HandlePutRole(p-1, u-2, MEMBER)"},
      {"POST", "/jyx-lobby/v2/parties/overrides/Enabled?enabled=true", "",
       "parties.SetOverrideFlag(enabled, true)"},
      {"POST",
       "/jyx-lobby/v2/parties/overrides/EnabledForTeamBuilderQueues?enabledForTeambuilderQueues="
       "false",
       "", "parties.SetOverrideFlag(teamBuilder, false)"},
      {"GET", "/jyx-lobby/v2/comms/members", "", "parties.HandleGetCommsMembers"},
      {"GET", "/jyx-lobby/v2/comms/token", "", "parties.HandleGetCommsToken"},
  };
  LobbyRig rig;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.path);
    const std::size_t mark = rig.Mark();
    const Host::RouteAnswer answer = Call(rig.plugin->Snapshot(), c.method, c.path, c.body);
    EXPECT_FALSE(answer.error.has_value()) << *answer.error;
    EXPECT_EQ(rig.Entries({"parties."}, mark), Names{c.call});
  }
  // A failure of the backend reaches the front end with its status.
  rig.factory->parties->routeStatus = 409;
  rig.factory->parties->routeError = "PARTY_LOCKED";
  const Host::RouteAnswer refused =
      Call(rig.plugin->Snapshot(), "GET", "/jyx-lobby/v2/comms/token");
  EXPECT_EQ(refused.status, 409u);
  EXPECT_EQ(refused.error, "PARTY_LOCKED");
}

TEST(RouteHandlersTest, PartiesRoutesAfterShutdownAnswerAnErrorInsteadOfReachingTheBackend) {
  LobbyRig rig;
  rig.Shutdown();
  const Host::RouteAnswer answer =
      Call(rig.plugin->Snapshot(), "PUT", "/jyx-lobby/v1/parties/ready", "true");
  EXPECT_EQ(answer.status, 500u);
  EXPECT_EQ(answer.error, "Parties backend stopped");
}

}  // namespace
}  // namespace Zarn::Client::Testing
