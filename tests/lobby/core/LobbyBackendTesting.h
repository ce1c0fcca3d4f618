// Fakes of the backends and of the component factory for tests of the plugin core. Every call on
// a fake is written to one journal shared by the fakes of a test, in the order made
// ("parties.Start", "platform.SetServices", "parties.Deleted", ...); every result is a member the
// test may set first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lobby/core/LobbyComponentFactory.h"
#include "lobby/core/LobbyServices.h"
#include "lobby/core/PartiesBackend.h"
#include "lobby/core/PlatformBackend.h"

namespace Zarn::Client::Testing {

// Outlives the fakes that write to it: each holds a share.
class CallJournal {
 public:
  // Appends `call`, then runs `onCall` with it (a copy of the hook, so the hook may replace
  // itself). Calls the hook makes are journalled after `call`.
  void Record(std::string call) {
    calls.push_back(std::move(call));
    const auto hook = onCall;
    if (hook) hook(calls.back());
  }

  // The calls whose text begins with `prefix`, in order.
  [[nodiscard]] std::vector<std::string> CallsStartingWith(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
      if (call.starts_with(prefix)) found.push_back(call);
    }
    return found;
  }

  std::vector<std::string> calls;
  // Run after each record; may be empty. Lets a test act while a fake is being called.
  std::function<void(const std::string& call)> onCall;
};

// The operations every backend has, journalled under `name` ("parties" or "platform").
template <class Interface>
class FakeBackendBase : public Interface {
 public:
  ~FakeBackendBase() override { Record("Deleted"); }

  MaybeType<Failure, Lobby::Api::LobbyDto> GetLobby() override {
    Record("GetLobby");
    return getLobbyResult;
  }
  std::optional<Lobby::Api::LobbyStatus> GetLobbyStatus() override {
    Record("GetLobbyStatus");
    return getLobbyStatusResult;
  }
  MaybeType<Failure, void> LeaveLobby() override {
    Record("LeaveLobby");
    return leaveLobbyResult;
  }
  MaybeType<Failure, void> KickMember(std::uint64_t summonerId) override {
    Record("KickMember(" + std::to_string(summonerId) + ")");
    return kickMemberResult;
  }
  MaybeType<Failure, void> PromoteMember(std::uint64_t summonerId) override {
    Record("PromoteMember(" + std::to_string(summonerId) + ")");
    return promoteMemberResult;
  }
  MaybeType<Failure, void> SetPositionPreferences(
      Lobby::Api::LobbyPositionPreferences preferences) override {
    Record("SetPositionPreferences(" + preferences.firstPreference + ", " +
           preferences.secondPreference + ")");
    return setPositionPreferencesResult;
  }
  MaybeType<Failure, void> ChangeLobby(Lobby::Api::LobbyChangeGameDto change) override {
    Record("ChangeLobby(" + std::to_string(change.queueId) + ")");
    return changeLobbyResult;
  }
  MaybeType<Failure, std::vector<Lobby::Api::Eligibility>> GetPremadeEligibility() override {
    Record("GetPremadeEligibility");
    return getPremadeEligibilityResult;
  }
  MaybeType<Failure, void> LeaveLobbyUnlessPending(
      Lobby::Api::ReceivedInvitationDto invitation) override {
    Record("LeaveLobbyUnlessPending(" + invitation.invitationId + ")");
    return leaveLobbyUnlessPendingResult;
  }
  MaybeType<Failure, void> AcceptInvitation(std::string invitationId) override {
    Record("AcceptInvitation(" + invitationId + ")");
    return acceptInvitationResult;
  }
  MaybeType<Failure, void> DeclineInvitation(std::string invitationId) override {
    Record("DeclineInvitation(" + invitationId + ")");
    return declineInvitationResult;
  }
  MaybeType<Failure, std::vector<Lobby::Api::LobbyInvitationDto>> SendInvitations(
      std::vector<Lobby::Api::LobbyInvitationDto> invitations) override {
    Record("SendInvitations(" + std::to_string(invitations.size()) + ")");
    if (sendInvitationsResult) return *sendInvitationsResult;
    return invitations;
  }
  MaybeType<Failure, void> SetCanInvite(std::uint64_t summonerId, bool canInvite) override {
    Record("SetCanInvite(" + std::to_string(summonerId) + ", " + (canInvite ? "true" : "false") +
           ")");
    return setCanInviteResult;
  }
  bool GetAvailabilityFlag() override {
    Record("GetAvailabilityFlag");
    return availabilityFlag;
  }
  BindingHttpResult StartMatchmaking() override {
    Record("StartMatchmaking");
    return BindingHttpResult(startMatchmakingResult);
  }
  BindingHttpResult CancelMatchmaking() override {
    Record("CancelMatchmaking");
    return BindingHttpResult(cancelMatchmakingResult);
  }
  void HandleDodge(Lobby::Api::GameflowGameDodge dodge) override {
    Record("HandleDodge(" + std::to_string(static_cast<std::int32_t>(dodge.phase)) + ")");
  }

