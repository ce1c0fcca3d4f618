#include "sdk/base/MaybeType.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/sdk/base/FailureTesting.h"

namespace Zarn {
namespace {

using ::testing::Eq;
using Testing::FailsWith;
using Testing::HoldsValue;
using ::testing::IsEmpty;
using Testing::IsFailed;
using Testing::IsSucceeded;
using ::testing::Pointee;
using ::testing::StrEq;

// Counts live instances, so that every path is seen to destroy what it made.
struct Tracked {
  static inline int live = 0;
  int value;
  explicit Tracked(int v) : value(v) { ++live; }
  Tracked(const Tracked& o) : value(o.value) { ++live; }
  Tracked(Tracked&& o) noexcept : value(o.value) { ++live; }
  Tracked& operator=(const Tracked&) = default;
  Tracked& operator=(Tracked&&) = default;
  ~Tracked() { --live; }
};

TEST(MaybeTypeTest, DefaultIsTheEmptyFailure) {
  MaybeType<Failure, std::string> text;
  MaybeType<Failure, int> number;
  MaybeType<Failure, void> none;
  EXPECT_THAT(text, FailsWith(0, StrEq("")));
  EXPECT_THAT(number, FailsWith(0, StrEq("")));
  EXPECT_THAT(none, FailsWith(0, StrEq("")));
  EXPECT_THAT(text.GetFailure().Attributes(), IsEmpty());
  EXPECT_TRUE(none.GetFailure().HasBorrowedMessage());
  EXPECT_FALSE(static_cast<bool>(text));
  EXPECT_STREQ(text.Message(), "");
}

TEST(MaybeTypeTest, HoldsValueOrFailure) {
  MaybeType<Failure, std::string> value = std::string("abc");
  MaybeType<Failure, std::string> converted = "literal";
  MaybeType<Failure, std::string> failed = Failure(404, "Not found");
  MaybeType<Failure, void> success = MaybeType<Failure, void>::Success();
  MaybeType<Failure, void> voidFailed = Failure::Make1(500, "x {y}", "z");

  EXPECT_THAT(value, HoldsValue(Eq("abc")));
  EXPECT_EQ(value->size(), 3u);
  EXPECT_EQ(*converted, "literal");
  EXPECT_STREQ(value.Message(), "");
  EXPECT_THAT(failed, FailsWith(404, StrEq("Not found")));
  EXPECT_STREQ(failed.Message(), "Not found");
  EXPECT_THAT(success, IsSucceeded());
  EXPECT_STREQ(success.Message(), "");
  EXPECT_THAT(voidFailed, FailsWith(500, StrEq("x z")));
  EXPECT_THAT(voidFailed, Testing::HasAttribute("y", FailureAttribute("z")));
}

TEST(MaybeTypeTest, CopyMoveAndAssignKeepTheHeldAlternative) {
  ASSERT_EQ(Tracked::live, 0);
  {
    using Result = MaybeType<Failure, Tracked>;
    Result value = Tracked(7);
    Result failed = Failure(1, "f");
    EXPECT_EQ(Tracked::live, 1);

    Result copiedValue = value;
    Result copiedFailure = failed;
    Result movedValue = std::move(copiedValue);
    EXPECT_THAT(movedValue, IsSucceeded());
    EXPECT_EQ(movedValue->value, 7);
    EXPECT_THAT(copiedFailure, FailsWith(1, StrEq("f")));
    EXPECT_EQ(Tracked::live, 3);

    // Every pair of alternatives, by copy and by move.
    struct Step {
      const char* label;
      Result& target;
      const Result& source;
      bool move;
      int live;
    };
    Result a = Tracked(1);
    Result b = Failure(2, "b");
    const int before = Tracked::live;
    std::vector<Step> steps = {
        {"value <- failure", a, failed, false, before - 1},
        {"failure <- value", b, value, false, before},
        {"value <- value", b, movedValue, true, before},
        {"failure <- failure", a, copiedFailure, true, before},
        {"failure <- value by move", a, value, true, before + 1},
    };
    for (Step& step : steps) {
      SCOPED_TRACE(step.label);
      if (step.move) {
        step.target = std::move(const_cast<Result&>(step.source));
      } else {
        step.target = step.source;
      }
      EXPECT_EQ(step.target.IsFailure(), step.source.IsFailure());
      EXPECT_EQ(Tracked::live, step.live);
    }
    EXPECT_EQ(a->value, 7);
    EXPECT_THAT(b, IsSucceeded());
    a = a;  // self-assignment keeps the value
    EXPECT_EQ(a->value, 7);
  }
  EXPECT_EQ(Tracked::live, 0);
}

TEST(MaybeTypeTest, MoveOnlyValuesAndTakingTheFailure) {
  MaybeType<Failure, std::unique_ptr<int>> owned = std::make_unique<int>(5);
  MaybeType<Failure, std::unique_ptr<int>> moved = std::move(owned);
  EXPECT_THAT(moved, HoldsValue(Pointee(5)));
  std::unique_ptr<int> taken = std::move(moved).Value();
  EXPECT_EQ(*taken, 5);
  static_assert(!std::is_copy_constructible_v<MaybeType<Failure, std::unique_ptr<int>>>);

  MaybeType<Failure, int> failed = Failure::Make1(403, "{who} may not", "me");
  Failure failure = std::move(failed).GetFailure();
  EXPECT_THAT(failure, FailsWith(403, StrEq("me may not")));
  // A failure passes on to a result of another type.
  MaybeType<Failure, std::string> passed = failure;
  EXPECT_THAT(passed, FailsWith(403, StrEq("me may not")));
}

TEST(MaybeTypeDeathTest, ReadingTheMissingAlternativeAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MaybeType<Failure, int> failed = Failure(500, "it broke");
  MaybeType<Failure, int> value = 1;
  MaybeType<Failure, void> success = MaybeType<Failure, void>::Success();
  MaybeType<Failure, std::string> empty;
  EXPECT_DEATH((void)failed.Value(), "value read from a failed result: it broke");
  EXPECT_DEATH((void)*empty, "value read from a failed result");
  EXPECT_DEATH((void)value.GetFailure(), "failure read from a successful result");
  EXPECT_DEATH((void)success.GetFailure(), "failure read from a successful result");
}

}  // namespace
}  // namespace Zarn
