#include <gtest/gtest.h>

#include "core/HintText.h"

TEST(HintText, SplitsAtTheFirstBar)
{
    struct TRow {
        std::u16string Hint, Short, Long;
    };
    const TRow rows[] = {
        { u"終了|アプリケーションを終了します", u"終了", u"アプリケーションを終了します" },
        { u"フォルダーの参照", u"フォルダーの参照", u"フォルダーの参照" },
        { u"a|b|c", u"a", u"b|c" },
        { u"|long", u"", u"long" },
        { u"", u"", u"" },
    };
    for (const TRow& row : rows) {
        EXPECT_EQ(ShortHint(row.Hint), row.Short);
        EXPECT_EQ(LongHint(row.Hint), row.Long);
    }
}