  // Results; each answers success (an empty view, no status, no eligibility) until set.
  MaybeType<Failure, Lobby::Api::LobbyDto> getLobbyResult = Lobby::Api::LobbyDto{};
  std::optional<Lobby::Api::LobbyStatus> getLobbyStatusResult;
  MaybeType<Failure, void> leaveLobbyResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> kickMemberResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> promoteMemberResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> setPositionPreferencesResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> changeLobbyResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, std::vector<Lobby::Api::Eligibility>> getPremadeEligibilityResult =
      std::vector<Lobby::Api::Eligibility>{};
  MaybeType<Failure, void> leaveLobbyUnlessPendingResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> acceptInvitationResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> declineInvitationResult = MaybeType<Failure, void>::Success();
  // Unset: the invitations given are answered as sent.
  std::optional<MaybeType<Failure, std::vector<Lobby::Api::LobbyInvitationDto>>>
      sendInvitationsResult;
  MaybeType<Failure, void> setCanInviteResult = MaybeType<Failure, void>::Success();
  bool availabilityFlag = false;
  BindingHttpResult startMatchmakingResult;
  BindingHttpResult cancelMatchmakingResult;

 protected:
  FakeBackendBase(std::shared_ptr<CallJournal> callJournal, std::string fakeName)
      : journal(std::move(callJournal)), name(std::move(fakeName)) {}

  // Journals "<name>.<call>".
  void Record(const std::string& call) const { journal->Record(name + "." + call); }

 public:
  // Never null.
  const std::shared_ptr<CallJournal> journal;
  const std::string name;
};

class FakePartiesBackend : public FakeBackendBase<Lobby::PartiesBackend> {
 public:
  explicit FakePartiesBackend(std::shared_ptr<CallJournal> callJournal)
      : FakeBackendBase(std::move(callJournal), "parties") {}

