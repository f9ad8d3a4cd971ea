#include "app/main_window.h"

#include "app/alert_options.h"
#include "app/backtest_dialog.h"
#include "app/betting_panel.h"
#include "app/core.h"
#include "app/data_dir.h"
#include "app/draw_area.h"
#include "app/editor_panel.h"
#include "app/history_panel.h"
#include "app/monitor_panel.h"
#include "app/tips_label.h"
#include "app/widgets.h"
#include "app/window_shell.h"
#include "service/service_link.h"
#include "support/clock.h"
#include "support/identity.h"
#include "support/qt_http.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

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
    own_shell_->set_window_tip([this](const QString& text) { monitor_panel_->show_tip(text); });
    setWindowIcon(program_icon());
    core_->init_var();
    own_shell_->tray().show_tray(true, windowIcon(), QString());
    load_settings();
    setWindowTitle(QString::fromUtf16(support::kTitle) + u'{' + QString::fromUtf16(support::kVersion) +
                   u"} "_s);
    own_shell_->tray().set_tooltip(windowTitle());

    connect(core_.get(), &AppCore::announced, this, &MainWindow::show_announcement);
    core_->set_options_source([this] { return options(); });
    engine().set_alert_options(alert_options_->tips_box()->isChecked(),
                               alert_options_->sound_box()->isChecked());
    engine().load();
    // The restored lottery is applied as the user's choice would be.
    if (draw_area_->lottery_box()->currentIndex() > 0)
        draw_area_->apply_caizhong();
    core_->start();

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
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);

    draw_area_ = new DrawArea(*core_, *tips_);
    monitor_panel_ = new MonitorPanel(*core_, *shell_, *tips_);
    editor_panel_ = new EditorPanel(*core_, *tips_);
    alert_options_ = new AlertOptions(*core_, *shell_);
    betting_ = new BettingPanel(*core_, *tips_, this);

    zorvik_main_ = named<QTabWidget>("zorvik_main");
    zorvik_main_->addTab(monitor_panel_, u"监控列表"_s);
    // The editor scrolls when the window is small rather than making the window taller (an
    // error shown under the numbers takes room of its own).
    auto* editor_scroll = named<QScrollArea>("editor_scroll");
    editor_scroll->setWidget(editor_panel_);
    editor_scroll->setWidgetResizable(true);
    editor_scroll->setFrameShape(QFrame::NoFrame);
    zorvik_main_->addTab(editor_scroll, u"添加/修改监控"_s);
    zorvik_main_->addTab(new HistoryPanel(*core_), u"投注历史"_s);
    // The platform's page, once a platform is first used.
    connect(core_.get(), &AppCore::browser_made, this,
            [this](QWidget* browser) { zorvik_main_->addTab(browser, u"平台页面"_s); });

    // The lists and options above, the bet log below; the user moves the split between them
    // (kept in the settings file).
    auto* upper = new QWidget;
    auto* upper_layout = new QVBoxLayout(upper);
    upper_layout->setContentsMargins(0, 0, 0, 0);
    upper_layout->addWidget(zorvik_main_, 1);
    auto* options_row = new QHBoxLayout;
    options_row->addWidget(alert_options_);
    options_row->addWidget(betting_->settings_box(), 1);
    upper_layout->addLayout(options_row);
    main_split_ = named<QSplitter>("main_split", Qt::Vertical);
    main_split_->addWidget(upper);
    main_split_->addWidget(betting_->log_box());
    main_split_->setChildrenCollapsible(false);
    main_split_->setStretchFactor(0, 3);
    main_split_->setStretchFactor(1, 2);
    connect(main_split_, &QSplitter::splitterMoved, this, [this] {
        core_->report_write(save_split(settings_file_, main_split_->sizes()));
    });
    auto* right = new QVBoxLayout;
    right->addWidget(main_split_, 1);

    grid->addWidget(draw_area_, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(1, 1);
    grid->addLayout(build_footer(), 1, 0, 1, 2);
    setCentralWidget(central);
    resize(1280, 700);

    // What spans the areas.
    connect(draw_area_, &DrawArea::lottery_applied, editor_panel_, &EditorPanel::offer_auto_bet);
    connect(draw_area_, &DrawArea::lottery_applied, monitor_panel_, &MonitorPanel::show_empty_hint);
    connect(draw_area_, &DrawArea::expanded, this, [this](bool on) { zorvik_main_->setVisible(!on); });
    connect(monitor_panel_, &MonitorPanel::backtest_requested, this, &MainWindow::open_backtest);
    connect(monitor_panel_, &MonitorPanel::detail_shown, this,
            [this](bool shown) { betting_->keep_log_rows(shown ? 4 : 8); });
    connect(monitor_panel_, &MonitorPanel::new_requested, this, [this] {
        editor_panel_->new_monitor();
        zorvik_main_->setCurrentIndex(1);
    });
    QCheckBox* announce = draw_area_->announce_box();
    QCheckBox* alert_tips = alert_options_->tips_box();
    // Ticking the pop-up alerts unticks "自动报号"; ticking "自动报号" against them asks first.
    connect(alert_tips, &QCheckBox::toggled, this, [announce](bool on) {
        if (on)
            announce->setChecked(false);
    });
    connect(announce, &QCheckBox::clicked, this, [this, announce, alert_tips] {
        announce->setChecked(
            core_->show_award_tips_clicked(announce->isChecked(), alert_tips->isChecked()));
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
    o.plt_user = betting_->account_box()->text();
    o.plt_pass = betting_->password_box()->text();
    o.plt_tz_zs = betting_->stop_loss_box()->text();
    o.plt_tz_zy = betting_->stop_profit_box()->text();
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
    const auto editor =
        engine().modify_monitor(monitor_panel_->selected_position(), editor_record());
    if (!editor)
        return;
    show_editor(*editor);
    zorvik_main_->setCurrentIndex(1);
}

// The 回测 window over the draws the program holds, for every monitor or the selected one.
void MainWindow::open_backtest()
{
    QString selected;
    quint64 uid = 0;
    if (const auto position = monitor_panel_->selected_position())
        if (const auto record = engine().list().at(*position)) {
            selected = u"|"_s + record->text();
            uid = record->uid();
        }
    auto* dialog = new BacktestDialog(*shell_, core_->feed().awd_history(), engine().list().text(),
                                      selected, this, betting_->stop_profit_box()->text(),
                                      betting_->stop_loss_box()->text());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog->sweep(), &SweepPanel::variant_chosen, this,
            [this, uid](const monitor::SweepVariant& v) { apply_variant(uid, v); });
    dialog->show();
}

// A swept variant into the editor, modifying the monitor it was swept for; the user saves it
// with 确定修改.
void MainWindow::apply_variant(quint64 uid, const monitor::SweepVariant& v)
{
    const int position = engine().list().position_of(uid);
    auto editor = position ? engine().modify_monitor(position, editor_record()) : std::nullopt;
    if (!editor) {
        shell_->message(u"寻优的监控已不在监控列表中"_s);
        return;
    }
    editor->threshold = QString::number(v.threshold);
    editor->plan = v.plan;
    editor->unit_index = v.unit;
    editor->auto_bet = true;
    show_editor(*editor);
    zorvik_main_->setCurrentIndex(1);
    raise();
    activateWindow();
}

void MainWindow::link_dispatch(int index)
{
    switch (index) {
    case tips::kFoldDetail:
        monitor_panel_->fold_detail_panel();
        break;
    case tips::kCopyNumbers:
        monitor_panel_->copy_numbers();
        break;
    case tips::kModifySelected:
        modify_selected();
        break;
    case tips::kDrawListHint:
        core_->feed().refresh_awd_list();
        break;
    case tips::kBalanceLine:
        core_->refresh_balance();
        betting_->mirror_balance();
        break;
    default:
        if (const auto url = core_->service().link_for(index))
            shell_->open_link(*url);
        break;
    }
}

void MainWindow::show_announcement(const service::Announcement& a)
{
    QPushButton* begin_plan = monitor_panel_->begin_plan();
    if (!engine().monitoring())
        begin_plan->setText(a.begin_plan);
    if (!a.reached)
        return;
    begin_plan->setEnabled(true);
    info_qq_->setText(a.qq);
    info_tips_->setText(a.tips);
    tips_->at(tips::kNewVersionLink)->setText(a.new_version_caption);
    tips_->at(tips::kNewVersionLink)->setVisible(a.new_version);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closing_without_question_ &&
        !shell_->confirm(u"确认退出?"_s, QString::fromUtf16(support::kTitle) + u" - 关闭提示"_s)) {
        event->ignore();
        return;
    }
    own_shell_->tray().show_tray(false);
    if (own_http_)
        own_http_->stop(); // a request still waiting is cut short by the exit, not the network
    event->accept();
}

} // namespace zorvik::app
