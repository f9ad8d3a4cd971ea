#include "gui/main_window.h"

#include "gui/alert_options.h"
#include "gui/backtest_dialog.h"
#include "gui/betting_panel.h"
#include "core/core.h"
#include "core/desk.h"
#include "feed/catalogue.h"
#include "core/data_dir.h"
#include "gui/draw_area.h"
#include "gui/editor_panel.h"
#include "gui/monitor_panel.h"
#include "gui/tips_label.h"
#include "gui/web_dialog.h"
#include "gui/widgets.h"
#include "gui/window_shell.h"
#include "service/service_link.h"
#include "support/clock.h"
#include "support/identity.h"
#include "support/qt_http.h"
#include "web/web_config.h"
#include "web/web_server.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

QIcon program_icon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xc0, 0x1f, 0x2f));
    p.setPen(Qt::NoPen);
    p.drawEllipse(2, 2, 60, 60);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(40);
    p.setFont(font);
    p.drawText(pixmap.rect(), Qt::AlignCenter, u"Z"_s);
    return QIcon(pixmap);
}

} // namespace

MainWindow::MainWindow(const QString& data_dir, support::Shell* shell, const NetConfig& net,
                       support::HttpClient* http, QWidget* parent)
    : QMainWindow(parent), data_dir_(data_dir), settings_file_(settings_path(data_dir))
{
    setObjectName(u"zorvik_frm"_s);
    own_shell_ = std::make_unique<WindowShell>(this, data_dir_, [this] {
        return alert_options_ ? alert_options_->sound_file_box()->text() : QString();
    });
    shell_ = shell ? shell : own_shell_.get();
    clock_ = std::make_unique<support::SystemClock>();
    if (!http) {
        own_http_ = std::make_unique<support::QtHttpClient>(
            [this](const QString& text) { shell_->notice(text); });
        http = own_http_.get();
    }
    core_ = std::make_unique<AppCore>(data_dir_, *shell_, *clock_, *http, net);

    build_ui();
    own_shell_->set_window_tip([this](const QString& text) { page().monitors->show_tip(text); });
    setWindowIcon(program_icon());
    core_->init_var();
    own_shell_->tray().show_tray(true, windowIcon(), QString());
    load_settings();
    setWindowTitle(QString::fromUtf16(support::kTitle) + u'{' + QString::fromUtf16(support::kVersion) +
                   u"} "_s);
    own_shell_->tray().set_tooltip(windowTitle());

    connect(core_.get(), &AppCore::announced, this, &MainWindow::show_announcement);
    core_->set_options_source([this] { return options(); });
    core_->set_alert_options(alert_options_->tips_box()->isChecked(), alert_options_->sound_box()->isChecked());
    engine().load();
    // The restored lottery is applied as the user's choice would be.
    if (draw_area_->lottery_box()->currentIndex() > 0)
        draw_area_->apply_caizhong();
    // The further desks kept, each with its lottery and monitors.
    for (const DeskSettings& kept : load_desks(settings_file_)) {
        if (!feed::find_lottery(kept.lottery) ||
            std::any_of(pages_.begin(), pages_.end(), [&kept](const auto& p) { return p->desk->lottery() == kept.lottery; }))
            continue;
        Desk& desk = core_->add_desk(kept.number);
        DeskPage& p = make_page(desk);
        p.draw->lottery_box()->setCurrentIndex(p.draw->lottery_box()->findText(kept.lottery));
        p.draw->apply_caizhong();
        desk.engine().load();
    }
    desk_tabs_->setCurrentIndex(0);
    select_page(0);
    core_->start();
    // The dashboard as it was left; why it cannot start is said on the status line.
    web_ = std::make_unique<web::WebServer>(*core_, *clock_);
    if (const web::WebConfig web_config = web::load_web_config(settings_file_); web_config.enabled)
        if (const QString refusal = web_->start(web_config); !refusal.isEmpty())
            engine().set_line(monitor::Line::BetStatus, u"远程访问无法开启："_s + refusal);
    connect(alert_options_, &AlertOptions::remote_clicked, this, [this] {
        if (!web_dialog_)
            web_dialog_ = new WebDialog(*core_, *web_, this);
        web_dialog_->show();
        web_dialog_->raise();
    });

    // A session shutdown closes the window without asking.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this] { closing_without_question_ = true; });
}

monitor::MonitorEngine& MainWindow::engine()
{
    return core_->engine();
}

