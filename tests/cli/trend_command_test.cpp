// zorvik-cli trend against a history counted by hand: 万 draws 1,1,2,1,1,3 over six draws.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class TrendCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile f(file_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("20261209-0001:1,2,3,4,5\n20261209-0002:1,0,0,0,0\n20261209-0003:2,0,0,0,0\n"
                "20261209-0004:1,9,9,9,9\n20261209-0005:1,9,9,9,9\n20261209-0006:3,9,9,9,9\n");
    }

    QString run(const QStringList& more, int* code = nullptr)
    {
        QProcess p;
        p.start(QStringLiteral(ZORVIK_CLI_PATH), QStringList{u"trend"_s, file_} + more);
        EXPECT_TRUE(p.waitForFinished(30000));
        if (code)
            *code = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    QJsonObject json(const QStringList& more = {})
    {
        return QJsonDocument::fromJson(run(more + QStringList{u"--json"_s}).toUtf8()).object();
    }
    static QJsonObject digit(const QJsonObject& trend, int position, int d)
    {
        return trend[u"positions"_s].toArray()[position].toObject()[u"digits"_s].toArray()[d].toObject();
    }
    static std::array<int, 4> counts(const QJsonObject& s)
    {
        return {s[u"appearances"_s].toInt(), s[u"current_miss"_s].toInt(), s[u"longest_miss"_s].toInt(),
                s[u"longest_run"_s].toInt()};
    }

    QTemporaryDir dir_;
    QString file_ = dir_.filePath(u"history.txt"_s);
};

} // namespace

TEST_F(TrendCommand, EachDigitsMissesAndRunsAreCountedPerPosition)
{
    const QJsonObject t = json();
    ASSERT_EQ(t[u"draws"_s].toArray().size(), 6);
    EXPECT_EQ(t[u"draws"_s].toArray()[5].toObject()[u"issue"_s].toString(), u"20261209-0006"_s);
    ASSERT_EQ(t[u"positions"_s].toArray().size(), 5);
    // appearances, current miss, longest miss, longest run
    EXPECT_EQ(counts(digit(t, 0, 1)), (std::array<int, 4>{4, 1, 1, 2}));
    EXPECT_EQ(counts(digit(t, 0, 2)), (std::array<int, 4>{1, 3, 3, 1}));
    EXPECT_EQ(counts(digit(t, 0, 3)), (std::array<int, 4>{1, 0, 5, 1}));
    EXPECT_EQ(counts(digit(t, 0, 0)), (std::array<int, 4>{0, 6, 6, 0}));
    EXPECT_EQ(digit(t, 0, 7)[u"digit"_s].toInt(), 7);
    // 千: 2,0,0,9,9,9: 9's run of three is still going, 0's of two ended.
    EXPECT_EQ(counts(digit(t, 1, 9)), (std::array<int, 4>{3, 0, 3, 3}));
    EXPECT_EQ(counts(digit(t, 1, 0)), (std::array<int, 4>{2, 3, 3, 2}));
    const QJsonObject first = t[u"positions"_s].toArray()[0].toObject();
    const QJsonArray big_small = first[u"big_small"_s].toArray();
    EXPECT_EQ(big_small[0].toObject()[u"name"_s].toString(), u"大"_s);
    EXPECT_EQ(counts(big_small[0].toObject()), (std::array<int, 4>{0, 6, 6, 0}));
    EXPECT_EQ(counts(big_small[1].toObject()), (std::array<int, 4>{6, 0, 0, 6}));
    const QJsonArray odd_even = first[u"odd_even"_s].toArray();
    EXPECT_EQ(odd_even[0].toObject()[u"name"_s].toString(), u"单"_s);
    EXPECT_EQ(counts(odd_even[0].toObject()), (std::array<int, 4>{5, 0, 1, 3}));
    EXPECT_EQ(counts(odd_even[1].toObject()), (std::array<int, 4>{1, 3, 3, 1}));
}

TEST_F(TrendCommand, TheLastDrawsAloneAreCounted)
{
    // Without the first draw, 1's first run is one draw long and 3 missed four before it came.
    const QJsonObject t = json({u"--last"_s, u"5"_s});
    ASSERT_EQ(t[u"draws"_s].toArray().size(), 5);
    EXPECT_EQ(counts(digit(t, 0, 1)), (std::array<int, 4>{3, 1, 1, 2}));
    EXPECT_EQ(counts(digit(t, 0, 3)), (std::array<int, 4>{1, 0, 4, 1}));
    EXPECT_EQ(counts(digit(t, 0, 2)), (std::array<int, 4>{1, 3, 3, 1}));
    // More than there are: all of them.
    EXPECT_EQ(json({u"--last"_s, u"7"_s})[u"draws"_s].toArray().size(), 6);
    int code = 0;
    run({u"--last"_s, u"0"_s}, &code);
    EXPECT_EQ(code, 2);
}

TEST_F(TrendCommand, TheGridShowsTheDrawnDigitAndEveryOthersMisses)
{
    const QStringList lines = run({}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 6);
    const QStringList third = lines[2].split(u'\t');
    ASSERT_EQ(third.size(), 2 + 50);
    EXPECT_EQ(third[0], u"20261209-0003"_s);
    // 万 of the third draw: 0 missed three, 1 one, 2 drawn, 3 three.
    EXPECT_EQ(third.mid(2, 4), (QStringList{u"3"_s, u"1"_s, u"[2]"_s, u"3"_s}));
    EXPECT_TRUE(lines.contains(u"万位\t1\t出现 4\t当前遗漏 1\t最大遗漏 1\t最大连出 2"_s));
}
