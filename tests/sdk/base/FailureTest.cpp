#include "sdk/base/Failure.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"

namespace Zarn {
namespace {

using Testing::FailsWith;
using Testing::HasAttribute;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::SizeIs;
using ::testing::StrEq;

const FailureAttribute kNoCode;

TEST(FailureTest, ConstructorsSetCodeMessageAndCodeAttribute) {
  static const char kLiteral[] = "literal text";
  std::string moved = "moved text";
  const std::string copied = "copied text";
  struct Case {
    const char* label;
    Failure failure;
    int32_t code;
    const char* message;
    bool borrowed;
  };
  const std::vector<Case> cases = {
      {"empty", Failure(), 0, "", true},
      {"code and literal", Failure(404, kLiteral), 404, "literal text", true},
      {"literal without code", Failure(0, kLiteral), 0, "literal text", true},
      {"null literal", Failure(500, static_cast<const char*>(nullptr)), 500, "", true},
      {"moved text", Failure(std::string("owned")), 0, "owned", false},
      {"code and moved text", Failure(-2, std::move(moved)), -2, "moved text", false},
      {"code and copied text", Failure(400, copied), 400, "copied text", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_THAT(c.failure, FailsWith(c.code, StrEq(c.message)));
    EXPECT_EQ(c.failure.HasBorrowedMessage(), c.borrowed);
    if (c.code == 0) {
      EXPECT_THAT(c.failure.Attributes(), IsEmpty());
    } else {
      EXPECT_THAT(c.failure.Attributes(), SizeIs(1));
      EXPECT_THAT(c.failure, HasAttribute("errorCode_int", FailureAttribute(c.code)));
    }
  }
  EXPECT_EQ(Failure(1, kLiteral).Message(), kLiteral);
}

TEST(FailureTest, CodeAndAttributesCanBeSetLater) {
  Failure failure(std::string("x"));
  failure.SetErrorCode(404);
  failure.SetErrorCode(0);  // a zero code changes nothing
  EXPECT_THAT(failure, FailsWith(404, StrEq("x")));
  EXPECT_EQ(failure.FindAttribute("errorCode_int")->AsInt(), 404);
  failure.SetErrorCode(-1);
  EXPECT_EQ(failure.FindAttribute("errorCode_int")->AsInt(), -1);

  failure.SetAttribute("count", -5);
  failure.SetAttribute("count", -7);
  const FailureAttribute* count = failure.FindAttribute("count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->tag, FailureAttribute::kInt);
  EXPECT_EQ(count->number, static_cast<uint64_t>(int64_t{-7}));
  EXPECT_EQ(failure.FindAttribute("missing"), nullptr);
}

TEST(FailureTest, BuildersFormatTheTemplateAndRecordItsArguments) {
  using A = FailureAttribute;
  struct Case {
    const char* label;
    Failure failure;
    int32_t code;
    const char* message;
    FailureAttributes attributes;
  };
  const std::string json = "{\"a\":1}";
  const std::vector<Case> cases = {
      {"one text",
       Failure::Make1("Couldn't convert LCDS call parameters: {error}", "bad"),
       0,
       "Couldn't convert LCDS call parameters: bad",
       {{"error", A("bad")}}},
      {"one text with code and positional template",
       Failure::Make1(500, "Cannot create custom lobby: %1", std::string("no queue")),
       500,
       "Cannot create custom lobby: no queue",
       {{"errorCode_int", A(500)}}},
      {"two texts",
       Failure::Make2("Couldn't convert LCDS DTO {name} to C++ from {json}", "Dto", json),
       0,
       "Couldn't convert LCDS DTO Dto to C++ from {\"a\":1}",
       {{"name", A("Dto")}, {"json", A(json)}}},
      {"two texts with code and %s",
       Failure::Make2(409, "%s: %s", "a", "b"),
       409,
       "a: b",
       {{"errorCode_int", A(409)}}},
      {"integer and text with code",
       Failure::Make2(400,
                      "Requested matchmaking queue %1 does not exist. Lobby will not be created. "
                      "Error: %2",
                      420, "gone"),
       400,
       "Requested matchmaking queue 420 does not exist. Lobby will not be created. Error: gone",
       {{"errorCode_int", A(400)}}},
      {"three texts with code",
       Failure::Make3(400,
                      "Request not sent: Error converting parameters for {method} {url}: {error}",
                      "GET", "/x", "bad"),
       400,
       "Request not sent: Error converting parameters for GET /x: bad",
       {{"method", A("GET")}, {"url", A("/x")}, {"error", A("bad")}, {"errorCode_int", A(400)}}},
      {"three texts without code",
       Failure::Make3("Error converting response for {method} {url}: {error}", "PUT", "/y", "e"),
       0,
       "Error converting response for PUT /y: e",
       {{"method", A("PUT")}, {"url", A("/y")}, {"error", A("e")}}},
      {"four texts",
       Failure::Make4("Expected '{expected}' as LCDS response for {destination}.{method}, but got "
                      "'{actual}'",
                      "A", "gameService", "m", "B"),
       0,
       "Expected 'A' as LCDS response for gameService.m, but got 'B'",
       {{"expected", A("A")},
        {"destination", A("gameService")},
        {"method", A("m")},
        {"actual", A("B")}}},
      {"four with code",
       Failure::Make4(7, "{a}{b}{c}{d}", 1, 2u, "3", int64_t{-4}),
       7,
       "123-4",
       {{"a", A(1)}, {"b", A(2u)}, {"c", A("3")}, {"d", A(int64_t{-4})}, {"errorCode_int", A(7)}}},
      {"three placeholders, two arguments",
       Failure::Make2("{a} then {b} then {c}.", "x", "y"),
       0,
       "x then y then .",
       {{"a", A("x")}, {"b", A("y")}}},
      {"null template", Failure::Make1(12, nullptr, "x"), 12, "", {{"errorCode_int", A(12)}}},
      {"null text argument",
       Failure::Make1("[{x}]", static_cast<const char*>(nullptr)),
       0,
       "[]",
       {{"x", A("")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_THAT(c.failure, FailsWith(c.code, StrEq(c.message)));
    EXPECT_FALSE(c.failure.HasBorrowedMessage());
    EXPECT_EQ(c.failure.Attributes(), c.attributes);
  }
}

TEST(FailureTest, LongMessagesAreCut) {
  const std::string long5000(5000, 'z');
  Failure failure = Failure::Make1(404, "{text}", long5000);
  EXPECT_EQ(std::string(failure.Message()), std::string(4095, 'z'));
  // The attribute keeps the whole argument.
  EXPECT_EQ(failure.FindAttribute("text")->text.size(), 5000u);
}

TEST(FailureTest, CopiesAndMoves) {
  static const char kLiteral[] = "borrowed";
  Failure borrowed(3, kLiteral);
  Failure copy = borrowed;
  EXPECT_EQ(copy.Message(), kLiteral);
  EXPECT_EQ(copy.Attributes(), borrowed.Attributes());

  Failure owned = Failure::Make1(9, "v={v}", 1);
  Failure moved = std::move(owned);
  EXPECT_THAT(moved, FailsWith(9, StrEq("v=1")));
  EXPECT_THAT(moved.Attributes(), SizeIs(2));
  EXPECT_THAT(owned.Attributes(), IsEmpty());  // NOLINT(bugprone-use-after-move)

  Failure assigned;
  assigned = std::move(moved);
  EXPECT_THAT(assigned, FailsWith(9, StrEq("v=1")));
  EXPECT_THAT(moved.Attributes(), IsEmpty());  // NOLINT(bugprone-use-after-move)
  assigned = copy;
  EXPECT_EQ(assigned.Message(), kLiteral);
  EXPECT_THAT(assigned, Not(HasAttribute("v", kNoCode)));
}

}  // namespace
}  // namespace Zarn
