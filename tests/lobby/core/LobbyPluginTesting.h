// The lobby plugin run in-process on the stand-in host's table and virtual clock, with fake
// backends, writing what it asks of the host into the fakes' journal.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/CoreScript.h"
#include "host/PluginHost.h"
#include "lobby/core/LobbyPlugin.h"
#include "sdk/runtime/PluginLoader.h"
#include "tests/lobby/core/LastQueuedLobbyTesting.h"
#include "tests/lobby/core/LobbyBackendTesting.h"
#include "tests/lobby/core/LobbyCountdownTesting.h"
#include "tests/lobby/core/LobbyGameflowTesting.h"
#include "tests/lobby/core/LobbyMembersTesting.h"
#include "tests/lobby/core/LobbyViewModelTesting.h"
#include "tests/lobby/core/ReceivedInvitationsTesting.h"
#include "tests/lobby/core/V1LobbyRecordsTesting.h"
#include "tests/lobby/core/WatchedLobbyConfigTesting.h"
#include "tests/sdk/platform/SteadyClockTesting.h"
#include "tests/sdk/runtime/HostedPluginTesting.h"

namespace Zarn::Client::Lobby {

// The plugin's records, for tests.
class LobbyPluginTesting {
 public:
  static Api::Lobby& V1Lobby(LobbyPlugin& plugin) { return plugin.v1Lobby_.MutableLobby(); }
  static V1LobbyRecords& V1Records(LobbyPlugin& plugin) { return plugin.v1Lobby_; }
  static std::optional<Api::LobbyDto>& PublishedLobby(LobbyPlugin& plugin) {
    return LobbyViewModelTesting::PublishedLobby(plugin.viewModel_);
  }
  static WatchedConfigValue<std::vector<Api::Queue>>& Queues(LobbyPlugin& plugin) {
    return plugin.config_.Queues();
  }
  static WatchedConfigValue<Api::Summoner>& CurrentSummoner(LobbyPlugin& plugin) {
    return plugin.config_.CurrentSummoner();
  }
  static WatchedConfigValue<std::string>& PlatformId(LobbyPlugin& plugin) {
    return plugin.config_.PlatformId();
  }
  static LobbyAnalytics& Analytics(LobbyPlugin& plugin) { return plugin.analytics_; }
  static std::vector<Api::LobbyInvitation>& ReceivedInvitations(LobbyPlugin& plugin) {
    return ReceivedInvitationsTesting::Legacy(plugin.receivedInvitations_);
  }
  static Lobby::ReceivedInvitations& Invitations(LobbyPlugin& plugin) {
    return plugin.receivedInvitations_;
  }
  static WatchedConfigValue<Api::AutoFillDto>& Autofill(LobbyPlugin& plugin) {
    return WatchedLobbyConfigTesting::Autofill(plugin.config_);
  }
  static WatchedConfigValue<Api::MatchmakingSearchResource>& MatchmakingSearch(
      LobbyPlugin& plugin) {
    return WatchedLobbyConfigTesting::MatchmakingSearch(plugin.config_);
  }
  static WatchedConfigValue<std::vector<Api::ChatBlockedPlayerResource>>& BlockedPlayers(
      LobbyPlugin& plugin) {
    return WatchedLobbyConfigTesting::BlockedPlayers(plugin.config_);
  }
  static bool AutoGrantInviteEnabled(const LobbyPlugin& plugin) {
    return LobbyMembersTesting::AutoGrantInviteEnabled(plugin.members_);
  }
  static EligibilityRules& Eligibility(LobbyPlugin& plugin) { return plugin.eligibilityRules_; }
  static std::set<std::uint64_t>& AutoGrantedMemberIds(LobbyPlugin& plugin) {
    return LobbyMembersTesting::AutoGrantedMemberIds(plugin.members_);
  }
  // The members, the view model and the gameflow link the plugin owns.
  static LobbyMembers& Members(LobbyPlugin& plugin) { return plugin.members_; }
  static LobbyViewModel& ViewModel(LobbyPlugin& plugin) { return plugin.viewModel_; }
  static LobbyGameflow& Gameflow(LobbyPlugin& plugin) { return plugin.gameflow_; }
  // The countdown: its instants (steady-clock nanoseconds) through LobbyCountdownTesting.
  static LobbyCountdown& Countdown(LobbyPlugin& plugin) { return plugin.countdown_; }
  static void SetCountdown(LobbyPlugin& plugin, std::int64_t displayTime, std::int64_t deadline) {
    LobbyCountdownTesting::Set(plugin.countdown_, displayTime, deadline);
  }
  static bool CountdownTimerRunning(const LobbyPlugin& plugin) {
    return LobbyCountdownTesting::TimerRunning(plugin.countdown_);
  }
  static std::int32_t BatchDepth(const LobbyPlugin& plugin) { return plugin.updateBatchDepth_; }
  static LobbyStateMachine& StateMachine(LobbyPlugin& plugin) { return plugin.stateMachine_; }
  // The view model's records.
  static const Api::PlayerStatus& PlayerStatus(const LobbyPlugin& plugin) {
    return plugin.gameflow_.PlayerStatus();
  }
  static const std::optional<Api::LobbyStatus>& CachedLobbyStatus(const LobbyPlugin& plugin) {
    return LobbyGameflowTesting::CachedLobbyStatus(plugin.gameflow_);
  }
  static bool PartyActive(const LobbyPlugin& plugin) { return plugin.viewModel_.PartyActive(); }
  // Null after Shutdown.
  static PlatformBackend* GetPlatformBackend(const LobbyPlugin& plugin) {
    return plugin.backends_.Platform();
  }
  static const std::set<std::string>& AbandonedLobbyInvitationIds(const LobbyPlugin& plugin) {
    return V1LobbyRecordsTesting::AbandonedLobbyInvitationIds(plugin.v1Lobby_);
  }
  static std::uint64_t& LocalSummonerId(LobbyPlugin& plugin) { return plugin.localSummonerId_; }
  static Api::QueueAvailability& LobbyAvailability(LobbyPlugin& plugin) {
    return LobbyViewModelTesting::LobbyAvailability(plugin.viewModel_);
  }
  static Api::LobbyLastQueuedLobby& LastQueuedLobby(LobbyPlugin& plugin) {
    return LastQueuedLobbyTesting::Record(plugin.lastQueued_);
  }
  static std::optional<Api::GameflowSession>& GameflowSession(LobbyPlugin& plugin) {
    return LobbyGameflowTesting::Session(plugin.gameflow_);
  }
  // Gameflow: the player status to change, the practice-game flag and the legacy invitations.
  static Api::PlayerStatus& MutablePlayerStatus(LobbyPlugin& plugin) {
    return LobbyGameflowTesting::MutablePlayerStatus(plugin.gameflow_);
  }
  static bool& IsCustomGame(LobbyPlugin& plugin) {
    return V1LobbyRecordsTesting::IsCustomGame(plugin.v1Lobby_);
  }
  static std::vector<Api::LobbyInvitation>& LegacyReceivedInvitations(LobbyPlugin& plugin) {
    return ReceivedInvitationsTesting::Legacy(plugin.receivedInvitations_);
  }
};

}  // namespace Zarn::Client::Lobby

