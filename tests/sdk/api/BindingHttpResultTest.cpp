#include "sdk/api/BindingHttpResult.h"

#include <gtest/gtest.h>

#include <string>

#include "sdk/base/Failure.h"
#include "tests/sdk/api/ResponseBodyStreamTesting.h"

namespace Zarn {
namespace {

HttpResponse WithStatusParts(HttpResponse response, BodyStreamLog& log) {
  response.flag = 3;
  response.kind = 2;
  response.status.statusText = "Locked";
  response.status.headers["Retry-After"] = "5";
  response.bodyStream = CountingBodyStream::Make(log);
  return response;
}

void ExpectStatusParts(const BindingHttpResult& result, std::int32_t status) {
  EXPECT_EQ(result.Flag(), 3);
  EXPECT_EQ(result.Kind(), 2u);
  EXPECT_EQ(result.StatusPart().status, status);
  EXPECT_EQ(result.StatusPart().statusText, "Locked");
  ASSERT_EQ(result.StatusPart().headers.size(), 1u);
  EXPECT_EQ(result.StatusPart().headers.at("Retry-After"), "5");
}

TEST(BindingHttpResultTest, FromResponse) {
  struct Case {
    const char* label;
    std::int32_t status;
    bool ok;
    const char* message;
  };
  const Case cases[] = {
      {"success without status", 0, true, ""},
      {"success with status", 201, true, ""},
      {"failure", 404, false, "x"},
      {"failure without text", 423, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BodyStreamLog log;
    HttpResponse response = c.ok ? HttpResponse(c.status) : HttpResponse(c.status, c.message);
    {
      const BindingHttpResult result(WithStatusParts(std::move(response), log));
      EXPECT_EQ(result.IsOk(), c.ok);
      EXPECT_EQ(result.Result().ErrorMessage(), c.ok ? "" : c.message);
      if (c.ok) {
        EXPECT_TRUE(result.Result().Value().IsEmpty());
      }
      ExpectStatusParts(result, c.status);
      // A failure drops the stream at once; a success keeps it for the host.
      EXPECT_EQ(result.Stream() != nullptr, c.ok);
      EXPECT_EQ(log.destroyed, c.ok ? 0 : 1);
    }
    EXPECT_EQ(log.destroyed, 1);
  }
}

TEST(BindingHttpResultTest, AssignmentsDestroyTheHeldStreamOnce) {
  BodyStreamLog first, second;
  BindingHttpResult result(WithStatusParts(HttpResponse(200), first));
  result = WithStatusParts(HttpResponse(404, "gone"), second);
  EXPECT_EQ(first.destroyed, 1);
  EXPECT_EQ(second.destroyed, 1);
  EXPECT_EQ(result.Result().ErrorMessage(), "gone");
  ExpectStatusParts(result, 404);

  BodyStreamLog third;
  result = WithStatusParts(HttpResponse(200), third);
  EXPECT_TRUE(result.IsOk()) << "assigning a response starts from the default";
  BindingResult failed;
  failed.SetFailure("binding failed");
  result = std::move(failed);
  EXPECT_EQ(third.destroyed, 1);
  EXPECT_EQ(result.Result().ErrorMessage(), "binding failed");
  ExpectStatusParts(result, 200);  // the status part stays

  BodyStreamLog fourth;
  result = WithStatusParts(HttpResponse(200), fourth);
  result.SetFailure("late");
  EXPECT_EQ(fourth.destroyed, 1);
  EXPECT_EQ(result.Stream(), nullptr);
}

TEST(BindingHttpResultTest, CopiesAndMovesOfTheStream) {
  BodyStreamLog log;
  {
    BindingHttpResult source(WithStatusParts(HttpResponse(200), log));
    source.Result().Value().SetInt64(5);

    const BindingHttpResult copy(source);
    EXPECT_EQ(copy.Stream(), nullptr);
    EXPECT_NE(source.Stream(), nullptr);
    EXPECT_EQ(copy.Result().Value().GetInt64(), 5);
    ExpectStatusParts(copy, 200);

    BindingHttpResult moved(std::move(source));
    EXPECT_NE(moved.Stream(), nullptr);
    const std::unique_ptr<ResponseBodyStream> taken = moved.TakeStream();
    EXPECT_EQ(moved.Stream(), nullptr);
    EXPECT_EQ(log.destroyed, 0);
  }
  EXPECT_EQ(log.destroyed, 1);
}

TEST(BindingHttpResultTest, FromValueAndOutcome) {
  BindingProperty value;
  value.SetBool(true);
  const BindingHttpResult fromValue(value);
  EXPECT_TRUE(fromValue.IsOk());
  EXPECT_TRUE(fromValue.Result().Value().GetBool());
  EXPECT_EQ(fromValue.StatusPart().status, 0);

  const BindingHttpResult success(MaybeType<Failure, void>::Success());
  EXPECT_TRUE(success.IsOk());
  EXPECT_TRUE(success.Result().Value().IsEmpty());

  const BindingHttpResult failure(MaybeType<Failure, void>(Failure(7, "broken")));
  EXPECT_FALSE(failure.IsOk());
  EXPECT_EQ(failure.Result().ErrorMessage(), "broken");
  EXPECT_EQ(failure.StatusPart().status, 0);
}

TEST(BindingHttpResultTest, ApplyResponseCopiesTheStatusOnBothBranches) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "ok" : "failed");
    BodyStreamLog log;
    const HttpResponse response =
        WithStatusParts(ok ? HttpResponse(0) : HttpResponse(423, "LOCKED"), log);
    BindingHttpResult result;
    result.Result().Value().SetString("converted");
    result.ApplyResponse(response);
    EXPECT_EQ(result.IsOk(), ok);
    EXPECT_EQ(ok ? result.Result().Value().GetString() : result.Result().ErrorMessage(),
              ok ? "converted" : "LOCKED");
    ExpectStatusParts(result, ok ? 0 : 423);
    EXPECT_EQ(result.Stream(), nullptr) << "a response's stream is not carried";
    EXPECT_EQ(log.destroyed, 0);
  }
}

}  // namespace
}  // namespace Zarn
