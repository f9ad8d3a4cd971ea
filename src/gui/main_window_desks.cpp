// The main window's desk tabs: a tab a followed lottery, each with its own draw area, lists and
// bet log below the tab bar; adding, switching, removing, and starting or stopping them all.

#include "gui/main_window.h"

#include "gui/alert_options.h"
#include "gui/betting_panel.h"
#include "core/core.h"
#include "core/desk.h"
#include "gui/draw_area.h"
#include "gui/editor_panel.h"
#include "gui/draw_trend_panel.h"
#include "gui/history_panel.h"
#include "gui/monitor_panel.h"
#include "gui/tips_label.h"
#include "gui/widgets.h"
#include "feed/catalogue.h"
#include "support/identity.h"
#include "support/money.h"
#include "support/shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

QLayout* MainWindow::build_desk_bar()
{
    desk_tabs_ = named<QTabBar>("desk_tabs");
    desk_tabs_->setExpanding(false);
    desk_tabs_->setUsesScrollButtons(true);
    desk_tabs_->setDrawBase(false);
    desk_tabs_->addTab(QString());
    desk_tabs_->addTab(u"+"_s);
    desk_tabs_->setTabToolTip(1, u"再监控一个彩种"_s);
    desk_tabs_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(desk_tabs_, &QTabBar::currentChanged, this, [this](int tab) {
        if (tab < int(pages_.size())) {
            select_page(tab);
            return;
        }
        // "+": the tab shown stays; the lotteries not followed yet are offered.
        const QSignalBlocker block(desk_tabs_);
        desk_tabs_->setCurrentIndex(draw_stack_->currentIndex());
        offer_lotteries();
    });
    connect(desk_tabs_, &QTabBar::customContextMenuRequested, this, &MainWindow::desk_menu);

    total_zy_ = named<QLineEdit>("total_zy");
    total_zs_ = named<QLineEdit>("total_zs");
    for (QLineEdit* box : {total_zy_, total_zs_}) {
        box->setFixedWidth(70);
        box->setPlaceholderText(u"不设"_s);
        box->setToolTip(u"所有彩种本次监控的合计收入达到此额时，停止所有彩种的监控和投注"_s);
        connect(box, &QLineEdit::editingFinished, this, [this] {
            core_->set_total_stops(total_zy_->text(), total_zs_->text());
            core_->report_write(save_total_stops(settings_file_, total_zy_->text().trimmed(), total_zs_->text().trimmed()));
        });
    }
    auto* start_all = named<QPushButton>("start_all", u"全部启动"_s);
    auto* stop_all = named<QPushButton>("stop_all", u"全部停止"_s);
    connect(start_all, &QPushButton::clicked, this, &MainWindow::start_all);
    connect(stop_all, &QPushButton::clicked, this, &MainWindow::stop_all);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    bar->addWidget(desk_tabs_, 1);
    bar->addWidget(caption(u"总止盈："_s));
    bar->addWidget(total_zy_);
    bar->addWidget(caption(u"总止损："_s));
    bar->addWidget(total_zs_);
    bar->addWidget(start_all);
    bar->addWidget(stop_all);
    return bar;
}