MainWindow::~MainWindow()
{
    own_shell_->tray().show_tray(false);
    // The core stops every desk as it goes: nothing it says from here reaches the window, whose
    // pages and areas go first.
    core_->disconnect(this);
    for (const auto& p : pages_)
        p->desk->engine().disconnect(this);
    // The areas (their views read the core's rows) go before the core, which the members below
    // hold: a view must never ask a freed engine for its rows.
    delete takeCentralWidget();
    delete betting_;
    betting_ = nullptr;
}

void MainWindow::build_ui()
{
    tips_ = new TipsGroup;
    tips_->setParent(this);
    connect(tips_, &TipsGroup::clicked, this, &MainWindow::link_dispatch);

    auto* central = named<QWidget>("zorvik");
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(8, 4, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);

    alert_options_ = new AlertOptions(*core_, *shell_);
    betting_ = new BettingPanel(*core_, *tips_, this);
    // Each desk's areas, switched by the desk tabs.
    draw_stack_ = named<QStackedWidget>("draw_stack");
    main_stack_ = named<QStackedWidget>("main_stack");
    log_stack_ = named<QStackedWidget>("log_stack");
    draw_stack_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    QLayout* desk_bar = build_desk_bar();
    const DeskPage& first = make_page(core_->desk());
    draw_area_ = first.draw;
    monitor_panel_ = first.monitors;
    editor_panel_ = first.editor;
    zorvik_main_ = first.tabs;
    // The platforms' pages, once a platform is first used, with the first desk's tabs.
    // The core drives the page; the window only shows it.
    connect(core_.get(), &AppCore::browser_made, this, [this](QWebEnginePage* page) {
        auto* browser = new QWebEngineView;
        browser->setObjectName(u"zorvik_tz_wb"_s);
        browser->setPage(page);
        bool second = false;
        for (int i = 0; i < zorvik_main_->count(); ++i)
            second = second || qobject_cast<QWebEngineView*>(zorvik_main_->widget(i));
        zorvik_main_->addTab(browser, second ? u"平台页面2"_s : u"平台页面"_s);
    });

    // The lists and options above, the bet log below; the user moves the split between them
    // (kept in the settings file).
    auto* upper = new QWidget;
    auto* upper_layout = new QVBoxLayout(upper);
    upper_layout->setContentsMargins(0, 0, 0, 0);
    upper_layout->addWidget(main_stack_, 1);
    // While the large draw list stands in for the tabs, the options keep their height below
    // the free room.
    upper_layout->addStretch(0);
    auto* options_row = new QHBoxLayout;
    options_row->addWidget(alert_options_);
    options_row->addWidget(betting_->settings_box(), 1);
    upper_layout->addLayout(options_row);
    main_split_ = named<QSplitter>("main_split", Qt::Vertical);
    main_split_->addWidget(upper);
    main_split_->addWidget(log_stack_);
    main_split_->setChildrenCollapsible(false);
    main_split_->setStretchFactor(0, 3);
    main_split_->setStretchFactor(1, 2);
    connect(main_split_, &QSplitter::splitterMoved, this, [this] {
        core_->report_write(save_split(settings_file_, main_split_->sizes()));
    });

    grid->addLayout(desk_bar, 0, 0, 1, 2);
    grid->addWidget(draw_stack_, 1, 0);
    grid->addWidget(main_split_, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    grid->addLayout(build_footer(), 2, 0, 1, 2);
    setCentralWidget(central);
    resize(1280, 700);

    // Ticking the pop-up alerts unticks every desk's "自动报号".
    connect(alert_options_->tips_box(), &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            for (const auto& p : pages_)
                p->draw->announce_box()->setChecked(false);
    });
}

