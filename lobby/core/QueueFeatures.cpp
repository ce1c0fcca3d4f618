#include "lobby/core/QueueFeatures.h"

#include <algorithm>
#include <array>

#include "lobby/core/CustomGameRules.h"

namespace Zarn::Client::Lobby {
namespace {

using Policy = Api::QueueCustomGameSpectatorPolicy;

struct FeatureFlag {
  std::string_view name;
  bool Api::QueueGameTypeConfig::*flag;
};

constexpr std::array<FeatureFlag, 7> kFeatureFlags = {{
    {"AdvancedLearningQuests", &Api::QueueGameTypeConfig::advancedLearningQuests},
    {"LearningQuests", &Api::QueueGameTypeConfig::learningQuests},
    {"OnboardCoopBeginner", &Api::QueueGameTypeConfig::onboardCoopBeginner},
    {"BattleBoost", &Api::QueueGameTypeConfig::battleBoost},
    {"ReRoll", &Api::QueueGameTypeConfig::reroll},
    {"DEATHMATCH", &Api::QueueGameTypeConfig::deathMatch},
    {"DoNotRemove", &Api::QueueGameTypeConfig::doNotRemove},
}};

// The mutators a lobby reports. "FRENZY" configures a game but is never reported.
constexpr std::array<std::string_view, 4> kReportedMutators = {"6v6", "OneForAll", "CounterPick",
                                                               kPracticeToolMutator};
constexpr std::string_view kFrenzy = "FRENZY";

bool IsReportedMutator(std::string_view name) {
  return std::find(kReportedMutators.begin(), kReportedMutators.end(), name) !=
         kReportedMutators.end();
}

struct SpectatorText {
  Policy policy;
  std::string_view text;
};

constexpr std::array<SpectatorText, 4> kSpectatorTexts = {{
    {Policy::NotAllowed, "NONE"},
    {Policy::LobbyAllowed, "LOBBYONLY"},
    {Policy::FriendsAllowed, "DROPINONLY"},
    {Policy::AllAllowed, "ALL"},
}};

}  // namespace

std::vector<std::string> GameTypeConfigFeatureNames(const Api::QueueGameTypeConfig& config) {
  std::vector<std::string> names;
  for (const FeatureFlag& feature : kFeatureFlags) {
    if (config.*feature.flag) names.emplace_back(feature.name);
  }
  return names;
}

void ApplyGameTypeFeatureNames(const std::vector<std::string>& names,
                               Api::QueueGameTypeConfig& config, std::string& gameMutator) {
  for (const std::string& name : names) {
    for (const FeatureFlag& feature : kFeatureFlags) {
      if (name == feature.name) config.*feature.flag = true;
    }
    if (name == kFrenzy || IsReportedMutator(name)) gameMutator = name;
  }
}

std::string FindGameMutator(const BindingProperty& value) {
  const BindingProperty& mutators = value.FindMember("gameMutators");
  if (!mutators.IsCollection()) return {};
  for (std::size_t i = 0; i < mutators.Size(); ++i) {
    std::string name = mutators.At(i).ToString();
    if (IsReportedMutator(name)) return name;
  }
  return {};
}

std::string SpectatorPolicyToLcdsString(Policy policy) {
  for (const SpectatorText& entry : kSpectatorTexts) {
    if (entry.policy == policy) return std::string(entry.text);
  }
  return std::string(kSpectatorTexts.front().text);
}

Policy LcdsStringToSpectatorPolicy(std::string_view text) {
  for (const SpectatorText& entry : kSpectatorTexts) {
    if (entry.text == text) return entry.policy;
  }
  return Policy::NotAllowed;
}

}  // namespace Zarn::Client::Lobby
