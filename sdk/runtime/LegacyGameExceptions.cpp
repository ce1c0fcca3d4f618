#include "sdk/runtime/LegacyGameExceptions.h"

namespace Zarn::Client {

namespace {

constexpr std::string_view kGamePackage = "com.zarnworks.platform.game.";
constexpr int32_t kUnknownStatus = 500;

struct LegacyException {
  std::string_view className;
  int32_t status;
};

// Searched in this order; the first class found anywhere in the text decides.
constexpr LegacyException kLegacyExceptions[] = {
    {"UserBannedException", 401},
    {"IncorrectPasswordException", 403},
    {"GameNotFoundException", 404},
    {"GameNameNotUniqueException", 409},
    {"PlayerAlreadyInGameException", 430},
    {"TeamFullException", 431},
    {"GameFullException", 432},
    {"NotEnoughPlayersException", 433},
    {"TooManyPlayersException", 434},
    {"GameModeNotSupportedException", 435},
    {"GameStartChampionSelectionException", 436},
    {"InvalidGameStateException", 530},
    {"StaleGameVersionException", 531},
    {"GameStartUnbalancedTeamsException", 532},
    {"GameNotDraftModeTurnException", 533},
};

}  // namespace

int32_t MapLegacyGameExceptionToStatus(std::string_view text) {
  if (const std::size_t package = text.find(kGamePackage); package != std::string_view::npos) {
    text.remove_prefix(package + kGamePackage.size());
  }
  for (const LegacyException& exception : kLegacyExceptions) {
    if (text.find(exception.className) != std::string_view::npos) return exception.status;
  }
  return kUnknownStatus;
}

}  // namespace Zarn::Client