MainWindow::DeskPage& MainWindow::make_page(Desk& desk)
{
    auto owned = std::make_unique<DeskPage>();
    DeskPage& p = *owned;
    p.desk = &desk;
    p.tips = new TipsGroup;
    p.tips->setParent(this);
    connect(p.tips, &TipsGroup::clicked, this, &MainWindow::link_dispatch);
    p.draw = new DrawArea(desk, *p.tips);
    p.monitors = new MonitorPanel(desk, *shell_, *p.tips);
    p.editor = new EditorPanel(desk, *p.tips);
    p.tabs = named<QTabWidget>("zorvik_main");
    p.tabs->addTab(p.monitors, u"监控列表"_s);
    // The editor scrolls when the window is small rather than making the window taller (an
    // error shown under the numbers takes room of its own).
    auto* editor_scroll = named<QScrollArea>("editor_scroll");
    editor_scroll->setWidget(p.editor);
    editor_scroll->setWidgetResizable(true);
    editor_scroll->setFrameShape(QFrame::NoFrame);
    p.tabs->addTab(editor_scroll, u"添加/修改监控"_s);
    p.tabs->addTab(new HistoryPanel(*core_), u"投注历史"_s);
    p.tabs->addTab(new DrawTrendPanel(desk), u"走势图"_s);
    p.log = betting_->make_log_box(desk);
    const int tab = int(pages_.size());
    pages_.push_back(std::move(owned));
    draw_stack_->insertWidget(tab, p.draw);
    main_stack_->insertWidget(tab, p.tabs);
    log_stack_->insertWidget(tab, p.log);
    if (tab > 0)
        desk_tabs_->insertTab(tab, QString());

    // What spans the desk's areas.
    connect(p.draw, &DrawArea::lottery_applied, p.editor, &EditorPanel::offer_auto_bet);
    connect(p.editor, &EditorPanel::monitor_modified, p.monitors, &MonitorPanel::select_position);
    connect(p.draw, &DrawArea::lottery_applied, p.monitors, &MonitorPanel::show_empty_hint);
    connect(p.draw, &DrawArea::lottery_applied, this, [this, &p] {
        if (p.desk->number() > 1)
            core_->report_write(save_desk_lottery(settings_file_, p.desk->number(), p.desk->lottery()));
        show_desk_tab(p);
        // The platform, and with it the account shown, may have changed.
        betting_->select_desk(*page().desk);
    });
    p.draw->set_lottery_check([this, &p](const QString& name) {
        for (const auto& other : pages_)
            if (other.get() != &p && other->desk->lottery() == name) {
                shell_->message(u"“"_s + name + u"”已在另一个彩种页签中监控"_s);
                return false;
            }
        return true;
    });
    connect(p.draw, &DrawArea::expanded, this, [this, &p](bool on) {
        p.expanded = on;
        // The start button stays in view and usable: below the large list, or back in its row.
        if (on)
            p.draw->hold(p.monitors->begin_plan());
        else
            p.monitors->take_back_begin_plan();
        if (&p == &page())
            main_stack_->setVisible(!on);
    });
    connect(p.monitors, &MonitorPanel::backtest_requested, this, &MainWindow::open_backtest);
    connect(p.monitors, &MonitorPanel::detail_shown, this,
            [this](bool shown) { betting_->keep_log_rows(shown ? 4 : 8); });
    connect(p.monitors, &MonitorPanel::new_requested, this, [&p] {
        p.editor->new_monitor();
        p.tabs->setCurrentIndex(1);
    });
    QCheckBox* announce = p.draw->announce_box();
    // Ticking "自动报号" against the pop-up alerts asks first.
    connect(announce, &QCheckBox::clicked, this, [this, announce] {
        announce->setChecked(
            core_->show_award_tips_clicked(announce->isChecked(), alert_options_->tips_box()->isChecked()));
    });
    // The tab says the desk's income and whether it monitors.
    connect(&desk.engine(), &monitor::MonitorEngine::monitoring_changed, this, [this, &p] { show_desk_tab(p); });
    connect(&desk.engine(), &monitor::MonitorEngine::line_changed, this, [this, &p](monitor::Line line) {
        if (line == monitor::Line::Income)
            show_desk_tab(p);
    });
    show_desk_tab(p);
    if (announcement_)
        show_begin_plan(p);
    return p;
}

MainWindow::DeskPage& MainWindow::page()
{
    const int tab = draw_stack_->currentIndex();
    return *pages_[tab >= 0 && tab < int(pages_.size()) ? tab : 0];
}

Desk& MainWindow::selected_desk()
{
    return *page().desk;
}

void MainWindow::select_page(int tab)
{
    draw_stack_->setCurrentIndex(tab);
    main_stack_->setCurrentIndex(tab);
    log_stack_->setCurrentIndex(tab);
    const DeskPage& p = page();
    main_stack_->setVisible(!p.expanded);
    betting_->select_desk(*p.desk);
}

void MainWindow::show_desk_tab(const DeskPage& p)
{
    const auto at = std::find_if(pages_.begin(), pages_.end(), [&p](const auto& q) { return q.get() == &p; });
    if (at == pages_.end())
        return;
    const int tab = int(at - pages_.begin());
    const monitor::MonitorEngine& engine = p.desk->engine();
    const QString name = p.desk->lottery().isEmpty() ? u"未选择彩种"_s : p.desk->lottery();
    desk_tabs_->setTabText(tab, (engine.monitoring() ? u"● "_s : QString()) + name + u"  "_s +
                                    support::amount_text(engine.session().income));
    desk_tabs_->setTabToolTip(tab, engine.monitoring() ? u"监控中"_s : u"未监控"_s);
}

