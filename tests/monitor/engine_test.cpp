#include "fakes/recording_shell.h"
#include "monitor/engine.h"
#include "qt_printers.h"
#include "support/gbk.h"
#include "support/ini.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::monitor;
using zorvik::support::ini_read;
using zorvik::support::ini_write;
using zorvik::testing::RecordingShell;

namespace {

class Engine : public ::testing::Test {
protected:
    QString file() const { return dir_.filePath(u"bao/cfg.ini"_s); }
    QString stored() const { return ini_read(u"alert_cfg"_s, u"list"_s, file()); }

    static EditorRecord editor(const QString& numbers, const QString& threshold = u"10"_s,
                               const QString& initial = u"0"_s)
    {
        EditorRecord e;
        e.ticked = {true, true, true, false, false};
        e.play = u"直选复式"_s;
        e.numbers = numbers;
        e.threshold = threshold;
        e.initial_status = initial;
        return e;
    }

    void add(const QString& numbers, const QString& threshold = u"10"_s,
             const QString& initial = u"0"_s)
    {
        EditorRecord e = editor(numbers, threshold, initial);
        ASSERT_EQ(engine_.save_monitor(e), QString());
    }

    QTemporaryDir dir_;
    RecordingShell shell_;
    MonitorEngine engine_{shell_, dir_.filePath(u"bao/cfg.ini"_s)};
};

} // namespace

TEST_F(Engine, AddStoresShowsAndSaves)
{
    add(u"0123"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"添加成功"_s});
    ASSERT_EQ(engine_.rows().size(), 1);
    EXPECT_EQ(engine_.rows()[0].position, 1);
    EXPECT_TRUE(engine_.list().text().startsWith(u"|ABC~直选复式~前三(直选复式)~0123~"_s));
    EXPECT_EQ(stored(), engine_.list().stored_form());
    EXPECT_TRUE(shell_.tips.isEmpty()); // 0 is not at least 10
}

TEST_F(Engine, DuplicateAddIsRefused)
{
    add(u"0123"_s);
    shell_.clear();
    EditorRecord again = editor(u"0123"_s);
    EXPECT_EQ(engine_.save_monitor(again), QString());
    EXPECT_EQ(shell_.messages, QStringList{u"已经存在同样的监控记录或投注配置，无法重复添加！"_s});
    EXPECT_EQ(engine_.list().positions().size(), 1);
}

TEST_F(Engine, RefusalsChangeNothing)
{
    EditorRecord none = editor(u"0123"_s);
    none.ticked = {};
    EXPECT_EQ(engine_.save_monitor(none), QString());
    EditorRecord bad = editor(u"0123*45"_s);
    EXPECT_EQ(engine_.save_monitor(bad),
              u"号码格式有误，发现有号码不是3星直选复式, 该玩法只允许输入3组*号分隔的号码, 如下：\r\n0123*45"_s);
    EXPECT_EQ(shell_.messages, QStringList{u"请勾选要监控的位置"_s});
    EXPECT_TRUE(engine_.list().empty());
    EXPECT_EQ(stored(), QString()); // nothing was written
}

TEST_F(Engine, AMonitorMeetingItsConditionAlertsRightAfterAdding)
{
    add(u"0123"_s, u"0"_s, u"0"_s); // ≥0 with current 0
    EXPECT_EQ(shell_.tips, QStringList{QString::fromUtf16(kAlertTip)});
    EXPECT_EQ(shell_.sounds, QStringList{QString()});
    EXPECT_TRUE(engine_.rows()[0].marked);
    EXPECT_EQ(shell_.messages, QStringList{u"添加成功"_s});
    // Where several lotteries are followed, the tip names its own.
    shell_.clear();
    engine_.set_tip_prefix(u"【U彩平台-欢乐分分彩】"_s);
    add(u"0124"_s, u"0"_s, u"0"_s);
    EXPECT_EQ(shell_.tips, QStringList{u"【U彩平台-欢乐分分彩】"_s + QString::fromUtf16(kAlertTip)});
}

