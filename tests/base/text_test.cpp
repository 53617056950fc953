// Text conversions and string routines.
#include "utils/text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTest, Utf8RoundTrip) {
    EXPECT_EQ(Utils::ToNarrow(L"\u4e2d", Utils::kCodePageUtf8), "\xE4\xB8\xAD");
    EXPECT_EQ(Utils::ToWide("\xE4\xB8\xAD", Utils::kCodePageUtf8), L"\u4e2d");
}

}  // namespace
