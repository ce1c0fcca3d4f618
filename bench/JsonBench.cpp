// A lobby-shaped JSON document (about 20 KB) parsed into a bound record and written back, against
// rapidjson's own DOM, rapidjson's Writer driven by our value visitor, and nlohmann::json into
// the same records. Each benchmark reports the blocks it allocates per document, counted by the
// tracking allocator.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sdk/base/Fnv1a.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/base/TrackingAllocator.h"
#include "sdk/binding/BindingPropertyVisitor.h"
#include "sdk/binding/JsonAllocator.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/KeyedMap.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/binding/TypedConversions.h"

namespace Bench {

enum class InvitationState : std::int32_t { Requested, Pending, Accepted, Joined, Declined };
enum class BotDifficulty : std::int32_t { None = -1, Easy = 0, Medium = 1, Hard = 2 };

struct Member {
  bool allowedChangeActivity = false;
  bool allowedInviteOthers = false;
  bool allowedKickOthers = false;
  bool allowedStartActivity = false;
  bool allowedToggleInvite = false;
  bool autoFillEligible = false;
  std::int32_t botChampionId = 0;
  BotDifficulty botDifficulty = BotDifficulty::None;
  std::string botId;
  std::string firstPositionPreference;
  bool isBot = false;
  bool isLeader = false;
  bool isSpectator = false;
  std::string puuid;
  bool ready = false;
  std::string secondPositionPreference;
  std::int32_t summonerIconId = 0;
  std::uint64_t summonerId = 0;
  std::string summonerInternalName;
  std::int32_t summonerLevel = 0;
  std::string summonerName;
  std::int32_t teamId = 0;
};

struct Invitation {
  std::string invitationId;
  std::string invitationType;
  InvitationState state = InvitationState::Requested;
  std::string timestamp;
  std::uint64_t toSummonerId = 0;
  std::string toSummonerName;
};

struct Restriction {
  std::string restrictionCode;
  Zarn::KeyedMap<std::string> restrictionArgs;
  std::vector<std::uint64_t> summonerIds;
};

struct GameConfig {
  std::vector<std::int32_t> allowablePremadeSizes;
  std::string customLobbyName;
  std::vector<Member> customSpectators;
  std::vector<Member> customTeam100;
  std::vector<Member> customTeam200;
  std::string gameMode;
  bool isCustom = false;
  bool isLobbyFull = false;
  std::int32_t mapId = 0;
  std::int32_t maxLobbySize = 0;
  std::string pickType;
  std::int32_t queueId = 0;
  bool showPositionSelector = false;
};

struct Lobby {
  bool canStartActivity = false;
  std::string chatRoomId;
  GameConfig gameConfig;
  std::vector<Invitation> invitations;
  Member localMember;
  std::vector<Member> members;
  std::string partyId;
  std::string partyType;
  std::optional<std::vector<Restriction>> restrictions;
  std::vector<std::string> scarcePositions;
  std::optional<std::string> warnings;
};

}  // namespace Bench

ZARN_TYPE_ID(Bench::InvitationState, Zarn::Fnv1a32("enum Bench::InvitationState"));
ZARN_TYPE_ID(Bench::BotDifficulty, Zarn::Fnv1a32("enum Bench::BotDifficulty"));
ZARN_TYPE_ID(Bench::Member, Zarn::Fnv1a32("struct Bench::Member"));
ZARN_TYPE_ID(Bench::Invitation, Zarn::Fnv1a32("struct Bench::Invitation"));
ZARN_TYPE_ID(Bench::Restriction, Zarn::Fnv1a32("struct Bench::Restriction"));
ZARN_TYPE_ID(Bench::GameConfig, Zarn::Fnv1a32("struct Bench::GameConfig"));
ZARN_TYPE_ID(Bench::Lobby, Zarn::Fnv1a32("struct Bench::Lobby"));