namespace Zarn::Client::Testing {

// Journals "request <path> <arguments>" for each request that reached the host, "publish <path>
// <data>" for each resource event and "unsubscribe <name>" for each subscription dropped.
class JournalledLobbyPlugin : public Lobby::LobbyPlugin {
 public:
  JournalledLobbyPlugin(std::unique_ptr<FakeComponentFactory> factory, Host::PluginHost& host,
                        std::shared_ptr<CallJournal> journal)
      : Lobby::LobbyPlugin(std::move(factory)), host_(host), journal_(std::move(journal)) {}

  using AppModule::timers_;

  uint32_t SendCoreRequest(ApiCallResult* reply, const ApiCallRequest* request) override;
  void PublishHostEvent(const PluginHostEvent* event) override;
  void UnsubscribeHostEvent(const char* name, uint32_t hostContext) override;

 private:
  Host::PluginHost& host_;
  std::shared_ptr<CallJournal> journal_;
};

// One loaded and started plugin on its own host. Keep one alive at a time: the steady clock's
// source and the log target are the process's.
class LobbyRig {
 public:
  // Loads the plugin; `start` also runs the host's initialize entry (OnStart).
  explicit LobbyRig(bool start = true);
  // Shuts the plugin down unless a test did.
  virtual ~LobbyRig();
  LobbyRig(const LobbyRig&) = delete;
  LobbyRig& operator=(const LobbyRig&) = delete;

  bool Fire(const Lobby::LobbyEvent& event) { return plugin->ProcessLobbyEvent(event); }
  // Fires each event in turn, failing the test at the first that is not handled.
  void Drive(const std::vector<Lobby::LobbyEvent>& events);
  // The current state's name; "none" without one.
  [[nodiscard]] std::string StateName() const;
  void Shutdown();

  // Journal entries that begin with any of `prefixes`, in order, from `from` on.
  [[nodiscard]] std::vector<std::string> Entries(const std::vector<std::string>& prefixes,
                                                 std::size_t from = 0) const;
  // The gameflow session events posted, as their names ("ENTERED_LOBBY", ...), from `from` on.
  [[nodiscard]] std::vector<std::string> GameflowEvents(std::size_t from = 0) const;
  // How many times the view model was rebuilt, from `from` on: each rebuild that reads its view
  // asks the parties backend to schedule the presence update.
  [[nodiscard]] int Rebuilds(std::size_t from = 0) const;
  [[nodiscard]] std::size_t Mark() const { return journal->calls.size(); }

  static Host::PluginHost::Options Options(const std::shared_ptr<CallJournal>& journal);

 protected:
  struct Unloaded {};
  // Leaves the plugin unloaded, for a rig that seeds its host first and then calls Load.
  explicit LobbyRig(Unloaded /*unloaded*/) {}
  // Loads the plugin with `fakes`, the fakes' factory or one that makes some real parts.
  void Load(std::unique_ptr<FakeComponentFactory> fakes);

 public:
  std::shared_ptr<CallJournal> journal = std::make_shared<CallJournal>();
  Host::PluginHost host{Options(journal)};
  VirtualClock clock{&host.Scheduler()};
  Platform::ScopedSteadyClockSource clockSource{&VirtualClock::Read, &clock};
  PluginHostInit init{host.Table(), kTestHostContext};
  FakeComponentFactory* factory = nullptr;
  std::unique_ptr<JournalledLobbyPlugin> plugin;
  bool shutDown = false;
};

// A scripted reply whose `body` arrives in one-byte reads, so that the reader yields between them.
[[nodiscard]] Host::ScriptedReply StreamedInOneByteReads(const std::string& body);

// The journal entry of the log line `message`.
[[nodiscard]] std::string LogEntry(const std::string& message);
// "LobbyFlow: entering state '<state>'" and the exiting form.
[[nodiscard]] std::string Entering(const std::string& state);
[[nodiscard]] std::string Exiting(const std::string& state);

}  // namespace Zarn::Client::Testing