void MainWindow::offer_lotteries()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(u"add_desk_menu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const feed::Lottery& lottery : feed::catalogue()) {
        const QString& name = lottery.name;
        if (std::any_of(pages_.begin(), pages_.end(), [&name](const auto& p) { return p->desk->lottery() == name; }))
            continue;
        menu->addAction(name, this, [this, name] { add_desk(name); });
    }
    if (menu->isEmpty()) {
        delete menu;
        shell_->message(u"所有彩种都已在监控页签中"_s);
        return;
    }
    menu->popup(desk_tabs_->mapToGlobal(desk_tabs_->tabRect(desk_tabs_->count() - 1).bottomLeft()));
}

bool MainWindow::add_desk(const QString& lottery)
{
    const int number = core_->free_desk_number();
    if (!feed::find_lottery(lottery) || number == 0 ||
        std::any_of(pages_.begin(), pages_.end(), [&lottery](const auto& p) { return p->desk->lottery() == lottery; }))
        return false;
    DeskSettings kept;
    kept.number = number;
    kept.lottery = lottery;
    core_->report_write(save_desk(settings_file_, kept));
    Desk& desk = core_->add_desk(number);
    DeskPage& p = make_page(desk);
    p.draw->lottery_box()->setCurrentIndex(p.draw->lottery_box()->findText(lottery));
    p.draw->apply_caizhong();
    desk.engine().load();
    desk.feed().start();
    desk_tabs_->setCurrentIndex(int(pages_.size()) - 1);
    return true;
}

void MainWindow::desk_menu(const QPoint& at)
{
    const int tab = desk_tabs_->tabAt(at);
    if (tab < 0 || tab >= int(pages_.size()))
        return;
    auto* menu = new QMenu(this);
    menu->setObjectName(u"desk_menu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(u"删除此彩种"_s, this, [this, desk = QPointer<Desk>(pages_[tab]->desk)] {
        for (size_t i = 0; desk && i < pages_.size(); ++i)
            if (pages_[i]->desk == desk)
                remove_desk(int(i));
    });
    menu->popup(desk_tabs_->mapToGlobal(at));
}

bool MainWindow::remove_desk(int tab)
{
    if (tab < 0 || tab >= int(pages_.size()))
        return false;
    DeskPage& p = *pages_[tab];
    Desk& desk = *p.desk;
    const QString name = desk.lottery().isEmpty() ? u"未选择彩种"_s : desk.lottery();
    if (desk.number() == 1) {
        shell_->message(u"第一个彩种页签不能删除，可以在它的页面上改选彩种"_s);
        return false;
    }
    if (desk.engine().monitoring()) {
        shell_->message(u"“"_s + name + u"”正在监控，请先停止监控再删除"_s);
        return false;
    }
    if (!shell_->confirm(u"确认删除彩种“"_s + name + u"”？它的监控列表和止盈止损设置将一并删除。"_s,
                         QString::fromUtf16(support::kTitle) + u" - 删除彩种"_s))
        return false;
    // The views go before the desk whose rows they read.
    const int number = desk.number();
    const int current = desk_tabs_->currentIndex();
    betting_->forget_desk(desk);
    disconnect(&desk.engine(), nullptr, this, nullptr);
    const QSignalBlocker block(desk_tabs_);
    desk_tabs_->removeTab(tab);
    delete p.draw;
    delete p.tabs;
    delete p.log;
    delete p.tips;
    pages_.erase(pages_.begin() + tab);
    core_->remove_desk(number);
    // The tab shown stays; in place of a removed one, its neighbour.
    const int shown = current > tab ? current - 1 : current == tab ? std::min(tab, int(pages_.size()) - 1) : current;
    desk_tabs_->setCurrentIndex(shown);
    select_page(shown);
    return true;
}

void MainWindow::start_all()
{
    // Each desk with draw history starts now; one still waiting for it, at its first draw.
    for (const auto& p : pages_) {
        Desk& desk = *p->desk;
        if (desk.lottery().isEmpty() || desk.engine().monitoring())
            continue;
        if (desk.feed().awd_history().isEmpty())
            desk.start_when_ready();
        else
            desk.start_monitoring();
    }
}

void MainWindow::stop_all()
{
    if (std::none_of(pages_.begin(), pages_.end(), [](const auto& p) { return p->desk->engine().monitoring(); }))
        return;
    if (!shell_->confirm(u"确认要停止所有彩种的监控？"_s, QString::fromUtf16(support::kTitle) + u" - 确认停止"_s))
        return;
    for (const auto& p : pages_)
        p->desk->stop(u"button"_s);
}

} // namespace zorvik::app
