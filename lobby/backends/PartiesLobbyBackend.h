// The lobby served by the parties service: the player's party, kept as the service last reported
// it, and the requests that change it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lobby/core/PartiesBackend.h"

namespace Zarn::Client::Lobby {

class PartiesLobbyBackend final : public PartiesBackend {
 public:
  // Sets the defaults of the presence configuration.
  PartiesLobbyBackend();

  // The low-priority penalty that `restrictions` place on `player`'s search: the longest
  // leaver-buster penalty, or the time until the party's activity resumes when throttled, whichever
  // comes last, with the penalized members of the current party. Reads only its arguments.
  [[nodiscard]] static Api::LobbyMatchmakingLowPriorityDataResource MakeLowPriorityData(
      const std::vector<Api::GatekeeperRestrictionDto>& restrictions, const Api::PlayerDto& player);

  MaybeType<Failure, Api::LobbyDto> GetLobby() override;
  std::optional<Api::LobbyStatus> GetLobbyStatus() override;
  MaybeType<Failure, void> LeaveLobby() override;
  MaybeType<Failure, void> KickMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> PromoteMember(std::uint64_t summonerId) override;
  MaybeType<Failure, void> SetPositionPreferences(
      Api::LobbyPositionPreferences preferences) override;
  MaybeType<Failure, void> ChangeLobby(Api::LobbyChangeGameDto change) override;
  MaybeType<Failure, std::vector<Api::Eligibility>> GetPremadeEligibility() override;
  // Success without leaving for a party invitation.
  MaybeType<Failure, void> LeaveLobbyUnlessPending(Api::ReceivedInvitationDto invitation) override;
  // `invitationId` is the party id of a party invitation.
  MaybeType<Failure, void> AcceptInvitation(std::string invitationId) override;
  MaybeType<Failure, void> DeclineInvitation(std::string invitationId) override;
  MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> SendInvitations(
      std::vector<Api::LobbyInvitationDto> invitations) override;
  MaybeType<Failure, void> SetCanInvite(std::uint64_t summonerId, bool canInvite) override;
  // The local member's `canInvite`.
  bool GetAvailabilityFlag() override;
  // Lock and unlock the party's activity.
  BindingHttpResult StartMatchmaking() override;
  BindingHttpResult CancelMatchmaking() override;
  void HandleDodge(Api::GameflowGameDodge dodge) override;

  void Start(LobbyPlugin& plugin) override;
  void DeregisterPlayer() override;
  [[nodiscard]] bool IsEnabledForQueue(std::int32_t queueId) const override;
  [[nodiscard]] bool IsClashParty() const override;
  [[nodiscard]] bool HasQueue() const override;
  MaybeType<Failure, void> PrepareForLobbyCreation(std::int32_t queueId) override;
  void SchedulePresenceUpdate() override;
  // "INVALID_PARTY" (500) while not registered or without a party.
  MaybeType<Failure, AnalyticsEventFields> MakePartyAnalyticsFields(
      std::string_view eventType) override;
  void UpdateLoginSession(Api::LoginSession session) override;
  std::vector<Api::ReceivedInvitationDto> BuildReceivedInvitations() override;
  void RefreshAfterUpdate() override;
  void FetchPartiesState() override;
  void OnClientProxyMessage(Api::PlayerDto message) override;
  MaybeType<Failure, void> JoinOpenParty(std::string partyId) override;
  MaybeType<Failure, void> JoinClashParty(std::string token) override;
  MaybeType<Failure, void> SetPartyType(std::string partyType) override;
  MaybeType<Failure, void> SetReadyRequest(bool ready) override;
  void ProcessEnteredGame(Api::GameflowPhase previousPhase, Api::GameflowPhase newPhase) override;
  void UpdateSearchAfterCancel() override;

  HttpResult<std::string> HandleGetHealth() override;
  Api::PlayerDto HandleGetPlayer() override;
  HttpResponse HandlePutActive(bool active) override;
  HttpResponse HandlePutQueue(std::int32_t queueId) override;
  HttpResponse HandlePutMetadata(Api::PartyMemberMetadataDto metadata) override;
  HttpResponse HandlePutReady(bool ready) override;
  HttpResponse HandlePutRole(std::string partyId, std::string puuid, std::string role) override;
  HttpResult<Api::PremadePartyDto> HandleGetCommsMembers() override;
  HttpResult<std::string> HandleGetCommsToken() override;
  void SetOverrideFlag(WatchedConfigValue<bool>& flag, bool value) override;

  // Party presence. Writes the open party's presence into the player's chat presence when it
  // differs from the one published last; nothing before login.
  void PublishPartyPresence();
  // `Parties/OpenPartyEnable` (default false) and `Parties/PublishPresenceDelay` (seconds,
  // default 3.0).
  WatchedConfigValue<bool> openPartyFlag;
  WatchedConfigValue<double> publishPresenceDelay;
  // A presence publication is scheduled.
  bool presencePending = false;
  // The presence published last; none at first, and none after an empty one.
  std::optional<Api::PartyPresenceData> lastPublishedPresence;

 private:
  // The plugin kept by Start; null before. Not owned.
  LobbyPlugin* plugin_ = nullptr;
};

}  // namespace Zarn::Client::Lobby
