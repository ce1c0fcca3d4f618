// The matchmaking search of the lobby, handed to the active backend, and its state: the matchmaking
// plugin's search resource republished as the lobby's, and read back as last published.
#include "lobby/core/LobbyConventions.h"
#include "lobby/core/LobbyPlugin.h"
#include "lobby/core/LobbyReplyTexts.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client::Lobby {

BindingHttpResult LobbyPlugin::HandleStartSearch() {
  if (backends_.Active() == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Matchmaking search requested, but we are not in a lobby");
    return HttpResponse(500, kInvalidLobby);
  }
  return backends_.Active()->StartMatchmaking();
}

BindingHttpResult LobbyPlugin::HandleCancelSearch() {
  if (backends_.Active() == nullptr) {
    LogPrintf(kLogLevelError, kLobbyLogChannel, 0,
              "Matchmaking cancel requested, but we are not in a lobby");
    return HttpResponse(500, kInvalidLobby);
  }
  return backends_.Active()->CancelMatchmaking();
}

void LobbyPlugin::OnMatchmakingSearchChanged() {
  if (backends_.Parties() != nullptr && backends_.Parties()->IsClashParty()) return;
  const Api::MatchmakingSearchResource* search = config_.MatchmakingSearch();
  viewModel_.PublishSearchState(search != nullptr ? *search : Api::MatchmakingSearchResource{});
}

HttpResult<Api::MatchmakingSearchResource> LobbyPlugin::HandleGetSearchState() {
  return Api::MatchmakingSearchResource(viewModel_.SearchState());
}

}  // namespace Zarn::Client::Lobby
