#include "text/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kelvo {
namespace {

Result<int> Half(int n) {
  if (n % 2) return Fail(std::errc::invalid_argument);
  return n / 2;
}

TEST(Result, HoldsAValueOrTheErrorThatKeptIt) {
  const Result<int> half = Half(8);
  ASSERT_TRUE(half);
  EXPECT_EQ(*half, 4);
  EXPECT_EQ(half.value_or(-1), 4);
  const Result<int> odd = Half(7);
  ASSERT_FALSE(odd);
  EXPECT_EQ(odd.error(), std::errc::invalid_argument);
  EXPECT_EQ(odd.value_or(-1), -1);
}

TEST(Result, AnErrorOfTheValuesOwnTypeStaysAnError) {
  // The value and the error are both texts: only Unexpected makes an error.
  const Result<std::string, std::string> failed = Unexpected{std::string("why")};
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(), "why");
  const Result<std::string, std::string> value = std::string("what");
  EXPECT_EQ(*value, "what");
}

TEST(Result, MovesValuesThatCannotBeCopied) {
  Result<std::unique_ptr<int>> owned = std::make_unique<int>(3);
  std::unique_ptr<int> taken = std::move(*owned);
  EXPECT_EQ(*taken, 3);
  Result<void> done;
  EXPECT_TRUE(done);
  Result<void> failed = Fail(std::make_error_code(std::errc::io_error));
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(), std::errc::io_error);
}

}  // namespace
}  // namespace kelvo
