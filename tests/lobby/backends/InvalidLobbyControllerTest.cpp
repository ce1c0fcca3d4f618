// The controller of a queue that is not known: every operation refuses with its own text.
#include "lobby/backends/InvalidLobbyController.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/lobby/backends/ControllerTesting.h"

namespace Zarn::Client::Testing {
namespace {

using Lobby::InvalidLobbyController;
namespace Api = Lobby::Api;

// What one slot answered: a failure's code and text, or a reply's status and text.
struct Answer {
  std::int32_t code = -1;
  std::string text;
};

template <class T>
Answer Of(const MaybeType<Failure, T>& result) {
  if (!result.IsFailure()) return {};
  return {result.GetFailure().Code(), result.Message()};
}

Answer Of(const BindingHttpResult& result) {
  if (result.IsOk()) return {};
  return {result.StatusPart().status, std::string(result.Result().ErrorMessage())};
}

TEST(InvalidLobbyControllerTest, EveryOperationRefusesWithItsTextAndSendsNothing) {
  ControllerRig rig;
  InvalidLobbyController controller(rig.plugin.get());
  Api::Lobby lobby;
  lobby.invitationId = "INV-1";
  struct Row {
    const char* slot;
    std::function<Answer()> call;
    std::int32_t code;
    const char* text;
  };
  const std::vector<Row> rows = {
      {"CreateLobby", [&] { return Of(controller.CreateLobby(lobby)); }, 0,
       "Attempted to create local lobby for invalid queueId."},
      {"CreatePlatformLobby", [&] { return Of(controller.CreatePlatformLobby(lobby)); }, 0,
       "Attempted to create platform lobby for invalid queueId."},
      {"AcceptInvitation",
       [&] { return Of(controller.AcceptInvitation(Api::LobbyInvitation{}, "INV-1")); }, 0,
       "Can't accept an invite for an invalid queueId"},
      {"RefreshLobby", [&] { return Of(controller.RefreshLobby(lobby, {})); }, 0,
       "Can't accept an invite for an invalid queueId"},
      {"PromotePlayer", [&] { return Of(controller.PromotePlayer(7)); }, 500,
       "Can't promote player from invalid lobby."},
      {"KickPlayer", [&] { return Of(controller.KickPlayer(7)); }, 500,
       "Can't kick player from invalid lobby."},
      {"GrantInvitePrivileges", [&] { return Of(controller.GrantInvitePrivileges(7)); }, 500,
       "Can't grant invite privileges from invalid lobby."},
      {"RevokeInvitePrivileges", [&] { return Of(controller.RevokeInvitePrivileges(7)); }, 500,
       "Can't revoke invite privileges from invalid lobby."},
      {"SetPositionPreferences", [&] { return Of(controller.SetPositionPreferences({})); }, 500,
       "Can't specify position preferences from invalid lobby."},
      {"HandleLobbyStatus", [&] { return Of(controller.HandleLobbyStatus(lobby, {})); }, 0,
       "Attempted to handle lobby status for invalid lobby."},
      {"InviteServiceOperation", [&] { return Of(controller.InviteServiceOperation("kick", 7)); },
       500, "Can't execute Invite Service operation on invalid lobby."},
  };
  const std::size_t requestsBefore = rig.host.Records().requests.size();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.slot);
    const Answer answer = row.call();
    EXPECT_EQ(answer.code, row.code);
    EXPECT_EQ(answer.text, row.text);
  }
  EXPECT_TRUE(controller.LeaveLobby(lobby));
  controller.SetMemberCanInvite(7, true, lobby);
  EXPECT_EQ(rig.Requests(requestsBefore), std::vector<std::string>{}) << "nothing sent";
  EXPECT_FALSE(controller.IsCustomGame());
  EXPECT_TRUE(controller.IsPlatformMatchmade());
}

}  // namespace
}  // namespace Zarn::Client::Testing
