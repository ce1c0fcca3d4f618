#include "tests/lobby/backends/ControllerTesting.h"

#include <utility>

#include "lobby/model/LegacyClassNames.h"
#include "tests/lobby/core/GameflowAnswers.h"

namespace Zarn::Client::Testing {

namespace {

std::string QueueJson(std::int32_t id, std::int32_t mapId, const char* gameMode, std::int32_t size,
                      bool teamBuilder) {
  return R"({"id":)" + std::to_string(id) + R"(,"mapId":)" + std::to_string(mapId) +
         R"(,"gameMode":")" + gameMode + R"(","maximumParticipantListSize":)" +
         std::to_string(size) + R"(,"isTeamBuilderManaged":)" + (teamBuilder ? "true" : "false") +
         R"(,"queueAvailability":"Available"})";
}

}  // namespace

std::string LobbyStatusJson(const std::string& invitationId, std::int32_t queueId) {
  const std::string local = std::to_string(kLocalSummonerId);
  std::string metaData;
  if (queueId != -1) metaData = R"({\"queueId\":)" + std::to_string(queueId) + "}";
  return R"({"invitationId":")" + invitationId + R"(","owner":{"summonerId":)" + local +
         R"(},"chatKey":"key-)" + invitationId + R"(","members":[{"summonerId":)" + local +
         R"(,"hasDelegatedInvitePower":false}],"invitees":[{"summonerId":)" + local +
         R"(,"inviteeState":"CREATOR"}],"gameMetaData":")" + metaData + R"("})";
}

std::string MethodName(std::uint32_t method) {
  switch (method) {
    case 1:
      return "DELETE";
    case 2:
      return "GET";
    case 5:
      return "PATCH";
    case 6:
      return "POST";
    case 7:
      return "PUT";
    default:
      return "?";
  }
}

ControllerRig::ControllerRig() : LobbyRig(Unloaded{}) {
  const std::vector<std::string> queues = {QueueJson(420, 11, "CLASSIC", 5, false),
                                           QueueJson(31, 11, "INTRO", 5, false),
                                           QueueJson(440, 12, "BATTLE", 5, true)};
  std::string list;
  for (const std::string& queue : queues) list += (list.empty() ? "" : ",") + queue;
  host.SeedResource("/jyx-game-queues/v1/queues", "[" + list + "]");
  host.SeedResource("/jyx-game-queues/v1/queues/420", queues[0]);
  host.SeedResource("/jyx-game-queues/v1/queues/31", queues[1]);
  host.SeedResource("/jyx-game-queues/v1/queues/440", queues[2]);
  host.SeedResource("/jyx-login/v1/session",
                    R"({"state":"SUCCEEDED","summonerId":2046,"accountId":9001})");
  Load(std::make_unique<RealControllerFactory>(journal));
  EXPECT_TRUE(plugin->Initialize(&init));
  host.RunDue();
  EXPECT_EQ(plugin->LocalSummonerId(), kLocalSummonerId);
}

void ControllerRig::CreateLobby(std::int32_t queueId) {
  Host::Testing::AnswerLobbyRequests(host);
  Lobby::Api::Lobby requested;
  requested.queueId = queueId;
  const HttpResult<Lobby::Api::Lobby> created = plugin->CreateLobby(requested);
  ASSERT_TRUE(created.response.ok) << created.response.message;
  host.RunDue();
}

void ControllerRig::ScriptStatus(const std::string& method, const std::string& invitationId,
                                 std::int32_t queueId) {
  Host::LcdsAnswer answer;
  answer.typeName = kLobbyStatusClass;
  answer.body = LobbyStatusJson(invitationId, queueId);
  legacy.Script(kInviteService, method, answer);
}

void ControllerRig::ScriptLegacyFailure(const std::string& method, const std::string& text) {
  Host::LcdsAnswer answer;
  answer.exception = text;
  legacy.Script(kInviteService, method, answer);
}

std::vector<std::string> ControllerRig::LegacyCalls(const std::string& method) const {
  std::vector<std::string> calls;
  for (const Host::LcdsInvocation& call : legacy.Invocations()) {
    if (call.destination == kInviteService && call.method == method) {
      calls.push_back(call.arguments);
    }
  }
  return calls;
}

std::vector<std::string> ControllerRig::Requests(std::size_t from) const {
  std::vector<std::string> requests;
  const std::vector<Host::CoreRequest>& all = host.Records().requests;
  for (std::size_t i = from; i < all.size(); ++i) {
    requests.push_back(MethodName(all[i].method) + " " + all[i].path);
  }
  return requests;
}

std::vector<Host::LogLine> ControllerRig::Logs(const std::string& text) const {
  std::vector<Host::LogLine> found;
  for (const Host::LogLine& line : host.Records().logs) {
    if (line.message.find(text) != std::string::npos) found.push_back(line);
  }
  return found;
}

}  // namespace Zarn::Client::Testing