  void Start(Lobby::LobbyServices& plugin) override {
    startedWith = &plugin;
    Record("Start");
  }
  void DeregisterPlayer() override { Record("DeregisterPlayer"); }
  bool IsEnabledForQueue(std::int32_t queueId) const override {
    Record("IsEnabledForQueue(" + std::to_string(queueId) + ")");
    return enabledForQueue;
  }
  bool IsClashParty() const override {
    Record("IsClashParty");
    return clashParty;
  }
  bool HasQueue() const override {
    Record("HasQueue");
    return hasQueue;
  }
  MaybeType<Failure, void> PrepareForLobbyCreation(std::int32_t queueId) override {
    Record("PrepareForLobbyCreation(" + std::to_string(queueId) + ")");
    return prepareForLobbyCreationResult;
  }
  void SchedulePresenceUpdate() override { Record("SchedulePresenceUpdate"); }
  MaybeType<Failure, Lobby::AnalyticsEventFields> MakePartyAnalyticsFields(
      std::string_view eventType) override {
    Record("MakePartyAnalyticsFields(" + std::string(eventType) + ")");
    return makePartyAnalyticsFieldsResult;
  }
  std::size_t DeserializePartyPresence(
      const std::vector<Lobby::Api::ChatFriend>& friends) override {
    Record("DeserializePartyPresence(" + std::to_string(friends.size()) + ")");
    return openParties;
  }
  void UpdateLoginSession(Lobby::Api::LoginSession session) override {
    Record("UpdateLoginSession(" + std::to_string(session.summonerId) + ")");
  }
  std::vector<Lobby::Api::ReceivedInvitationDto> BuildReceivedInvitations() override {
    Record("BuildReceivedInvitations");
    return receivedInvitations;
  }
  void RefreshAfterUpdate() override { Record("RefreshAfterUpdate"); }
  void FetchPartiesState() override { Record("FetchPartiesState"); }
  void OnClientProxyMessage(Lobby::Api::PlayerDto message) override {
    Record("OnClientProxyMessage(" + message.puuid + ")");
  }
  MaybeType<Failure, void> JoinOpenParty(std::string partyId) override {
    Record("JoinOpenParty(" + partyId + ")");
    return joinOpenPartyResult;
  }
  MaybeType<Failure, void> JoinClashParty(std::string token) override {
    Record("JoinClashParty(" + token + ")");
    return joinClashPartyResult;
  }
  MaybeType<Failure, void> SetPartyType(std::string partyType) override {
    Record("SetPartyType(" + partyType + ")");
    return setPartyTypeResult;
  }
  MaybeType<Failure, void> SetReadyRequest(bool ready) override {
    Record(std::string("SetReadyRequest(") + (ready ? "true" : "false") + ")");
    return setReadyRequestResult;
  }
  void ProcessEnteredGame(Lobby::Api::GameflowPhase previousPhase,
                          Lobby::Api::GameflowPhase newPhase) override {
    Record("ProcessEnteredGame(" + std::to_string(static_cast<std::int32_t>(previousPhase)) + ", " +
           std::to_string(static_cast<std::int32_t>(newPhase)) + ")");
  }
  void UpdateSearchAfterCancel() override { Record("UpdateSearchAfterCancel"); }
  // The parties routes' handlers answer `routeAnswer` (or the stored player).
  HttpResult<std::string> HandleGetHealth() override {
    Record("HandleGetHealth");
    return HttpResult<std::string>(std::string("healthy"), CopyRouteAnswer());
  }
  Lobby::Api::PlayerDto HandleGetPlayer() override {
    Record("HandleGetPlayer");
    return Player();
  }
  HttpResponse HandlePutActive(bool active) override {
    Record(std::string("HandlePutActive(") + (active ? "true" : "false") + ")");
    return CopyRouteAnswer();
  }
  HttpResponse HandlePutQueue(std::int32_t queueId) override {
    Record("HandlePutQueue(" + std::to_string(queueId) + ")");
    return CopyRouteAnswer();
  }
  HttpResponse HandlePutMetadata(Lobby::Api::PartyMemberMetadataDto metadata) override {
    Record("HandlePutMetadata(" + std::to_string(metadata.positionPref.size()) + ")");
    return CopyRouteAnswer();
  }
  HttpResponse HandlePutReady(bool ready) override {
    Record(std::string("HandlePutReady(") + (ready ? "true" : "false") + ")");
    return CopyRouteAnswer();
  }
  HttpResponse HandlePutRole(std::string partyId, std::string puuid, std::string role) override {
    Record("HandlePutRole(" + partyId + ", " + puuid + ", " + role + ")");
    return CopyRouteAnswer();
  }
  HttpResult<Lobby::Api::PremadePartyDto> HandleGetCommsMembers() override {
    Record("HandleGetCommsMembers");
    return HttpResult<Lobby::Api::PremadePartyDto>(CopyRouteAnswer());
  }
  HttpResult<std::string> HandleGetCommsToken() override {
    Record("HandleGetCommsToken");
    return HttpResult<std::string>(std::string("token"), CopyRouteAnswer());
  }
  void SetOverrideFlag(Lobby::WatchedConfigValue<bool>& flag, bool value) override {
    Record(std::string("SetOverrideFlag(") + (&flag == &EnabledFlag() ? "enabled" : "teamBuilder") +
           ", " + (value ? "true" : "false") + ")");
  }