namespace Bench {

NLOHMANN_JSON_SERIALIZE_ENUM(InvitationState, {{InvitationState::Requested, "Requested"},
                                               {InvitationState::Pending, "Pending"},
                                               {InvitationState::Accepted, "Accepted"},
                                               {InvitationState::Joined, "Joined"},
                                               {InvitationState::Declined, "Declined"}})
NLOHMANN_JSON_SERIALIZE_ENUM(BotDifficulty, {{BotDifficulty::None, "None"},
                                             {BotDifficulty::Easy, "Easy"},
                                             {BotDifficulty::Medium, "Medium"},
                                             {BotDifficulty::Hard, "Hard"}})
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(
    Member, allowedChangeActivity, allowedInviteOthers, allowedKickOthers, allowedStartActivity,
    allowedToggleInvite, autoFillEligible, botChampionId, botDifficulty, botId,
    firstPositionPreference, isBot, isLeader, isSpectator, puuid, ready, secondPositionPreference,
    summonerIconId, summonerId, summonerInternalName, summonerLevel, summonerName, teamId)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Invitation, invitationId, invitationType, state,
                                                timestamp, toSummonerId, toSummonerName)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(Restriction, restrictionCode, restrictionArgs,
                                                summonerIds)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE_WITH_DEFAULT(GameConfig, allowablePremadeSizes, customLobbyName,
                                                customSpectators, customTeam100, customTeam200,
                                                gameMode, isCustom, isLobbyFull, mapId,
                                                maxLobbySize, pickType, queueId,
                                                showPositionSelector)

// Optionals by hand: null when disengaged, as the bound writer does.
void to_json(nlohmann::json& json, const Lobby& lobby) {
  json = nlohmann::json{{"canStartActivity", lobby.canStartActivity},
                        {"chatRoomId", lobby.chatRoomId},
                        {"gameConfig", lobby.gameConfig},
                        {"invitations", lobby.invitations},
                        {"localMember", lobby.localMember},
                        {"members", lobby.members},
                        {"partyId", lobby.partyId},
                        {"partyType", lobby.partyType},
                        {"restrictions", nullptr},
                        {"scarcePositions", lobby.scarcePositions},
                        {"warnings", nullptr}};
  if (lobby.restrictions) json["restrictions"] = *lobby.restrictions;
  if (lobby.warnings) json["warnings"] = *lobby.warnings;
}

void from_json(const nlohmann::json& json, Lobby& lobby) {
  lobby.canStartActivity = json.value("canStartActivity", false);
  lobby.chatRoomId = json.value("chatRoomId", "");
  lobby.gameConfig = json.value("gameConfig", GameConfig{});
  lobby.invitations = json.value("invitations", std::vector<Invitation>{});
  lobby.localMember = json.value("localMember", Member{});
  lobby.members = json.value("members", std::vector<Member>{});
  lobby.partyId = json.value("partyId", "");
  lobby.partyType = json.value("partyType", "");
  const auto restrictions = json.find("restrictions");
  if (restrictions != json.end() && !restrictions->is_null()) {
    lobby.restrictions = restrictions->get<std::vector<Restriction>>();
  }
  lobby.scarcePositions = json.value("scarcePositions", std::vector<std::string>{});
  const auto warnings = json.find("warnings");
  if (warnings != json.end() && !warnings->is_null()) lobby.warnings = warnings->get<std::string>();
}

}  // namespace Bench

