#include "lobby/backends/PlatformLobbyBackend.h"

#include "sdk/base/NotBuilt.h"

namespace Zarn::Client::Lobby {

MaybeType<Failure, Api::LobbyDto> PlatformLobbyBackend::GetLobby() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::GetLobby", MaybeType<Failure, Api::LobbyDto>);
}

std::optional<Api::LobbyStatus> PlatformLobbyBackend::GetLobbyStatus() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::GetLobbyStatus", std::optional<Api::LobbyStatus>);
}

MaybeType<Failure, void> PlatformLobbyBackend::LeaveLobby() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::LeaveLobby", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::KickMember(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::KickMember", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::PromoteMember(std::uint64_t /*summonerId*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::PromoteMember", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::SetPositionPreferences(
    Api::LobbyPositionPreferences /*preferences*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::SetPositionPreferences", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::ChangeLobby(Api::LobbyChangeGameDto /*change*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::ChangeLobby", MaybeType<Failure, void>);
}

MaybeType<Failure, std::vector<Api::Eligibility>> PlatformLobbyBackend::GetPremadeEligibility() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::GetPremadeEligibility",
                 MaybeType<Failure, std::vector<Api::Eligibility>>);
}

MaybeType<Failure, void> PlatformLobbyBackend::LeaveLobbyUnlessPending(
    Api::ReceivedInvitationDto /*invitation*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::LeaveLobbyUnlessPending", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::AcceptInvitation(std::string /*invitationId*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::AcceptInvitation", MaybeType<Failure, void>);
}

MaybeType<Failure, void> PlatformLobbyBackend::DeclineInvitation(std::string /*invitationId*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::DeclineInvitation", MaybeType<Failure, void>);
}

MaybeType<Failure, std::vector<Api::LobbyInvitationDto>> PlatformLobbyBackend::SendInvitations(
    std::vector<Api::LobbyInvitationDto> /*invitations*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::SendInvitations",
                 MaybeType<Failure, std::vector<Api::LobbyInvitationDto>>);
}

MaybeType<Failure, void> PlatformLobbyBackend::SetCanInvite(std::uint64_t /*summonerId*/,
                                                            bool /*canInvite*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::SetCanInvite", MaybeType<Failure, void>);
}

bool PlatformLobbyBackend::GetAvailabilityFlag() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::GetAvailabilityFlag", bool);
}

BindingHttpResult PlatformLobbyBackend::StartMatchmaking() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::StartMatchmaking", BindingHttpResult);
}

BindingHttpResult PlatformLobbyBackend::CancelMatchmaking() {
  ZARN_NOT_BUILT("PlatformLobbyBackend::CancelMatchmaking", BindingHttpResult);
}

void PlatformLobbyBackend::HandleDodge(Api::GameflowGameDodge /*dodge*/) {
  ZARN_NOT_BUILT("PlatformLobbyBackend::HandleDodge", void);
}

}  // namespace Zarn::Client::Lobby
