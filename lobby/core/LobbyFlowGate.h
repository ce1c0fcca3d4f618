// LobbyFlowGate: the call gate (sdk/api/CallGate.h) that keeps LobbyFlow sound when the host calls
// the plugin while it waits. CallGate.h says when a call is held, when held calls run and what a
// stop stops; this class says what, for the lobby, makes the plugin busy, what moves it and which
// publications a stopped call withholds.
//
//  - Busy while LobbyFlow runs a transition (StateMachine::InTransition): an exit or entry action
//    that waits would otherwise see a nested call's event processed against its half-changed
//    state. Route calls then answer 409 "LOBBY_TRANSITION_IN_PROGRESS", but for reads. The GETs
//    that would make a request of their own are refused as the other methods are: the parties
//    health (it may register the player again and fire LobbyFlow's events), the comms token and
//    members, and the custom game list while no games are listed (it would list them). The
//    availability answers from the lobby published (LobbyPlugin::HandleGetAvailability).
//  - A move is a state entered or left (StateMachine::Moves). A call decides on LobbyFlow's state
//    before a wait and acts after it: once a call nested in its waits moved LobbyFlow, it is
//    overtaken and stops, answering 409 "LOBBY_REQUEST_OVERTAKEN". What overtook it stands,
//    nothing is undone.
//  - What a stopped call withholds of its publications: the v1 lobby's resources
//    ("/jyx-lobby/v1/lobby" and below) and the v2 halves published in pairs with some of them
//    (the countdown, the bots), so that a pair goes out whole or not at all. The plugin's own
//    acts it stops are the events it fires (LobbyPlugin::ProcessLobbyEvent) and the v1 lobby it
//    stores (V1LobbyRecords).
// The plugin marks the rest with the gate's scopes: the parties service reporting the running
// request (OwnReport), shutdown and the parties registration (SharedWork), the view's rebuild
// when the outermost update batch closes (Rebuild).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lobby/core/LobbyFlow.h"
#include "sdk/api/CallGate.h"

namespace Zarn::Client::Lobby {

class LobbyFlowGate final : public CallGate {
 public:
  // `machine` must outlive the gate; `customGamesListed` tells whether custom games are listed
  // (a read of the list then asks nothing), and is called only while a transition runs.
  LobbyFlowGate(const LobbyStateMachine& machine, std::function<bool()> customGamesListed);

 private:
  [[nodiscard]] bool Busy() const override { return machine_.InTransition(); }
  [[nodiscard]] bool Withholds(std::string_view uri) const override;
  [[nodiscard]] bool ReadChangesPlugin(std::string_view path) const override;
  [[nodiscard]] std::string StateName() const override;

  const LobbyStateMachine& machine_;
  std::function<bool()> customGamesListed_;
};

}  // namespace Zarn::Client::Lobby