namespace {

using namespace Zarn;
using namespace Bench;

// rapidjson's DOM on the same hooks, so that its blocks are counted too.
using Document =
    rapidjson::GenericDocument<rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<JsonAllocator>,
                               JsonAllocator>;
using Buffer = rapidjson::GenericStringBuffer<rapidjson::UTF8<>, JsonAllocator>;

#define MEMBER(Record, Type, name) AddMember<Type>(#name, offsetof(Record, name), "")

void RegisterTypes(BindingRegistry& registry) {
  registry.RegisterType(4, "InvitationState", TypeId<InvitationState>(), true)
      .AddEnumValue("Requested", 0, "")
      .AddEnumValue("Pending", 1, "")
      .AddEnumValue("Accepted", 2, "")
      .AddEnumValue("Joined", 3, "")
      .AddEnumValue("Declined", 4, "");
  registry.RegisterType(4, "BotDifficulty", TypeId<BotDifficulty>(), true)
      .AddEnumValue("None", -1, "")
      .AddEnumValue("Easy", 0, "")
      .AddEnumValue("Medium", 1, "")
      .AddEnumValue("Hard", 2, "");
  TypeRegistry(registry.RegisterType(sizeof(Member), "Member", TypeId<Member>(), false))
      .MEMBER(Member, bool, allowedChangeActivity)
      .MEMBER(Member, bool, allowedInviteOthers)
      .MEMBER(Member, bool, allowedKickOthers)
      .MEMBER(Member, bool, allowedStartActivity)
      .MEMBER(Member, bool, allowedToggleInvite)
      .MEMBER(Member, bool, autoFillEligible)
      .MEMBER(Member, std::int32_t, botChampionId)
      .MEMBER(Member, BotDifficulty, botDifficulty)
      .MEMBER(Member, std::string, botId)
      .MEMBER(Member, std::string, firstPositionPreference)
      .MEMBER(Member, bool, isBot)
      .MEMBER(Member, bool, isLeader)
      .MEMBER(Member, bool, isSpectator)
      .MEMBER(Member, std::string, puuid)
      .MEMBER(Member, bool, ready)
      .MEMBER(Member, std::string, secondPositionPreference)
      .MEMBER(Member, std::int32_t, summonerIconId)
      .MEMBER(Member, std::uint64_t, summonerId)
      .MEMBER(Member, std::string, summonerInternalName)
      .MEMBER(Member, std::int32_t, summonerLevel)
      .MEMBER(Member, std::string, summonerName)
      .MEMBER(Member, std::int32_t, teamId);
  TypeRegistry(registry.RegisterType(sizeof(Invitation), "Invitation", TypeId<Invitation>(), false))
      .MEMBER(Invitation, std::string, invitationId)
      .MEMBER(Invitation, std::string, invitationType)
      .MEMBER(Invitation, InvitationState, state)
      .MEMBER(Invitation, std::string, timestamp)
      .MEMBER(Invitation, std::uint64_t, toSummonerId)
      .MEMBER(Invitation, std::string, toSummonerName);
  using StringMap = KeyedMap<std::string>;
  TypeRegistry(
      registry.RegisterType(sizeof(Restriction), "Restriction", TypeId<Restriction>(), false))
      .MEMBER(Restriction, std::string, restrictionCode)
      .MEMBER(Restriction, StringMap, restrictionArgs)
      .MEMBER(Restriction, std::vector<std::uint64_t>, summonerIds);
  TypeRegistry(registry.RegisterType(sizeof(GameConfig), "GameConfig", TypeId<GameConfig>(), false))
      .MEMBER(GameConfig, std::vector<std::int32_t>, allowablePremadeSizes)
      .MEMBER(GameConfig, std::string, customLobbyName)
      .MEMBER(GameConfig, std::vector<Member>, customSpectators)
      .MEMBER(GameConfig, std::vector<Member>, customTeam100)
      .MEMBER(GameConfig, std::vector<Member>, customTeam200)
      .MEMBER(GameConfig, std::string, gameMode)
      .MEMBER(GameConfig, bool, isCustom)
      .MEMBER(GameConfig, bool, isLobbyFull)
      .MEMBER(GameConfig, std::int32_t, mapId)
      .MEMBER(GameConfig, std::int32_t, maxLobbySize)
      .MEMBER(GameConfig, std::string, pickType)
      .MEMBER(GameConfig, std::int32_t, queueId)
      .MEMBER(GameConfig, bool, showPositionSelector);
  using Restrictions = std::optional<std::vector<Restriction>>;
  TypeRegistry(registry.RegisterType(sizeof(Lobby), "Lobby", TypeId<Lobby>(), false))
      .MEMBER(Lobby, bool, canStartActivity)
      .MEMBER(Lobby, std::string, chatRoomId)
      .MEMBER(Lobby, GameConfig, gameConfig)
      .MEMBER(Lobby, std::vector<Invitation>, invitations)
      .MEMBER(Lobby, Member, localMember)
      .MEMBER(Lobby, std::vector<Member>, members)
      .MEMBER(Lobby, std::string, partyId)
      .MEMBER(Lobby, std::string, partyType)
      .MEMBER(Lobby, Restrictions, restrictions)
      .MEMBER(Lobby, std::vector<std::string>, scarcePositions)
      .MEMBER(Lobby, std::optional<std::string>, warnings);
}

Member MakeMember(std::uint32_t i) {
  static const char* const kPositions[] = {"NORTH", "ROAMER", "CENTRE", "SOUTH", "HELPER"};
  Member member;
  member.allowedChangeActivity = i == 0;
  member.allowedInviteOthers = true;
  member.allowedKickOthers = i == 0;
  member.allowedStartActivity = i == 0;
  member.allowedToggleInvite = i == 0;
  member.autoFillEligible = i % 2 == 0;
  member.botChampionId = i % 3 == 0 ? 0 : static_cast<std::int32_t>(100 + i);
  member.botDifficulty = static_cast<BotDifficulty>(static_cast<std::int32_t>(i % 4) - 1);
  member.botId = i % 3 == 0 ? "" : "Bot_" + std::to_string(i);
  member.firstPositionPreference = kPositions[i % 5];
  member.isBot = i % 3 != 0;
  member.isLeader = i == 0;
  member.puuid = "3f1c6a2e-8d4b-5c7e-9a0f-" + std::to_string(100000000000ull + i * 7919);
  member.ready = true;
  member.secondPositionPreference = kPositions[(i + 2) % 5];
  member.summonerIconId = static_cast<std::int32_t>(4000 + i);
  member.summonerId = 2400000000000ull + i * 104729ull;
  member.summonerInternalName = "summoner" + std::to_string(i);
  member.summonerLevel = static_cast<std::int32_t>(30 + i * 11);
  member.summonerName = "Summoner Number " + std::to_string(i);
  member.teamId = 100 + static_cast<std::int32_t>(i % 2) * 100;
  return member;
}

Lobby MakeLobby() {
  Lobby lobby;
  lobby.canStartActivity = true;
  lobby.chatRoomId = "c1~8a7b63d2f1e94c0d5b6a7e8f9d0c1b2a3f4e5d6c";
  lobby.gameConfig.allowablePremadeSizes = {1, 2, 3, 4, 5};
  lobby.gameConfig.customLobbyName = "Custom game of Summoner Number 0";
  for (std::uint32_t i = 0; i < 2; ++i) lobby.gameConfig.customSpectators.push_back(MakeMember(i));
  for (std::uint32_t i = 0; i < 5; ++i) lobby.gameConfig.customTeam100.push_back(MakeMember(i));
  for (std::uint32_t i = 5; i < 10; ++i) lobby.gameConfig.customTeam200.push_back(MakeMember(i));
  lobby.gameConfig.gameMode = "CLASSIC";
  lobby.gameConfig.isCustom = true;
  lobby.gameConfig.mapId = 11;
  lobby.gameConfig.maxLobbySize = 5;
  lobby.gameConfig.pickType = "ParallelPicks";
  lobby.gameConfig.queueId = 420;
  lobby.gameConfig.showPositionSelector = true;
  for (std::uint32_t i = 0; i < 48; ++i) {
    Invitation invitation;
    invitation.invitationId = "f47ac10b-58cc-4372-a567-0e02b2c3d4" + std::to_string(10 + i);
    invitation.invitationType = "lobby";
    invitation.state = static_cast<InvitationState>(i % 5);
    invitation.timestamp = "2026-12-07T09:" + std::to_string(10 + i) + ":00.000Z";
    invitation.toSummonerId = 2400000000000ull + i * 15485863ull;
    invitation.toSummonerName = "Invited Friend " + std::to_string(i);
    lobby.invitations.push_back(invitation);
  }
  lobby.localMember = MakeMember(0);
  for (std::uint32_t i = 0; i < 5; ++i) lobby.members.push_back(MakeMember(i));
  lobby.partyId = "0b3c2a1d-4e5f-6a7b-8c9d-0e1f2a3b4c5d";
  lobby.partyType = "open";
  Restriction restriction;
  restriction.restrictionCode = "QueueDisabled";
  restriction.restrictionArgs = {{"queueId", "420"}, {"reason", "maintenance"}};
  restriction.summonerIds = {2400000000000ull, 2400000104729ull};
  lobby.restrictions = std::vector<Restriction>{restriction};
  lobby.scarcePositions = {"HELPER", "ROAMER"};
  return lobby;
}

struct Fixture {
  Fixture() {
    RegisterTypes(registry);
    text = ToJsonString(MakeLobby(), registry);
  }
  BindingRegistry registry;
  std::string text;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Reports the blocks allocated per document over the timed loop.
class AllocationCounter {
 public:
  explicit AllocationCounter(benchmark::State& state)
      : state_(state), start_(TrackingAllocator::Counters().allocations.load()) {}
  ~AllocationCounter() {
    const double blocks =
        static_cast<double>(TrackingAllocator::Counters().allocations.load() - start_);
    state_.counters["allocs"] =
        benchmark::Counter(blocks / static_cast<double>(state_.iterations()));
    state_.SetBytesProcessed(static_cast<std::int64_t>(state_.iterations()) *
                             static_cast<std::int64_t>(Shared().text.size()));
  }

