#include <gtest/gtest.h>

#include <stdexcept>

#include "core/TStringList.h"

TEST(TStringList, KeepsOrderDuplicatesAndValueSemantics)
{
    TStringList list;
    list.Add(u"b");
    list.Add(u"a");
    list.Add(u"b");
    TStringList copy = list;
    list.Clear();
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy[0], u"b");
    EXPECT_EQ(copy.Strings(1), u"a");
    EXPECT_EQ(copy[2], u"b");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(copy[3], std::out_of_range);
    EXPECT_THROW(copy[-1], std::out_of_range);
}
