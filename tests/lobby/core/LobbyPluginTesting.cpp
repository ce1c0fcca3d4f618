#include "tests/lobby/core/LobbyPluginTesting.h"

#include <utility>

namespace Zarn::Client::Testing {

namespace {

constexpr char kGameflowEventPath[] = "/jyx-gameflow/v1/session/event";
constexpr char kGameflowPrefix[] = "\"GAMEFLOW_EVENT.";

}  // namespace

uint32_t JournalledLobbyPlugin::SendCoreRequest(ApiCallResult* reply,
                                                const ApiCallRequest* request) {
  const std::size_t before = host_.Records().requests.size();
  const uint32_t result = Lobby::LobbyPlugin::SendCoreRequest(reply, request);
  const std::vector<Host::CoreRequest>& requests = host_.Records().requests;
  if (requests.size() > before) {
    std::string entry = "request " + requests[before].path;
    for (const std::string& argument : requests[before].arguments) entry += " " + argument;
    journal_->Record(std::move(entry));
  }
  return result;
}

void JournalledLobbyPlugin::PublishHostEvent(const PluginHostEvent* event) {
  const std::size_t before = host_.Records().published.size();
  Lobby::LobbyPlugin::PublishHostEvent(event);
  const std::vector<Host::PublishedEvent>& published = host_.Records().published;
  if (published.size() > before && published[before].name == "OnJsonApiEvent") {
    journal_->Record("publish " + published[before].payload);
  }
}

void JournalledLobbyPlugin::UnsubscribeHostEvent(const char* name, uint32_t hostContext) {
  journal_->Record(std::string("unsubscribe ") + name);
  Lobby::LobbyPlugin::UnsubscribeHostEvent(name, hostContext);
}

Host::PluginHost::Options LobbyRig::Options(const std::shared_ptr<CallJournal>& journal) {
  Host::PluginHost::Options options;
  options.pluginPath = "/nonexistent";
  options.hostContext = kTestHostContext;
  options.maxIdleYields = 50;
  options.onLog = [journal](const Host::LogLine& line) { journal->Record(LogEntry(line.message)); };
  return options;
}

LobbyRig::LobbyRig(bool start) {
  Load(std::make_unique<FakeComponentFactory>(journal));
  if (start) {
    EXPECT_TRUE(plugin->Initialize(&init));
  }
}

void LobbyRig::Load(std::unique_ptr<FakeComponentFactory> fakes) {
  factory = fakes.get();
  plugin = std::make_unique<JournalledLobbyPlugin>(std::move(fakes), host, journal);
  PluginLoadResult record{};
  record.major = 18;
  EXPECT_TRUE(LoadPlugin(plugin.get(), &record, "jyx-lobby"));
}

LobbyRig::~LobbyRig() {
  if (!shutDown) plugin->Shutdown();
}

void LobbyRig::Drive(const std::vector<Lobby::LobbyEvent>& events) {
  for (const Lobby::LobbyEvent& event : events) {
    EXPECT_TRUE(Fire(event)) << event << " in " << StateName();
  }
}

std::string LobbyRig::StateName() const {
  const Lobby::LobbyState* state =
      Lobby::LobbyPluginTesting::StateMachine(*plugin).GetCurrentState();
  return state != nullptr ? state->name : "none";
}

void LobbyRig::Shutdown() {
  shutDown = true;
  plugin->Shutdown();
}

std::vector<std::string> LobbyRig::Entries(const std::vector<std::string>& prefixes,
                                           std::size_t from) const {
  std::vector<std::string> found;
  for (std::size_t i = from; i < journal->calls.size(); ++i) {
    for (const std::string& prefix : prefixes) {
      if (journal->calls[i].starts_with(prefix)) {
        found.push_back(journal->calls[i]);
        break;
      }
    }
  }
  return found;
}

std::vector<std::string> LobbyRig::GameflowEvents(std::size_t from) const {
  const std::string prefix = std::string("request ") + kGameflowEventPath + " " + kGameflowPrefix;
  std::vector<std::string> names;
  for (const std::string& entry : Entries({prefix}, from)) {
    // Drops the prefix and the closing quote.
    names.push_back(entry.substr(prefix.size(), entry.size() - prefix.size() - 1));
  }
  return names;
}

int LobbyRig::Rebuilds(std::size_t from) const {
  return static_cast<int>(Entries({"parties.SchedulePresenceUpdate"}, from).size());
}

Host::ScriptedReply StreamedInOneByteReads(const std::string& body) {
  Host::ScriptedReply reply;
  Host::ScriptedStream stream;
  stream.body = body;
  Host::StreamChunk oneByte;
  oneByte.size = 1;
  stream.chunks.assign(body.size(), oneByte);
  reply.stream = stream;
  return reply;
}

std::string LogEntry(const std::string& message) { return "log " + message; }
std::string Entering(const std::string& state) {
  return LogEntry("LobbyFlow: entering state '" + state + "'");
}
std::string Exiting(const std::string& state) {
  return LogEntry("LobbyFlow: exiting state '" + state + "'");
}

}  // namespace Zarn::Client::Testing
