#include <gtest/gtest.h>

#include <memory>

#include "record/result.h"

namespace tracelink {
namespace {

Result<std::unique_ptr<int>> makeValue(bool good) {
  if (!good) return Error{"no value"};
  return std::make_unique<int>(7);
}

TEST(ResultTest, CarriesAValueOrAnError) {
  Result<std::unique_ptr<int>> good = makeValue(true);
  ASSERT_TRUE(good.ok());
  EXPECT_EQ(**good, 7);
  std::unique_ptr<int> moved = std::move(good).value();
  EXPECT_EQ(*moved, 7);

  const Result<std::unique_ptr<int>> bad = makeValue(false);
  EXPECT_FALSE(bad);
  EXPECT_EQ(bad.error().text(), "no value");

  const Status fine;
  EXPECT_TRUE(fine.ok());
  const Status broken = Error{"broken"};
  EXPECT_FALSE(broken);
  EXPECT_EQ(broken.error().text(), "broken");
}

}  // namespace
}  // namespace tracelink
