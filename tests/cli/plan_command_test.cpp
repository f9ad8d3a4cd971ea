// zorvik-cli plan against hand calculations. 前一(定位胆) on 01234 is 5 lines: at 元 a multiple
// costs 10 and a win returns 19.2 at odds 1920 (9.2 a multiple over its cost).

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct PlanRun {
    QString out;
    QString err;
    int code = -1;
};

PlanRun plan(const QStringList& more, const QString& odds = u"1920"_s, const QString& numbers = u"01234"_s)
{
    QProcess p;
    p.start(QStringLiteral(ZORVIK_CLI_PATH), QStringList{u"plan"_s, u"前一(定位胆)"_s, numbers, u"--unit"_s, u"元"_s,
                                                         u"--odds"_s, odds} + more);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()), p.exitCode()};
}

QJsonObject plan_json(const QStringList& more, const QString& odds = u"1920"_s)
{
    const PlanRun r = plan(more + QStringList{u"--json"_s}, odds);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

QString multipliers(const QStringList& more, const QString& odds = u"1920"_s)
{
    return plan_json(more, odds).value(u"plan"_s).toString();
}

} // namespace

TEST(PlanCommand, AFixedProfitTakesTheSmallestMultiplierThatLeavesIt)
{
    // 9.2m ≥ 10 + staked: 2 (20), 4 (60), 8 (140), 17 (310).
    const QJsonObject p = plan_json({u"--steps"_s, u"4"_s, u"--profit"_s, u"10"_s});
    EXPECT_EQ(p.value(u"plan"_s).toString(), u"2,4,8,17"_s);
    EXPECT_DOUBLE_EQ(p.value(u"money"_s).toDouble(), 310);
    const QJsonObject last = p.value(u"steps"_s).toArray().last().toObject();
    EXPECT_DOUBLE_EQ(last.value(u"cost"_s).toDouble(), 170);
    EXPECT_DOUBLE_EQ(last.value(u"win"_s).toDouble(), 326.4);
    EXPECT_NEAR(last.value(u"profit"_s).toDouble(), 16.4, 1e-9);
    EXPECT_TRUE(p.value(u"ended"_s).toString().isEmpty());
    // Met exactly at one multiple, and missed by a 厘.
    EXPECT_EQ(multipliers({u"--steps"_s, u"1"_s, u"--profit"_s, u"9.2"_s}), u"1"_s);
    EXPECT_EQ(multipliers({u"--steps"_s, u"1"_s, u"--profit"_s, u"9.201"_s}), u"2"_s);
    // Never below the first multiplier.
    EXPECT_EQ(multipliers({u"--steps"_s, u"2"_s, u"--first"_s, u"3"_s, u"--profit"_s, u"10"_s}), u"3,5"_s);
}

TEST(PlanCommand, ARateIsCountedOverEverythingStakedSoFar)
{
    // 19.2m − T ≥ 0.5 T: 1 (10), 4 (50), 18 (230).
    const QJsonObject p = plan_json({u"--steps"_s, u"3"_s, u"--rate"_s, u"50"_s});
    EXPECT_EQ(p.value(u"plan"_s).toString(), u"1,4,18"_s);
    EXPECT_DOUBLE_EQ(p.value(u"money"_s).toDouble(), 230);
    EXPECT_NEAR(p.value(u"steps"_s).toArray()[1].toObject().value(u"rate"_s).toDouble(), 53.6, 1e-9);
    // 92 % is met exactly at every multiple of the first step; 92.1 % never is.
    EXPECT_EQ(multipliers({u"--steps"_s, u"1"_s, u"--rate"_s, u"92"_s}), u"1"_s);
    const QJsonObject never = plan_json({u"--steps"_s, u"3"_s, u"--rate"_s, u"92.1"_s});
    EXPECT_TRUE(never.value(u"steps"_s).toArray().isEmpty());
    EXPECT_EQ(never.value(u"ended"_s).toString(),
              u"第 1 步：中奖的奖金抵不过投注的成本，任何倍数都达不到目标：方案到第 0 步为止"_s);
}