 private:
  benchmark::State& state_;
  std::uint64_t start_;
};

void BM_BoundParseToRecord(benchmark::State& state) {
  Fixture& fixture = Shared();
  AllocationCounter counter(state);
  for (auto _ : state) {
    BindingResult parsed = ParseJson(fixture.text);
    Lobby lobby;
    if (!ReadRequiredValue(lobby, parsed.Value(), fixture.registry)) state.SkipWithError("read");
    benchmark::DoNotOptimize(lobby);
  }
}

void BM_BoundParseToValue(benchmark::State& state) {
  Fixture& fixture = Shared();
  AllocationCounter counter(state);
  for (auto _ : state) {
    BindingResult parsed = ParseJson(fixture.text);
    benchmark::DoNotOptimize(parsed);
  }
}

void BM_RapidjsonDomParse(benchmark::State& state) {
  Fixture& fixture = Shared();
  AllocationCounter counter(state);
  for (auto _ : state) {
    Document document;
    document.Parse(fixture.text.c_str());
    benchmark::DoNotOptimize(document);
  }
}

void BM_NlohmannParseToRecord(benchmark::State& state) {
  Fixture& fixture = Shared();
  AllocationCounter counter(state);
  for (auto _ : state) {
    Lobby lobby = nlohmann::json::parse(fixture.text).get<Lobby>();
    benchmark::DoNotOptimize(lobby);
  }
}

void BM_BoundWriteRecord(benchmark::State& state) {
  Fixture& fixture = Shared();
  const Lobby lobby = MakeLobby();
  AllocationCounter counter(state);
  for (auto _ : state) {
    std::string text = ToJsonString(lobby, fixture.registry);
    benchmark::DoNotOptimize(text);
  }
}

void BM_BoundWriteValue(benchmark::State& state) {
  Fixture& fixture = Shared();
  BindingResult parsed = ParseJson(fixture.text);
  AllocationCounter counter(state);
  for (auto _ : state) {
    std::string text = SerializeJson(parsed.Value(), &fixture.registry, nullptr);
    benchmark::DoNotOptimize(text);
  }
}

void BM_RapidjsonDomWrite(benchmark::State& state) {
  Fixture& fixture = Shared();
  Document document;
  document.Parse(fixture.text.c_str());
  AllocationCounter counter(state);
  for (auto _ : state) {
    Buffer buffer;
    rapidjson::Writer<Buffer, rapidjson::UTF8<>, rapidjson::UTF8<>, JsonAllocator> writer(buffer);
    document.Accept(writer);
    std::string text(buffer.GetString(), buffer.GetSize());
    benchmark::DoNotOptimize(text);
  }
}

// rapidjson's Writer driven by our visitor over the same value: the writer's own share of
// writing a value. The text holds no enums or blobs, so those are written plainly.
class RapidjsonWriterVisitor final : public BindingPropertyVisitor {
 public:
  using Writer = rapidjson::Writer<Buffer, rapidjson::UTF8<>, rapidjson::UTF8<>, JsonAllocator>;
  explicit RapidjsonWriterVisitor(Writer& writer) : writer_(writer) {}

