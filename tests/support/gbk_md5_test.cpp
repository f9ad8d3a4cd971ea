#include "support/gbk.h"
#include "support/md5.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::support;

TEST(Gbk, EncodesChineseAsDoubleBytes)
{
    EXPECT_EQ(to_gbk(u"中文"_s), "\xD6\xD0\xCE\xC4"_ba);
    EXPECT_EQ(to_gbk(u"挂"_s), "\xB9\xD2"_ba);
    EXPECT_EQ(to_gbk(u"abc"_s), "abc"_ba);
    EXPECT_EQ(to_gbk(u"€"_s), "\x80"_ba);
    EXPECT_EQ(to_gbk(u"😀"_s), "?"_ba); // outside the code page
}

TEST(Gbk, DecodesBothWays)
{
    const QString text = u"Zorvik分分彩遗漏监控 ≥≤＝"_s;
    EXPECT_EQ(from_gbk(to_gbk(text)), text);
    EXPECT_EQ(from_gbk("\xD6\xD0"_ba), u"中"_s);
}

TEST(Gbk, PrefixNeverSplitsACharacter)
{
    const QByteArray bytes = to_gbk(u"a中文"_s); // 1 + 2 + 2 bytes
    EXPECT_EQ(gbk_prefix(bytes, 2), "a"_ba);
    EXPECT_EQ(gbk_prefix(bytes, 3), to_gbk(u"a中"_s));
    EXPECT_EQ(gbk_prefix(bytes, 100), bytes);
    EXPECT_EQ(gbk_prefix(bytes, 0), QByteArray());
}

TEST(Gbk, CutKeepsWholeCharactersWithinTheBytes)
{
    EXPECT_EQ(gbk_cut(u"a中文"_s, 5), u"a中文"_s);
    EXPECT_EQ(gbk_cut(u"a中文"_s, 4), u"a中"_s);
    EXPECT_EQ(gbk_cut(u"a中文"_s, 3), u"a中"_s);
    EXPECT_EQ(gbk_cut(u"a中文"_s, 2), u"a"_s);
    EXPECT_EQ(gbk_cut(u"a中文"_s, 0), QString());
    // A character GBK cannot hold is one "?" byte, and a surrogate pair is never split.
    EXPECT_EQ(gbk_cut(u"a\U0001F600b"_s, 2), u"a\U0001F600"_s);
    EXPECT_EQ(gbk_cut(u"a\U0001F600b"_s, 1), u"a"_s);
}

TEST(Md5Calc, DigestsTheGbkBytesInUpperCase)
{
    EXPECT_EQ(Md5_Calc(QString()), u"D41D8CD98F00B204E9800998ECF8427E"_s);
    EXPECT_EQ(Md5_Calc(u"abc"_s), u"900150983CD24FB0D6963F7D28E17F72"_s);
    // MD5 of the GBK bytes D6 D0 CE C4, not of the UTF-8 bytes.
    EXPECT_EQ(Md5_Calc(u"中文"_s), u"BCCE109775E8E1972E9F5FCDA3E12895"_s);
    EXPECT_NE(Md5_Calc(u"中文"_s), u"A7BAC2239FCDCB3A067903D8077C4A07"_s);
}