TEST_F(Engine, OneTipAndSoundPerRebuildWhateverAlerts)
{
    add(u"0123"_s, u"0"_s);
    add(u"4567"_s, u"0"_s);
    add(u"89"_s, u"0"_s);
    shell_.clear();
    engine_.refresh();
    EXPECT_EQ(shell_.tips.size(), 1);
    EXPECT_EQ(shell_.sounds.size(), 1);
    for (const MonitorRow& row : engine_.rows())
        EXPECT_TRUE(row.marked);

    engine_.set_alert_options(false, true);
    shell_.clear();
    engine_.refresh();
    EXPECT_TRUE(shell_.tips.isEmpty());
    EXPECT_EQ(shell_.sounds.size(), 1);
    engine_.set_alert_options(true, false);
    shell_.clear();
    engine_.refresh();
    EXPECT_EQ(shell_.tips.size(), 1);
    EXPECT_TRUE(shell_.sounds.isEmpty());
}

TEST_F(Engine, ModifyKeepsThePositionAndResetsStatistics)
{
    add(u"0123"_s);
    add(u"4567"_s);
    add(u"89"_s);
    // Statistics gathered since adding.
    Monitor second = *engine_.list().at(2);
    second.set(kCurrent, u"7"_s);
    second.set(kTotals, u"1:6:1:6"_s);
    second.set(kDrawCount, u"7"_s);
    MonitorList list = engine_.list();
    list.replace(2, second);
    ASSERT_TRUE(ini_write(u"alert_cfg"_s, u"list"_s, list.text(), file()));
    engine_.load();

    shell_.clear();
    auto e = engine_.modify_monitor(2, EditorRecord());
    ASSERT_TRUE(e.has_value());
    // The question names the monitor.
    EXPECT_EQ(shell_.confirmations.at(0).text, u"修改后将会重置监控数据和投注记录，确认修改？\r\n前三(直选复式) 4567"_s);
    EXPECT_EQ(shell_.confirmations.at(0).title, u"Zorvik分分彩遗漏监控挂机投注软件 - 确认"_s);
    EXPECT_EQ(e->numbers, u"4567"_s);
    EXPECT_EQ(e->initial_status, u"7"_s);
    e->numbers = u"45678"_s;
    e->initial_status = u"2"_s;
    EXPECT_EQ(engine_.save_monitor(*e), QString());
    EXPECT_EQ(e->id, 0);
    EXPECT_EQ(shell_.messages, QStringList{u"修改成功"_s});

    const Monitor modified = *engine_.list().at(2);
    EXPECT_EQ(modified.field(kNumbers), u"45678"_s);
    EXPECT_EQ(modified.field(kCurrent), u"2"_s);
    EXPECT_EQ(modified.field(kDrawCount), u"0"_s);
    EXPECT_EQ(modified.field(kTotals), u"0:0:0:0"_s);
    EXPECT_EQ(engine_.list().at(1)->field(kNumbers), u"0123"_s);
    EXPECT_EQ(engine_.list().at(3)->field(kNumbers), u"89"_s);
    EXPECT_EQ(stored(), engine_.list().stored_form());
}

TEST_F(Engine, ModifyAfterTheListChangedNeverOverwritesAnotherMonitor)
{
    add(u"0123"_s);
    add(u"4567"_s);
    auto e = engine_.modify_monitor(2, EditorRecord());
    ASSERT_TRUE(e.has_value());
    engine_.delete_monitor(1); // the edited monitor moves to position 1
    e->numbers = u"45678"_s;
    EXPECT_EQ(engine_.save_monitor(*e), QString());
    ASSERT_EQ(engine_.list().positions().size(), 1);
    EXPECT_EQ(engine_.list().at(1)->field(kNumbers), u"45678"_s);
}