  // The plugin given to Start; null before.
  Lobby::LobbyServices* startedWith = nullptr;
  bool enabledForQueue = false;
  bool clashParty = false;
  bool hasQueue = false;
  MaybeType<Failure, void> prepareForLobbyCreationResult = MaybeType<Failure, void>::Success();
  // A failure until set, as without a party.
  MaybeType<Failure, Lobby::AnalyticsEventFields> makePartyAnalyticsFieldsResult =
      Failure(500, "INVALID_PARTY");
  std::vector<Lobby::Api::ReceivedInvitationDto> receivedInvitations;
  // What DeserializePartyPresence counts.
  std::size_t openParties = 0;
  MaybeType<Failure, void> joinOpenPartyResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> joinClashPartyResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> setPartyTypeResult = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> setReadyRequestResult = MaybeType<Failure, void>::Success();
  // The status and error of every parties route's answer; a plain success until set.
  std::int32_t routeStatus = 0;
  std::optional<std::string> routeError;

 private:
  [[nodiscard]] HttpResponse CopyRouteAnswer() const {
    return routeError ? HttpResponse(routeStatus, *routeError) : HttpResponse(routeStatus);
  }
};

class FakePlatformBackend : public FakeBackendBase<Lobby::PlatformBackend> {
 public:
  explicit FakePlatformBackend(std::shared_ptr<CallJournal> callJournal)
      : FakeBackendBase(std::move(callJournal), "platform") {}

  void SetServices(Lobby::LobbyServices* given) override {
    services = given;
    Record("SetServices");
  }

  // The last pointer given to SetServices; null before.
  Lobby::LobbyServices* services = nullptr;
};

// A controller whose every call is journalled as "<kind>.<call>" ("arranged.Subscribe", ...);
// the results are members a test may set first.
class FakeLobbyController : public Lobby::LobbyController {
 public:
  FakeLobbyController(Lobby::LobbyServices* owner, std::shared_ptr<CallJournal> callJournal,
                      std::string controllerKind, bool customGame, bool platformMatchmade)
      : LobbyController(owner),
        journal(std::move(callJournal)),
        kind(std::move(controllerKind)),
        isCustomGame(customGame),
        isPlatformMatchmade(platformMatchmade) {}

  MaybeType<Failure, Lobby::Api::Lobby> CreateLobby(const Lobby::Api::Lobby& requested) override {
    Record("CreateLobby(" + std::to_string(requested.queueId) + ")");
    return createLobbyResult;
  }
  MaybeType<Failure, Lobby::Api::Lobby> CreatePlatformLobby(
      const Lobby::Api::Lobby& current) override {
    Record("CreatePlatformLobby(" + std::to_string(current.queueId) + ")");
    return createPlatformLobbyResult;
  }
  bool LeaveLobby(const Lobby::Api::Lobby& /*current*/) override {
    Record("LeaveLobby");
    return leaveLobbyResult;
  }
  MaybeType<Failure, Lobby::LCDS::LobbyStatus> AcceptInvitation(
      const Lobby::Api::LobbyInvitation& /*invitation*/, const std::string& invitationId) override {
    Record("AcceptInvitation(" + invitationId + ")");
    return Lobby::LCDS::LobbyStatus{};
  }
  MaybeType<Failure, Lobby::Api::Lobby> RefreshLobby(const Lobby::Api::Lobby& current,
                                                     Lobby::LCDS::LobbyStatus /*status*/) override {
    Record("RefreshLobby");
    return current;
  }
  void SetMemberCanInvite(std::uint64_t summonerId, bool canInvite,
                          Lobby::Api::Lobby& /*lobby*/) override {
    Record("SetMemberCanInvite(" + std::to_string(summonerId) + ", " +
           (canInvite ? "true" : "false") + ")");
  }
  BindingHttpResult PromotePlayer(std::uint64_t summonerId) override {
    Record("PromotePlayer(" + std::to_string(summonerId) + ")");
    return BindingHttpResult();
  }
  BindingHttpResult KickPlayer(std::uint64_t summonerId) override {
    Record("KickPlayer(" + std::to_string(summonerId) + ")");
    return BindingHttpResult();
  }
  bool IsCustomGame() override { return isCustomGame; }
  MaybeType<Failure, Lobby::Api::Lobby> HandleLobbyStatus(
      const Lobby::Api::Lobby& current, Lobby::LCDS::LobbyStatus /*status*/) override {
    Record("HandleLobbyStatus");
    return current;
  }
  void Subscribe() override { Record("Subscribe"); }
  void Unsubscribe() override { Record("Unsubscribe"); }
  void FetchCustomBotsConfig(std::uint64_t summonerId) override {
    Record("FetchCustomBotsConfig(" + std::to_string(summonerId) + ")");
  }
  bool IsPlatformMatchmade() override { return isPlatformMatchmade; }

