#include "sdk/binding/BindingResult.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/sdk/binding/BindingPropertyTesting.h"

namespace {

using namespace Zarn;
using Zarn::Testing::Describe;

TEST(BindingResultTest, DefaultAndCopiedValuesSucceed) {
  BindingResult empty;
  EXPECT_TRUE(empty.IsOk());
  EXPECT_TRUE(empty.Value().IsEmpty());
  EXPECT_EQ(empty.ErrorMessage(), "");

  BindingProperty value;
  value.Member("error").SetString("not an error: the result succeeded");
  BindingResult fromValue(value);
  EXPECT_TRUE(fromValue.IsOk());
  EXPECT_EQ(fromValue.ErrorMessage(), "");
  EXPECT_EQ(Describe(fromValue.Value()), Describe(value));
  value.Member("error").SetInt64(1);
  EXPECT_EQ(fromValue.Value().FindMember("error").Kind(), BindingPropertyKind::String)
      << "the result holds a copy";
}

TEST(BindingResultTest, FailureHoldsTheMessageInMemberError) {
  BindingResult result;
  result.Value().SetInt64(5);
  result.SetFailure("Invalid value.");
  EXPECT_FALSE(result.IsOk());
  EXPECT_EQ(result.ErrorMessage(), "Invalid value.");
  EXPECT_EQ(Describe(result.Value()), "{error:\"Invalid value.\"}");

  // The message may come from the result itself.
  result.SetFailure(result.ErrorMessage());
  EXPECT_EQ(result.ErrorMessage(), "Invalid value.");

  result.Value().Member("error").SetInt64(3);
  EXPECT_EQ(result.ErrorMessage(), "") << "an error member that is not a string";
  result.Value().SetBool(true);
  EXPECT_EQ(result.ErrorMessage(), "");

  result.Reset();
  EXPECT_TRUE(result.IsOk());
  EXPECT_TRUE(result.Value().IsEmpty());
}

TEST(BindingResultTest, CopyAndMoveCarryTheFlag) {
  BindingResult failed;
  failed.SetFailure("boom");
  BindingResult succeeded;
  succeeded.Value().SetString("fine");

  for (const BindingResult* source : {&failed, &succeeded}) {
    SCOPED_TRACE(source->IsOk() ? "success" : "failure");
    BindingResult copied(*source);
    BindingResult assigned;
    assigned = *source;
    BindingResult movedFrom(*source);
    BindingResult moved(std::move(movedFrom));
    BindingResult moveAssigned;
    moveAssigned.SetFailure("other");
    BindingResult moveSource(*source);
    moveAssigned = std::move(moveSource);
    for (const BindingResult* result : {&copied, &assigned, &moved, &moveAssigned}) {
      EXPECT_EQ(result->IsOk(), source->IsOk());
      EXPECT_EQ(result->ErrorMessage(), source->ErrorMessage());
      EXPECT_EQ(Describe(result->Value()), Describe(source->Value()));
    }
    EXPECT_TRUE(movedFrom.Value().IsEmpty());
  }
}

}  // namespace
