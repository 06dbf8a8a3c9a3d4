#include <gtest/gtest.h>
#include "text/text.hpp"
TEST(Text, Placeholder) { std::string s = "a "; gs::trim_right(s); EXPECT_EQ(s, "a"); }