QLayout* MainWindow::build_footer()
{
    auto* info = named<QLabel>("info_label_0", QString::fromUtf16(support::kTitle) + u"  "_s +
                                                   QString::fromUtf16(support::kVersion) + u" ("_s +
                                                   QString::fromUtf16(support::kBuild) + u')');
    info_qq_ = named<QLabel>("info_label_2");
    info_tips_ = named<QLabel>("info_label_5");
    auto* global_tips = named<QLabel>("global_tips");
    // Which folder keeps the settings and monitors.
    auto* data_label = named<QLabel>("data_dir_label", u"<a href=\"data\">数据目录</a>"_s);
    data_label->setTextFormat(Qt::RichText); // our own link
    data_label->setToolTip(QDir::toNativeSeparators(data_dir_));
    connect(data_label, &QLabel::linkActivated, this, [this] {
        shell_->message(u"设置和监控保存在：\n"_s + QDir::toNativeSeparators(data_dir_) +
                        u"/bao/cfg.ini"_s);
    });
    auto* footer = new QHBoxLayout;
    footer->setSpacing(14);
    footer->addWidget(info);
    footer->addWidget(info_qq_);
    footer->addWidget(info_tips_, 1);
    footer->addWidget(global_tips);
    footer->addWidget(data_label);
    const std::pair<int, QString> links[] = {
        {tips::kFormulaLink, u"排期公式"_s}, {37, u"使用教程"_s},       {tips::kNewVersionLink, QString()},
        {39, u"注册合乐"_s},                 {40, u"注册U彩"_s},        {41, u"注册经纬"_s},
        {42, u"合作伙伴"_s},                 {tips::kLastLink, u"友情链接"_s},
    };
    for (const auto& [index, text] : links) {
        TipsLabel* link = tips_->make(index, text);
        link->setCursor(Qt::PointingHandCursor);
        link->setProperty("link", true);
        footer->addWidget(link);
    }
    tips_->at(tips::kNewVersionLink)->hide();
    return footer;
}

void MainWindow::load_settings()
{
    const Options o = settings_load(settings_file_);
    // A stored lottery that is no longer offered leaves the box as it is.
    QComboBox* lottery = draw_area_->lottery_box();
    if (const int i = lottery->findText(o.caizhong); i >= 0 && !o.caizhong.isEmpty())
        lottery->setCurrentIndex(i);
    alert_options_->tips_box()->setChecked(o.alert_type_tips);
    alert_options_->sound_box()->setChecked(o.alert_type_sound);
    alert_options_->sound_file_box()->setText(o.alert_sound_file);
    alert_options_->webhook_box()->setText(o.webhook_url);
    betting_->account_box()->setText(o.plt_user);
    betting_->password_box()->setText(core_->stored_password());
    betting_->load_account(1, core_->stored_account(1), core_->stored_password(1));
    const auto [total_profit, total_loss] = load_total_stops(settings_file_);
    total_zy_->setText(total_profit);
    total_zs_->setText(total_loss);
    core_->set_total_stops(total_profit, total_loss);
    core_->stored_notify_urls();
    core_->set_notify_choice(load_notify_choice(settings_file_));
    betting_->stop_loss_box()->setText(o.plt_tz_zs);
    betting_->stop_profit_box()->setText(o.plt_tz_zy);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The split as the user left it, once the window has its size (kept in proportion).
    if (std::exchange(split_restored_, true))
        return;
    if (const QList<int> sizes = load_split(settings_file_); sizes.size() == 2)
        main_split_->setSizes(sizes);
}

Options MainWindow::options() const
{
    Options o;
    o.caizhong = draw_area_->lottery_box()->currentText();
    o.alert_type_tips = alert_options_->tips_box()->isChecked();
    o.alert_type_sound = alert_options_->sound_box()->isChecked();
    o.alert_sound_file = alert_options_->sound_file_box()->text();
    o.webhook_url = alert_options_->webhook_box()->text().trimmed();
    o.plt_user = betting_->first_account().first;
    o.plt_pass = betting_->first_account().second;
    o.plt_tz_zy = betting_->first_stops().first;
    o.plt_tz_zs = betting_->first_stops().second;
    return o;
}

void MainWindow::tell_unwritable_data()
{
    shell_->message(unwritable_data_text(data_dir_));
}

void MainWindow::bet_with_simulated_money()
{
    betting_->virtual_box()->setChecked(true);
}

monitor::EditorRecord MainWindow::editor_record() const
{
    return editor_panel_->editor_record();
}

void MainWindow::show_editor(const monitor::EditorRecord& record)
{
    editor_panel_->show_editor(record);
}

void MainWindow::modify_selected()
{
    DeskPage& p = page();
    const auto editor = p.desk->engine().modify_monitor(p.monitors->selected_position(), p.editor->editor_record());
    if (!editor)
        return;
    p.editor->show_editor(*editor);
    p.tabs->setCurrentIndex(1);
}

