#include "sdk/api/HttpResponse.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpResult.h"
#include "tests/sdk/api/ResponseBodyStreamTesting.h"

namespace Zarn {
namespace {

TEST(HttpResponseTest, ConstructorsAndErrorReplies) {
  struct Case {
    const char* label;
    HttpResponse response;
    std::int32_t status;
    bool ok;
    std::string message;
  };
  const std::string longText(5000, 'x');
  Case cases[] = {
      {"default", HttpResponse(), 0, true, ""},
      {"status alone", HttpResponse(204), 204, true, ""},
      {"status and text", HttpResponse(404, "x"), 404, false, "x"},
      {"status and empty text", HttpResponse(400, ""), 400, false, ""},
      {"not found, empty", MakeNotFound(""), 404, false, "Not found"},
      {"not found, string", MakeNotFound(std::string("%1 gone")), 404, false, "%1 gone"},
      {"not found, template", MakeNotFound("Lobby %1 gone", 7), 404, false, "Lobby 7 gone"},
      {"server error, empty", MakeInternalServerError(""), 500, false, "Internal server error"},
      {"server error, empty string", MakeInternalServerError(std::string()), 500, false,
       "Internal server error"},
      {"server error, template", MakeInternalServerError("%1: %2", "a", std::string("b")), 500,
       false, "a: b"},
      {"server error, formats to empty", MakeInternalServerError("%1", ""), 500, false,
       "Internal server error"},
      {"error response", MakeErrorResponse(400, "QUIT_LOBBY_STATE_FAILED"), 400, false,
       "QUIT_LOBBY_STATE_FAILED"},
      {"error response percent", MakeErrorResponse(423, "100%%"), 423, false, "100%"},
      {"error response cut", MakeErrorResponse(400, longText.c_str()), 400, false,
       std::string(4095, 'x')},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.response.status.status, c.status);
    EXPECT_EQ(c.response.ok, c.ok);
    EXPECT_EQ(c.response.message, c.message);
    EXPECT_TRUE(c.response.status.statusText.empty());
    EXPECT_TRUE(c.response.status.headers.empty());
    EXPECT_EQ(c.response.flag, 0);
    EXPECT_EQ(c.response.kind, 0u);
    EXPECT_EQ(c.response.bodyStream, nullptr);
  }
}

TEST(HttpResponseTest, StreamIsOwnedOnce) {
  BodyStreamLog log;
  {
    HttpResponse first(200);
    first.bodyStream = CountingBodyStream::Make(log);
    first.status.headers["a"] = "b";
    HttpResponse second(std::move(first));
    EXPECT_EQ(first.bodyStream, nullptr);
    EXPECT_NE(second.bodyStream, nullptr);
    EXPECT_EQ(second.status.headers.at("a"), "b");

    HttpResult<int> result(5, std::move(second));
    EXPECT_EQ(result.value, 5);
    EXPECT_EQ(log.destroyed, 0);
    result.response = HttpResponse(404, "gone");  // the replaced response's stream goes
    EXPECT_EQ(log.destroyed, 1);
  }
  EXPECT_EQ(log.destroyed, 1);
}

TEST(HttpResponseTest, ResultFromValueOrReply) {
  const HttpResult<std::string> value("lobby");
  EXPECT_EQ(value.value, "lobby");
  EXPECT_TRUE(value.response.ok);
  EXPECT_EQ(value.response.status.status, 0);

  const HttpResult<std::string> failure = MakeNotFound("");
  EXPECT_EQ(failure.value, "");
  EXPECT_FALSE(failure.response.ok);
  EXPECT_EQ(failure.response.message, "Not found");

  const HttpResult<bool> flag = true;
  EXPECT_TRUE(flag.value);
  EXPECT_TRUE(flag.response.ok);
}

}  // namespace
}  // namespace Zarn
