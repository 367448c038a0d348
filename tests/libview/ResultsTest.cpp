// The words and row colours of the lists' results, without a display.
#include <gtest/gtest.h>

#include "libview/Results.h"

using libview::ResultColor;
using libview::ResultText;
using libview::TResultColors;

namespace {

TEST(ResultTextsAndColors, InResultOrder) {
  EXPECT_EQ(ResultText(0), "相同");
  EXPECT_EQ(ResultText(1), "增加");
  EXPECT_EQ(ResultText(2), "减少");
  EXPECT_EQ(ResultText(3), "更改");
  EXPECT_EQ(ResultText(7), "");
  TResultColors colors{0x11, 0x22, 0x33};
  EXPECT_EQ(ResultColor(crSame, colors), 0xFFFFFFu);
  EXPECT_EQ(ResultColor(crAdded, colors), 0x11u);
  EXPECT_EQ(ResultColor(crDeleted, colors), 0x22u);
  EXPECT_EQ(ResultColor(crChanged, colors), 0x33u);
}

}  // namespace