TEST(PlanCommand, AStepNoMultiplierCanReachEndsTheTable)
{
    // At odds 1000 a win returns what the lines cost: the first step breaks even, the second
    // cannot make up for it.
    const PlanRun r = plan({u"--steps"_s, u"5"_s, u"--profit"_s, u"0"_s}, u"1000"_s);
    ASSERT_EQ(r.code, 0);
    const QStringList lines = r.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
    EXPECT_EQ(lines[0], u"步\t倍数\t本步投入\t累计投入\t中奖返还\t中奖盈利\t盈利率"_s);
    EXPECT_EQ(lines[1], u"1\t1\t10\t10\t10\t0\t0%"_s);
    EXPECT_EQ(lines[2], u"资金需求\t10"_s);
    EXPECT_EQ(lines[3], u"第 2 步：中奖的奖金抵不过投注的成本，任何倍数都达不到目标：方案到第 1 步为止"_s);
}

TEST(PlanCommand, ACapEndsThePlanBeforeTheStepThatWouldPassIt)
{
    const QStringList ten{u"--steps"_s, u"4"_s, u"--profit"_s, u"10"_s};
    EXPECT_EQ(multipliers(ten + QStringList{u"--max-multiplier"_s, u"17"_s}), u"2,4,8,17"_s);
    const QJsonObject capped = plan_json(ten + QStringList{u"--max-multiplier"_s, u"16"_s});
    EXPECT_EQ(capped.value(u"plan"_s).toString(), u"2,4,8"_s);
    EXPECT_EQ(capped.value(u"ended"_s).toString(), u"第 4 步需要 17 倍，超过最大倍数 16：方案到第 3 步为止"_s);
    EXPECT_DOUBLE_EQ(capped.value(u"money"_s).toDouble(), 140);
    // The money in all: 140 after step 3 is within a budget of 140, not of 139.999.
    EXPECT_EQ(multipliers(ten + QStringList{u"--budget"_s, u"140"_s}), u"2,4,8"_s);
    const QJsonObject short_budget = plan_json(ten + QStringList{u"--budget"_s, u"139.999"_s});
    EXPECT_EQ(short_budget.value(u"plan"_s).toString(), u"2,4"_s);
    EXPECT_EQ(short_budget.value(u"ended"_s).toString(), u"第 3 步会使投入达到 140，超过资金上限 139.999：方案到第 2 步为止"_s);
}

TEST(PlanCommand, BadInputIsRefusedWithAMessage)
{
    const auto refused = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(ZORVIK_CLI_PATH), QStringList{u"plan"_s} + args);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_FALSE(err.isEmpty());
        return p.exitCode() == 2 ? err : QString();
    };
    const QStringList rest{u"--unit"_s, u"元"_s, u"--odds"_s, u"1920"_s};
    EXPECT_TRUE(refused(QStringList{u"某某(定位胆)"_s, u"1"_s, u"--steps"_s, u"3"_s, u"--profit"_s, u"1"_s} + rest)
                    .contains(u"unknown play"_s));
    EXPECT_FALSE(refused(QStringList{u"前三(直选复式)"_s, u"1*2"_s, u"--steps"_s, u"3"_s, u"--profit"_s, u"1"_s} + rest)
                     .isEmpty()); // numbers the play refuses
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"0"_s, u"--profit"_s, u"1"_s} + rest)
                    .contains(u"steps"_s));
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"-2"_s, u"--profit"_s, u"1"_s} + rest)
                    .contains(u"steps"_s));
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"3"_s, u"--rate"_s, u"lots"_s} + rest)
                    .contains(u"rate"_s));
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"3"_s, u"--profit"_s, u"x1"_s} + rest)
                    .contains(u"profit"_s));
    // Both targets, or neither: the usage.
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"3"_s} + rest).startsWith(u"usage:"_s));
    EXPECT_TRUE(refused(QStringList{u"前一(定位胆)"_s, u"1"_s, u"--steps"_s, u"3"_s, u"--profit"_s, u"1"_s, u"--rate"_s,
                                    u"1"_s} + rest)
                    .startsWith(u"usage:"_s));
}