TEST_F(Engine, ModifyNeedsASelectionAndAConfirmation)
{
    add(u"0123"_s);
    shell_.clear();
    EXPECT_FALSE(engine_.modify_monitor(std::nullopt, EditorRecord()).has_value());
    EXPECT_EQ(shell_.messages, QStringList{u"请选择一条要修改的监控"_s});
    shell_.answers = {false};
    EXPECT_FALSE(engine_.modify_monitor(1, EditorRecord()).has_value());
}

TEST_F(Engine, DeleteOne)
{
    add(u"0123"_s);
    add(u"4567"_s);
    add(u"89"_s);
    shell_.clear();
    engine_.delete_monitor(std::nullopt);
    EXPECT_EQ(shell_.messages, QStringList{u"请选择一条要删除的监控"_s});

    shell_.answers = {false};
    engine_.delete_monitor(2);
    EXPECT_EQ(engine_.list().positions().size(), 3);

    engine_.delete_monitor(2);
    EXPECT_TRUE(shell_.confirmations.last().text.startsWith(u"确认删除？\r\n"_s));
    EXPECT_TRUE(shell_.confirmations.last().text.endsWith(u" 4567"_s)) << shell_.confirmations.last().text.toStdString();
    EXPECT_EQ(engine_.list().positions(), (QVector<int>{1, 2}));
    EXPECT_EQ(engine_.list().at(2)->field(kNumbers), u"89"_s);
    EXPECT_EQ(stored(), engine_.list().stored_form());

    engine_.delete_monitor(1);
    engine_.delete_monitor(1);
    EXPECT_TRUE(engine_.list().empty());
    EXPECT_EQ(stored(), u"|"_s);
}

TEST_F(Engine, DeleteAllStoresABarAndTheNextAddIsRowOne)
{
    add(u"0123"_s);
    add(u"4567"_s);
    shell_.answers = {false};
    engine_.delete_all();
    EXPECT_EQ(engine_.list().positions().size(), 2);
    engine_.delete_all();
    EXPECT_EQ(shell_.confirmations.last().text, u"确认清空所有监控项？"_s);
    EXPECT_TRUE(engine_.rows().isEmpty());
    EXPECT_EQ(stored(), u"|"_s);

    engine_.load();
    EXPECT_TRUE(engine_.list().empty());
    add(u"89"_s);
    EXPECT_EQ(engine_.list().positions(), QVector<int>{1});
    EXPECT_TRUE(engine_.list().text().startsWith(u"|ABC~"_s));
}

TEST_F(Engine, LoadReadsTheStoredListAndEvaluatesAlerts)
{
    ASSERT_TRUE(ini_write(u"alert_cfg"_s, u"list"_s,
                          u"||AB~定位胆~前二(定位胆)~1~连中~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~0~~0~false~0~2:0:0:1920~0"_s,
                          file()));
    engine_.load();
    EXPECT_EQ(engine_.list().positions(), QVector<int>{1});
    EXPECT_EQ(shell_.tips.size(), 1);
}

TEST_F(Engine, AListPastTheReadBufferComesBackWhole)
{
    // 600 monitors store about 50 KB, past the 40,979 bytes one read of a key returns.
    QStringList records;
    for (int i = 0; i < 600; ++i)
        records << u"ABC~直选复式~前三(直选复式)~"_s + QString::number(100 + i) +
                       u"~遗漏~≥10~大于等于10~0~待监控~~0~0~0:0~0:0:0:0~0~1,2,4~2~false~0~1:0:0:1920~0"_s;
    const QString list = u"|"_s + records.join(u'|');
    ASSERT_EQ(ini_write(u"alert_cfg"_s, u"list"_s, list, file()), 1);
    ASSERT_GT(zorvik::support::to_gbk(list).size(), zorvik::support::kIniReadLimit);
    engine_.load();
    ASSERT_EQ(engine_.list().positions().size(), 600);
    EXPECT_EQ(engine_.list().at(600)->field(kNumbers), u"699"_s);
    EXPECT_EQ(engine_.list().text(), list);
    // Other keys keep the limit.
    EXPECT_LT(ini_read(u"alert_cfg"_s, u"list"_s, file()).size(), list.size());
}