  void Null() override { writer_.Null(); }
  void Bool(bool value) override { writer_.Bool(value); }
  void Int64(std::int64_t value) override { writer_.Int64(value); }
  void Uint64(std::uint64_t value) override { writer_.Uint64(value); }
  void Double(double value) override { writer_.Double(value); }
  void String(const InternedString& text) override {
    writer_.String(text.CStr(), static_cast<rapidjson::SizeType>(text.Size()));
  }
  void Binary(const BindingBlob&) override { writer_.Null(); }
  void Enum(const BindingEnumValue& value) override { writer_.Int64(value.value); }
  void StartArray(std::uint32_t) override { writer_.StartArray(); }
  void BeginElement(std::uint32_t) override {}
  void EndElement(std::uint32_t) override {}
  void EndArray() override { writer_.EndArray(); }
  void StartObject(std::uint32_t) override { writer_.StartObject(); }
  void Key(const InternedString& name) override {
    writer_.Key(name.CStr(), static_cast<rapidjson::SizeType>(name.Size()));
  }
  void EndMember(const InternedString&) override {}
  void EndObject() override { writer_.EndObject(); }

 private:
  Writer& writer_;
};

void BM_RapidjsonWriterFromValue(benchmark::State& state) {
  Fixture& fixture = Shared();
  BindingResult parsed = ParseJson(fixture.text);
  AllocationCounter counter(state);
  for (auto _ : state) {
    Buffer buffer;
    RapidjsonWriterVisitor::Writer writer(buffer);
    RapidjsonWriterVisitor visitor(writer);
    parsed.Value().Accept(visitor);
    std::string text(buffer.GetString(), buffer.GetSize());
    benchmark::DoNotOptimize(text);
  }
}

void BM_NlohmannWriteRecord(benchmark::State& state) {
  const Lobby lobby = MakeLobby();
  AllocationCounter counter(state);
  for (auto _ : state) {
    std::string text = nlohmann::json(lobby).dump();
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK(BM_BoundParseToRecord);
BENCHMARK(BM_BoundParseToValue);
BENCHMARK(BM_RapidjsonDomParse);
BENCHMARK(BM_NlohmannParseToRecord);
BENCHMARK(BM_BoundWriteRecord);
BENCHMARK(BM_BoundWriteValue);
BENCHMARK(BM_RapidjsonDomWrite);
BENCHMARK(BM_RapidjsonWriterFromValue);
BENCHMARK(BM_NlohmannWriteRecord);

}  // namespace

int main(int argc, char** argv) {
  MemoryHooks::EnsureInitialized();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The documents must agree before their timings mean anything.
  Fixture& fixture = Shared();
  Lobby viaNlohmann = nlohmann::json::parse(fixture.text).get<Lobby>();
  if (ToJsonString(viaNlohmann, fixture.registry) != fixture.text) {
    std::fprintf(stderr, "nlohmann::json read the document differently\n");
    return 1;
  }
  std::fprintf(stderr, "document: %zu bytes\n", fixture.text.size());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
