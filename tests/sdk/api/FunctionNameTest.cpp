#include "sdk/api/FunctionName.h"

#include <gtest/gtest.h>

#include <string>

namespace Zarn {
namespace {

TEST(FunctionNameTest, MethodTextsAndHostCodes) {
  const char* const texts[] = {"", "DELETE", "GET", "HEAD", "OPTIONS", "PATCH", "POST", "PUT", ""};
  for (std::uint32_t code = 0; code < 9; ++code) {
    SCOPED_TRACE(code);
    EXPECT_STREQ(HttpMethodToString(static_cast<HttpMethod>(code)), texts[code]);
    EXPECT_EQ(ToHostMethodCode(code), static_cast<HttpMethod>(code));
  }
  for (const std::uint32_t code : {9u, 100u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(code);
    EXPECT_STREQ(HttpMethodToString(static_cast<HttpMethod>(code)), "");
    EXPECT_EQ(ToHostMethodCode(code), HttpMethod::Any);
  }
}

TEST(FunctionNameTest, NamesFromMethodAndPath) {
  struct Case {
    HttpMethod method;
    const char* path;
    const char* name;
  };
  const Case cases[] = {
      {HttpMethod::Get, "/jyx-lobby/v2/lobby", "GetJyxLobbyV2Lobby"},
      {HttpMethod::Get, "/jyx-lobby/v1/custom-games/{id}", "GetJyxLobbyV1CustomGamesById"},
      {HttpMethod::Post, "/jyx-lobby/v2/lobby/members/{summonerId}/promote",
       "PostJyxLobbyV2LobbyMembersBySummonerIdPromote"},
      {HttpMethod::Put, "/jyx-lobby/v2/lobby/partyType", "PutJyxLobbyV2LobbyPartyType"},
      {HttpMethod::Delete, "/jyx-lobby/v2/notifications/{notificationId}",
       "DeleteJyxLobbyV2NotificationsByNotificationId"},
      {HttpMethod::Delete, "/a_b.c", "DeleteABC"},
      {HttpMethod::Get, "/x-y/v1/z/{id}", "GetXYV1ZById"},
      {HttpMethod::Get, "/v2/2fa", "GetV22fa"},
      {HttpMethod::Get, "/x/{id}y", "GetXByIdy"},
      {HttpMethod::Get, "/a/b/", "GetAB"},
      {HttpMethod::Get, "/a!b+c", "GetABC"},
      {HttpMethod::Patch, "/p", "PatchP"},
      {HttpMethod::Options, "", "Options"},
      {HttpMethod::Any, "/jyx-lobby/v2/lobby", "JyxLobbyV2Lobby"},
      {HttpMethod::Custom, "/x", "X"},
      {static_cast<HttpMethod>(42), "/x", "X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(MakeFunctionNameFromMethod(c.method, c.path), c.name);
  }
  // Distinct paths can share a name; the registry decides which one wins.
  EXPECT_EQ(MakeFunctionNameFromMethod(HttpMethod::Get, "/x/{id}"),
            MakeFunctionNameFromMethod(HttpMethod::Get, "/x/by-id"));
  EXPECT_EQ(MakeFunctionNameFromMethod(HttpMethod::Get, "/a-b"),
            MakeFunctionNameFromMethod(HttpMethod::Get, "/a/b"));
  EXPECT_EQ(MakeFunctionName("jYX", "/a"), "JyxA");
  EXPECT_EQ(MakeFunctionName("", "jyx-lobby"), "JyxLobby");
}

}  // namespace
}  // namespace Zarn