  // Journals "<kind>.<call>".
  void Record(const std::string& call) const { journal->Record(kind + "." + call); }

  // Never null.
  const std::shared_ptr<CallJournal> journal;
  // "teamBuilder", "arranged", "custom" or "invalid".
  const std::string kind;
  bool isCustomGame;
  bool isPlatformMatchmade;
  MaybeType<Failure, Lobby::Api::Lobby> createLobbyResult = Lobby::Api::Lobby{};
  MaybeType<Failure, Lobby::Api::Lobby> createPlatformLobbyResult = Lobby::Api::Lobby{};
  bool leaveLobbyResult = true;
};

// Makes fakes writing to its journal and keeps, unowned, the last of each kind it made, so that a
// test can set their results and read them while the plugin owns them. Those pointers dangle once
// the plugin deletes its backends ("parties.Deleted" and "platform.Deleted" in the journal).
class FakeComponentFactory : public Lobby::LobbyComponentFactory {
 public:
  FakeComponentFactory() = default;
  explicit FakeComponentFactory(std::shared_ptr<CallJournal> callJournal)
      : journal(std::move(callJournal)) {}

  std::unique_ptr<Lobby::PartiesBackend> MakePartiesBackend() override {
    journal->Record("factory.MakePartiesBackend");
    auto made = std::make_unique<FakePartiesBackend>(journal);
    parties = made.get();
    return made;
  }
  std::unique_ptr<Lobby::PlatformBackend> MakePlatformBackend() override {
    journal->Record("factory.MakePlatformBackend");
    auto made = std::make_unique<FakePlatformBackend>(journal);
    platform = made.get();
    return made;
  }

  std::shared_ptr<Lobby::LobbyController> MakeTeamBuilderController(
      Lobby::LobbyServices* owner) override {
    return MakeController(owner, "teamBuilder", false, false, teamBuilder);
  }
  std::shared_ptr<Lobby::LobbyController> MakeArrangedTeamController(
      Lobby::LobbyServices* owner) override {
    return MakeController(owner, "arranged", false, true, arranged);
  }
  std::shared_ptr<Lobby::LobbyController> MakeCustomGameController(
      Lobby::LobbyServices* owner) override {
    return MakeController(owner, "custom", true, false, custom);
  }
  std::shared_ptr<Lobby::LobbyController> MakeInvalidController(
      Lobby::LobbyServices* owner) override {
    return MakeController(owner, "invalid", false, true, invalid);
  }

  // Never null.
  const std::shared_ptr<CallJournal> journal = std::make_shared<CallJournal>();
  FakePartiesBackend* parties = nullptr;
  FakePlatformBackend* platform = nullptr;
  // The last controllers made; shared, so they stay valid while the test holds them.
  std::shared_ptr<FakeLobbyController> teamBuilder;
  std::shared_ptr<FakeLobbyController> arranged;
  std::shared_ptr<FakeLobbyController> custom;
  std::shared_ptr<FakeLobbyController> invalid;

 private:
  std::shared_ptr<Lobby::LobbyController> MakeController(
      Lobby::LobbyServices* owner, const char* kind, bool customGame, bool platformMatchmade,
      std::shared_ptr<FakeLobbyController>& kept) {
    journal->Record(std::string("factory.Make.") + kind);
    kept =
        std::make_shared<FakeLobbyController>(owner, journal, kind, customGame, platformMatchmade);
    return kept;
  }
};

}  // namespace Zarn::Client::Testing