// The 回测 window over the draws the program holds, for every monitor or the selected one.
void MainWindow::open_backtest()
{
    // The selected desk's draws and monitors.
    DeskPage& p = page();
    monitor::MonitorEngine& engine = p.desk->engine();
    QString selected;
    quint64 uid = 0;
    if (const auto position = p.monitors->selected_position())
        if (const auto record = engine.list().at(*position)) {
            selected = u"|"_s + record->text();
            uid = record->uid();
        }
    // Every draw the program holds for the lottery: the draw list's and the records' (as the
    // trend chart shows them), not only the list's hundred.
    QStringList held;
    for (const monitor::HistoryDraw& d : p.desk->known_draws())
        held << d.issue + u':' + d.numbers;
    auto* dialog = new BacktestDialog(*shell_, held.join(u'|'), engine.list().text(), selected, this,
                                      betting_->stop_profit_box()->text(), betting_->stop_loss_box()->text());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog->sweep(), &SweepPanel::variant_chosen, this,
            [this, uid, desk = QPointer<Desk>(p.desk)](const monitor::SweepVariant& v) {
                if (desk)
                    apply_variant(*desk, uid, v);
            });
    dialog->show();
}

// A swept variant into the editor, modifying the monitor it was swept for; the user saves it
// with 确定修改.
void MainWindow::apply_variant(Desk& desk, quint64 uid, const monitor::SweepVariant& v)
{
    const auto at = std::find_if(pages_.begin(), pages_.end(), [&desk](const auto& p) { return p->desk == &desk; });
    DeskPage& p = **at;
    const int position = desk.engine().list().position_of(uid);
    auto editor = position ? desk.engine().modify_monitor(position, p.editor->editor_record()) : std::nullopt;
    if (!editor) {
        shell_->message(u"寻优的监控已不在监控列表中"_s);
        return;
    }
    editor->threshold = QString::number(v.threshold);
    editor->plan = v.plan;
    editor->unit_index = v.unit;
    editor->auto_bet = true;
    desk_tabs_->setCurrentIndex(int(at - pages_.begin()));
    p.editor->show_editor(*editor);
    p.tabs->setCurrentIndex(1);
    raise();
    activateWindow();
}

const notify::TrayTips& MainWindow::tray() const
{
    return own_shell_->tray();
}

void MainWindow::link_dispatch(int index)
{
    switch (index) {
    case tips::kFoldDetail:
        page().monitors->fold_detail_panel();
        break;
    case tips::kCopyNumbers:
        page().monitors->copy_numbers();
        break;
    case tips::kModifySelected:
        modify_selected();
        break;
    case tips::kDrawListHint:
        page().desk->feed().refresh_awd_list();
        break;
    case tips::kBalanceLine:
        core_->refresh_balance();
        betting_->mirror_balance();
        break;
    default:
        if (const auto url = core_->service().link_for(index)) {
            // A member the service did not give opens nothing: the user is told why.
            if (url->trimmed().isEmpty())
                page().monitors->show_tip(QString::fromUtf16(kNoLinkAddress));
            else
                shell_->open_link(*url);
        }
        break;
    }
}

void MainWindow::show_begin_plan(const DeskPage& p)
{
    QPushButton* begin_plan = p.monitors->begin_plan();
    if (!p.desk->engine().monitoring())
        begin_plan->setText(announcement_->begin_plan);
    if (announcement_->reached)
        begin_plan->setEnabled(true);
}

void MainWindow::show_announcement(const service::Announcement& a)
{
    announcement_ = std::make_shared<const service::Announcement>(a);
    for (const auto& p : pages_)
        show_begin_plan(*p);
    if (!a.reached)
        return;
    info_qq_->setText(a.qq);
    info_tips_->setText(a.tips);
    tips_->at(tips::kNewVersionLink)->setText(a.new_version_caption);
    tips_->at(tips::kNewVersionLink)->setVisible(a.new_version);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Quitting stops the monitoring (and the betting) of every desk: the question says so.
    const bool monitoring = std::any_of(core_->desks().cbegin(), core_->desks().cend(),
                                        [](const auto& d) { return d->engine().monitoring(); });
    if (!closing_without_question_ &&
        !shell_->confirm(monitoring ? u"正在监控，确认退出?"_s : u"确认退出?"_s,
                         QString::fromUtf16(support::kTitle) + u" - 关闭提示"_s)) {
        event->ignore();
        return;
    }
    own_shell_->tray().show_tray(false);
    if (own_http_)
        own_http_->stop(); // a request still waiting is cut short by the exit, not the network
    event->accept();
}

} // namespace zorvik::app
