#include "app/main_window.h"

#include "app/core.h"
#include "app/options.h"
#include "app/tips_label.h"
#include "app/window_shell.h"
#include "feed/catalogue.h"
#include "monitor/engine.h"
#include "monitor/view.h"
#include "notify/sound.h"
#include "rules/plays.h"
#include "service/service_link.h"
#include "support/clock.h"
#include "support/identity.h"
#include "support/qt_http.h"
#include "support/text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

constexpr int kDrawAreaWidth = 290;

template <typename W, typename... Args>
W* named(const char* name, Args&&... args)
{
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QTreeWidget* list_view(const char* name, std::initializer_list<std::pair<QString, int>> columns)
{
    auto* view = named<QTreeWidget>(name);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (const auto& column : columns)
        headers << column.first;
    view->setHeaderLabels(headers);
    int i = 0;
    for (const auto& column : columns)
        view->setColumnWidth(i++, column.second);
    return view;
}

void fill_list(QComboBox* box, const QString& items, int selected)
{
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items.split(u'|'));
    if (selected >= 0 && selected < box->count())
        box->setCurrentIndex(selected);
}

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

QLabel* caption(const QString& text)
{
    return new QLabel(text);
}

} // namespace

MainWindow::MainWindow(const QString& data_dir, support::Shell* shell, const NetConfig& net,
                       support::HttpClient* http, QWidget* parent)
    : QMainWindow(parent), data_dir_(data_dir), settings_file_(settings_path(data_dir))
{
    setObjectName(u"zorvik_frm"_s);
    own_shell_ = std::make_unique<WindowShell>(this, data_dir_, [this] {
        return alert_sound_file_ ? alert_sound_file_->text() : QString();
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
    setWindowIcon(program_icon());
    core_->init_var();
    own_shell_->tray().show_tray(true, windowIcon(), QString());
    fill_option_lists();
    load_settings();
    setWindowTitle(QString::fromUtf16(support::kTitle) + u'{' + QString::fromUtf16(support::kVersion) +
                   u"} "_s);
    own_shell_->tray().set_tooltip(windowTitle());
    connect_editor();
    refresh_editor();

    feed::DrawFeed& feed = core_->feed();
    connect(&feed, &feed::DrawFeed::labels_changed, this, &MainWindow::render_draw_labels);
    connect(&feed, &feed::DrawFeed::countdown_changed, next_awd_countdown_, &QLabel::setText);
    connect(&feed, &feed::DrawFeed::rows_changed, this, &MainWindow::render_draws);
    connect(core_.get(), &AppCore::announced, this, &MainWindow::show_announcement);
    connect(&engine(), &monitor::MonitorEngine::rows_changed, this, &MainWindow::render_rows);
    engine().set_alert_options(alert_type_tips_->isChecked(), alert_type_sound_->isChecked());
    engine().load();
    // The restored lottery is applied as the user's choice would be.
    if (combox_select_caizhong_->currentIndex() > 0)
        apply_caizhong();
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
}

// ---------------------------------------------------------------------------------------------
// Layout

void MainWindow::build_ui()
{
    auto* central = named<QWidget>("zorvik");
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);

    QWidget* draw_area = build_draw_area();
    zorvik_main_ = named<QTabWidget>("zorvik_main");
    zorvik_main_->addTab(build_monitor_tab(), u"监控列表"_s);
    zorvik_main_->addTab(build_editor_tab(), u"添加/修改监控"_s);

    auto* right = new QVBoxLayout;
    right->addWidget(zorvik_main_, 1);
    auto* options_row = new QHBoxLayout;
    options_row->addWidget(build_alert_options());
    options_row->addWidget(build_betting_area(), 1);
    right->addLayout(options_row);

    auto* log_box = named<QGroupBox>("Frame2", u"投注记录"_s);
    auto* log_layout = new QVBoxLayout(log_box);
    auto* tz_list = list_view("tz_list", {{u"期号"_s, 1500 / 15}, {u"开奖"_s, 1200 / 15},
                                          {u"玩法"_s, 2000 / 15}, {u"倍数"_s, 900 / 15},
                                          {u"成本"_s, 1200 / 15}, {u"状态"_s, 900 / 15},
                                          {u"返奖"_s, 1200 / 15}, {u"订单号"_s, 1500 / 15},
                                          {u"注码"_s, 4500 / 15}, {u"备注"_s, 100 / 15}});
    tz_list->setMinimumHeight(72);
    log_layout->addWidget(tz_list);
    right->addWidget(log_box, 0);

    grid->addWidget(draw_area, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->setColumnStretch(1, 1);

    auto* info = named<QLabel>("info_label_0", QString::fromUtf16(support::kTitle) + u"  "_s +
                                                   QString::fromUtf16(support::kVersion) + u" ("_s +
                                                   QString::fromUtf16(support::kBuild) + u')');
    info_qq_ = named<QLabel>("info_label_2");
    info_tips_ = named<QLabel>("info_label_5");
    auto* global_tips = named<QLabel>("global_tips");
    auto* footer = new QHBoxLayout;
    footer->setSpacing(14);
    footer->addWidget(info);
    footer->addWidget(info_qq_);
    footer->addWidget(info_tips_, 1);
    footer->addWidget(global_tips);
    const std::pair<int, QString> links[] = {
        {20, u"排期公式"_s},    {37, u"使用教程"_s},    {38, QString()},
        {39, u"注册合乐"_s},    {40, u"注册U彩"_s},     {41, u"注册经纬"_s},
        {42, u"合作伙伴"_s},    {43, u"友情链接"_s},
    };
    for (const auto& [index, text] : links) {
        TipsLabel* link = tips_label(index, text);
        link->setCursor(Qt::PointingHandCursor);
        link->setProperty("link", true);
        footer->addWidget(link);
    }
    tips_[tips::kNewVersionLink]->hide();
    grid->addLayout(footer, 1, 0, 1, 2);

    setCentralWidget(central);
    resize(1280, 700);
}

TipsLabel* MainWindow::tips_label(int index, const QString& text)
{
    auto* label = new TipsLabel(index, text);
    tips_[size_t(index)] = label;
    connect(label, &TipsLabel::clicked, this, &MainWindow::link_dispatch);
    return label;
}

QWidget* MainWindow::build_draw_area()
{
    auto* frame = named<QGroupBox>("frame_awd", u"开奖信息"_s);
    frame->setFixedWidth(kDrawAreaWidth);
    frame_awd_ = frame;
    auto* layout = new QVBoxLayout(frame);

    auto* form = new QFormLayout;
    combox_select_caizhong_ = named<QComboBox>("combox_select_caizhong");
    awd_url_ = named<QComboBox>("awd_url");
    awd_url_->setEditable(true);
    awd_url_->setInsertPolicy(QComboBox::NoInsert); // a typed address is not part of the list
    form->addRow(u"彩种："_s, combox_select_caizhong_);
    form->addRow(u"开奖线路："_s, awd_url_);
    layout->addLayout(form);

    new_iss_ = named<QLabel>("new_iss");
    new_award_ = named<QLabel>("new_award");
    next_iss_ = named<QLabel>("next_iss");
    next_awd_countdown_ = named<QLabel>("next_awd_countdown");
    auto* draw_form = new QFormLayout;
    draw_form->addRow(u"最新一期："_s, new_iss_);
    draw_form->addRow(u"开奖号码："_s, new_award_);
    draw_form->addRow(next_iss_);
    draw_form->addRow(next_awd_countdown_);
    layout->addLayout(draw_form);

    isshowawardtips_ = named<QCheckBox>("isshowawardtips", u"自动报号"_s);
    layout->addWidget(isshowawardtips_);

    awd_list_ = list_view("awd_list", {{u"期号"_s, 1685 / 15}, {u"奖号"_s, 1200 / 15}});
    layout->addWidget(awd_list_, 1);
    auto* hint = tips_label(tips::kDrawListHint, QString::fromUtf16(kDrawListHint));
    hint->setWordWrap(true);
    layout->addWidget(hint);

    connect(combox_select_caizhong_, &QComboBox::activated, this, &MainWindow::apply_caizhong);
    connect(awd_url_, &QComboBox::activated, this,
            [this](int index) { core_->pick_address(awd_url_->currentText(), index); });
    // Enter is handled on its release, once: the box's own handling of the key press would also
    // report it as a pick from the list (and save the index) when the text equals an item.
    // Leaving the box after typing an item's text is no pick either (the box would report it as
    // one when its editing finishes).
    awd_url_->setCompleter(nullptr);
    awd_url_->lineEdit()->installEventFilter(this);
    disconnect(awd_url_->lineEdit(), &QLineEdit::editingFinished, awd_url_, nullptr);
    disconnect(awd_url_->lineEdit(), &QLineEdit::returnPressed, awd_url_, nullptr);
    connect(awd_list_, &QTreeWidget::itemClicked, this, &MainWindow::toggle_draw_list);
    connect(awd_list_, &QTreeWidget::itemDoubleClicked, this,
            [this] { core_->feed().refresh_awd_list(); });
    connect(isshowawardtips_, &QCheckBox::toggled, this,
            [this](bool on) { core_->feed().set_announce(on); });
    return frame;
}

QWidget* MainWindow::build_monitor_tab()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    alert_list_ = list_view("alert_list", {});
    QStringList headers;
    for (const auto& column : monitor::kMonitorColumns)
        headers << QString::fromUtf16(column.header);
    alert_list_->setHeaderLabels(headers);
    for (int i = 0; i < int(std::size(monitor::kMonitorColumns)); ++i)
        alert_list_->setColumnWidth(i, monitor::kMonitorColumns[i].width);
    // The statistics column takes the width left over; the others keep their widths.
    alert_list_->header()->setStretchLastSection(false);
    alert_list_->header()->setSectionResizeMode(int(std::size(monitor::kMonitorColumns)) - 1,
                                                QHeaderView::Stretch);
    alert_list_->setMinimumHeight(120);
    layout->addWidget(alert_list_, 1);

    detail_panel_ = named<QWidget>("monitor_detail_panel");
    auto* detail = new QGridLayout(detail_panel_);
    detail->setContentsMargins(0, 0, 0, 0);
    alert_show_tz_number_ = named<QLineEdit>("alert_show_tz_number");
    alert_show_tz_number_->setReadOnly(true);
    alert_show_tz_info_ = named<QLabel>("alert_show_tz_info");
    alert_show_tz_info_->setWordWrap(true);
    detail->addWidget(caption(u"号码："_s), 0, 0);
    detail->addWidget(alert_show_tz_number_, 0, 1);
    detail->addWidget(tips_label(tips::kFoldDetail, u"︽"_s), 0, 2);
    detail->addWidget(tips_label(tips::kCopyNumbers, u"复制号码"_s), 0, 3);
    detail->addWidget(tips_label(tips::kModifySelected, u"修改"_s), 0, 4);
    detail->addWidget(alert_show_tz_info_, 1, 0, 1, 5);
    detail->setColumnStretch(1, 1);
    detail_panel_->hide();
    layout->addWidget(detail_panel_);

    auto* buttons = new QHBoxLayout;
    auto* alert_new = named<QPushButton>("alert_new", u"添加监控"_s);
    auto* alert_del = named<QPushButton>("alert_del", u"删除选中"_s);
    auto* alert_delall = named<QPushButton>("alert_delall", u"清空所有"_s);
    // Monitoring sessions come with the per-draw evaluation; until then the button only tells
    // whether the maker's service answered.
    auto* begin_plan = named<QPushButton>("begin_plan", QString::fromUtf16(service::kBeginPlanWaiting));
    begin_plan->setEnabled(false);
    begin_plan_ = begin_plan;
    buttons->addWidget(alert_new);
    buttons->addWidget(alert_del);
    buttons->addWidget(alert_delall);
    buttons->addStretch(1);
    buttons->addWidget(begin_plan);
    layout->addLayout(buttons);

    connect(alert_new, &QPushButton::clicked, this, &MainWindow::new_monitor);
    connect(alert_del, &QPushButton::clicked, this,
            [this] { engine().delete_monitor(selected_position()); });
    connect(alert_delall, &QPushButton::clicked, this, [this] { engine().delete_all(); });
    connect(alert_list_, &QTreeWidget::itemClicked, this, &MainWindow::show_detail_panel);
    // An open detail panel follows the selection (keyboard, rebuilds), so what it shows is
    // always the row that copy and modify act on.
    connect(alert_list_, &QTreeWidget::itemSelectionChanged, this, &MainWindow::follow_selection);
    return page;
}

QWidget* MainWindow::build_editor_tab()
{
    auto* page = named<QWidget>("zorvik_cfg");
    auto* form = new QGridLayout(page);
    int row = 0;

    auto* pos_frame = named<QWidget>("alert_pos_frame");
    auto* pos_layout = new QHBoxLayout(pos_frame);
    pos_layout->setContentsMargins(0, 0, 0, 0);
    const QString boxes[] = {u"万"_s, u"千"_s, u"百"_s, u"十"_s, u"个"_s};
    for (int i = 0; i < 5; ++i) {
        alert_cfg_pos_[size_t(i)] = new QCheckBox(boxes[i]);
        alert_cfg_pos_[size_t(i)]->setObjectName(u"alert_cfg_pos_"_s + QString::number(i));
        pos_layout->addWidget(alert_cfg_pos_[size_t(i)]);
    }
    pos_layout->addWidget(tips_label(tips::kGroupName, QString()));
    pos_layout->addStretch(1);
    form->addWidget(caption(u"监控位置："_s), row, 0);
    form->addWidget(pos_frame, row++, 1, 1, 3);

    alert_cfg_extra_tztype_ = named<QComboBox>("alert_cfg_extra_tztype");
    alert_cfg_extra_tztype_->setMinimumWidth(140);
    form->addWidget(caption(u"玩法："_s), row, 0);
    form->addWidget(alert_cfg_extra_tztype_, row++, 1);

    alert_cfg_numbers_ = named<QPlainTextEdit>("alert_cfg_numbers");
    alert_cfg_numbers_->setMinimumHeight(44);
    alert_cfg_numbers_->setMaximumHeight(70);
    alert_cfg_numbers_->setTabChangesFocus(true);
    auto* clear = named<QPushButton>("alert_cfg_numbers_clear", u"清空"_s);
    form->addWidget(caption(u"投注号码："_s), row, 0, Qt::AlignTop);
    form->addWidget(alert_cfg_numbers_, row, 1, 1, 2);
    form->addWidget(clear, row++, 3, Qt::AlignTop);

    alert_cfg_error_tips_ = named<QPlainTextEdit>("alert_cfg_error_tips");
    alert_cfg_error_tips_->setReadOnly(true);
    alert_cfg_error_tips_->setFixedHeight(54);
    alert_cfg_error_tips_->hide();
    form->addWidget(alert_cfg_error_tips_, row++, 1, 1, 3);

    alert_cfg_type_ = named<QComboBox>("alert_cfg_type");
    form->addWidget(caption(u"监控类别："_s), row, 0);
    form->addWidget(alert_cfg_type_, row, 1);
    form->addWidget(tips_label(tips::kCategoryCaption, QString()), row++, 2);

    alert_cfg_cond_ = named<QComboBox>("alert_cfg_cond");
    alert_cfg_cond_comp_ = named<QLineEdit>("alert_cfg_cond_comp");
    auto* cond = new QHBoxLayout;
    cond->addWidget(alert_cfg_cond_);
    cond->addWidget(alert_cfg_cond_comp_, 1);
    form->addWidget(caption(u"报警条件："_s), row, 0);
    form->addLayout(cond, row, 1);
    form->addWidget(tips_label(tips::kConditionSentence, QString()), row++, 2, 1, 2);

    alert_cfg_status_init_ = named<QLineEdit>("alert_cfg_status_init");
    form->addWidget(caption(u"初始状态："_s), row, 0);
    form->addWidget(alert_cfg_status_init_, row, 1);
    form->addWidget(tips_label(tips::kConditionHint, QString()), row++, 2, 1, 2);

    alert_cfg_autotz_ = named<QCheckBox>("alert_cfg_autotz", u"报警后，自动投注："_s);
    form->addWidget(alert_cfg_autotz_, row++, 0, 1, 2);
    alert_cfg_autotz_bt_ = named<QLineEdit>("alert_cfg_autotz_bt", QString::fromUtf16(monitor::kDefaultPlan));
    form->addWidget(caption(u"倍投方案："_s), row, 0);
    form->addWidget(alert_cfg_autotz_bt_, row++, 1, 1, 2);
    alert_cfg_autotz_zjtype_ = named<QComboBox>("alert_cfg_autotz_zjtype");
    alert_cfg_autotz_pl_ = named<QLineEdit>("alert_cfg_autotz_pl", QString::fromUtf16(monitor::kDefaultOdds));
    auto* money = new QHBoxLayout;
    money->addWidget(alert_cfg_autotz_zjtype_);
    money->addWidget(caption(u"赔率："_s));
    money->addWidget(alert_cfg_autotz_pl_);
    form->addWidget(caption(u"资金模式："_s), row, 0);
    form->addLayout(money, row++, 1, 1, 2);

    alert_cfg_id_ = named<QLineEdit>("alert_cfg_id", u"0"_s);
    alert_cfg_id_->setReadOnly(true);
    alert_cfg_id_->hide();
    alert_new_do_ = named<QPushButton>("alert_new_do", QString::fromUtf16(monitor::kAddCaption));
    alert_new_do_->setDefault(true);
    form->addWidget(alert_cfg_id_, row, 0);
    form->addWidget(alert_new_do_, row++, 1);
    form->setRowStretch(row, 1);
    form->setColumnStretch(2, 1);

    connect(clear, &QPushButton::clicked, alert_cfg_numbers_, &QPlainTextEdit::clear);
    connect(alert_new_do_, &QPushButton::clicked, this, &MainWindow::save_monitor);
    return page;
}

QWidget* MainWindow::build_alert_options()
{
    auto* box = named<QGroupBox>("Frame1", u"报警设置"_s);
    auto* layout = new QGridLayout(box);
    alert_type_tips_ = named<QCheckBox>("alert_type_tips", u"弹窗报警"_s);
    alert_type_sound_ = named<QCheckBox>("alert_type_sound", u"声音报警"_s);
    alert_type_tips_->setChecked(true);
    alert_type_sound_->setChecked(true);
    alert_sound_file_ = named<QLineEdit>("alert_sound_file");
    alert_sound_file_->setPlaceholderText(QString::fromUtf16(notify::kSoundPlaceholder));
    alert_sound_file_->setReadOnly(true);
    alert_sound_file_->installEventFilter(this);
    auto* test = named<QPushButton>("alert_sound_test", u"测试铃声"_s);
    layout->addWidget(alert_type_tips_, 0, 0);
    layout->addWidget(alert_type_sound_, 0, 1);
    layout->addWidget(alert_sound_file_, 1, 0, 1, 2);
    layout->addWidget(test, 2, 0, 1, 2);

    connect(alert_type_tips_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            isshowawardtips_->setChecked(false);
        engine().set_alert_options(on, alert_type_sound_->isChecked());
    });
    connect(alert_type_sound_, &QCheckBox::toggled, this, [this](bool on) {
        engine().set_alert_options(alert_type_tips_->isChecked(), on);
    });
    connect(test, &QPushButton::clicked, this, &MainWindow::test_sound);
    connect(isshowawardtips_, &QCheckBox::clicked, this, &MainWindow::show_award_tips_clicked);
    return box;
}

QWidget* MainWindow::build_betting_area()
{
    auto* box = named<QGroupBox>("tz_frame", u"投注设置"_s);
    auto* layout = new QGridLayout(box);
    tz_plt_pass_ = named<QLineEdit>("tz_plt_pass");
    tz_plt_pass_->setEchoMode(QLineEdit::Password);
    plt_tz_zy_ = named<QLineEdit>("plt_tz_zy", u"1000"_s);
    plt_tz_zs_ = named<QLineEdit>("plt_tz_zs", u"-1000"_s);
    auto* tz_virtual_m = named<QLineEdit>("tz_virtual_m");
    auto* tz_virtual = named<QCheckBox>("tz_virtual", u"模拟投注"_s);
    // Logging in and the simulated balance come alive with platform betting.
    auto* tz_plt_login = named<QPushButton>("tz_plt_login", u"登录平台"_s);
    auto* tz_virtual_m_do = named<QPushButton>("tz_virtual_m_do", u"设置资金"_s);
    for (QWidget* w : std::initializer_list<QWidget*>{tz_virtual_m, tz_virtual, tz_plt_login,
                                                      tz_virtual_m_do})
        w->setEnabled(false);

    layout->addWidget(tips_label(tips::kAccount, QString()), 0, 0, 1, 2);
    layout->addWidget(tips_label(tips::kPasswordCaption, u"平台密码："_s), 1, 0);
    layout->addWidget(tz_plt_pass_, 1, 1);
    layout->addWidget(tz_plt_login, 1, 2);
    layout->addWidget(caption(u"止盈："_s), 2, 0);
    layout->addWidget(plt_tz_zy_, 2, 1);
    layout->addWidget(caption(u"止损："_s), 3, 0);
    layout->addWidget(plt_tz_zs_, 3, 1);
    layout->addWidget(tz_virtual, 4, 0);
    layout->addWidget(tz_virtual_m, 4, 1);
    layout->addWidget(tz_virtual_m_do, 4, 2);
    layout->addWidget(tips_label(tips::kBalanceLine, QString()), 0, 3);
    layout->addWidget(tips_label(tips::kIncomeLine, u"当前收入：0"_s), 1, 3);
    layout->addWidget(tips_label(tips::kBetSummaryLine, QString()), 2, 3);
    layout->addWidget(tips_label(tips::kBetStatusLine, QString()), 3, 3, 2, 1);
    tips_[tips::kBetStatusLine]->setWordWrap(true);
    layout->setColumnStretch(3, 1);
    return box;
}

void MainWindow::fill_option_lists()
{
    fill_list(combox_select_caizhong_, feed::lottery_list(), 0);
    fill_list(alert_cfg_type_, rules::categories(), 0);
    fill_list(alert_cfg_cond_, rules::comparisons(), 0);
    fill_list(alert_cfg_extra_tztype_, u"直选单式"_s, 0);
    fill_list(alert_cfg_autotz_zjtype_, QString::fromUtf16(kUnits), kUnitsSelected);
}

void MainWindow::load_settings()
{
    const Options o = settings_load(settings_file_);
    // A stored lottery that is no longer offered leaves the box as it is.
    if (const int i = combox_select_caizhong_->findText(o.caizhong); i >= 0 && !o.caizhong.isEmpty())
        combox_select_caizhong_->setCurrentIndex(i);
    alert_type_tips_->setChecked(o.alert_type_tips);
    alert_type_sound_->setChecked(o.alert_type_sound);
    alert_sound_file_->setText(o.alert_sound_file);
    tz_plt_pass_->setText(o.plt_pass);
    plt_tz_zs_->setText(o.plt_tz_zs);
    plt_tz_zy_->setText(o.plt_tz_zy);
}

// ---------------------------------------------------------------------------------------------
// Editor

void MainWindow::connect_editor()
{
    for (QCheckBox* box : alert_cfg_pos_)
        connect(box, &QCheckBox::toggled, this, &MainWindow::refresh_editor);
    connect(alert_cfg_type_, &QComboBox::currentIndexChanged, this, &MainWindow::refresh_editor);
    connect(alert_cfg_cond_, &QComboBox::currentIndexChanged, this, &MainWindow::refresh_editor);
    connect(alert_cfg_cond_comp_, &QLineEdit::textChanged, this, &MainWindow::refresh_editor);
    connect(alert_cfg_extra_tztype_, &QComboBox::activated, this,
            &MainWindow::show_number_example);
}

void MainWindow::refresh_editor()
{
    if (!applying_)
        apply_editor_state(true);
}

// Runs the editor refresh on the boxes. With write-backs the threshold and comparison boxes
// may be rewritten, which raises another refresh that shows the new values.
void MainWindow::apply_editor_state(bool write_backs)
{
    rules::EditorInput input;
    for (int i = 0; i < 5; ++i)
        input.ticked[size_t(i)] = alert_cfg_pos_[size_t(i)]->isChecked();
    input.category = alert_cfg_type_->currentText();
    input.comparison = alert_cfg_cond_->currentText();
    input.threshold = alert_cfg_cond_comp_->text();
    const rules::EditorState s = rules::refresh_editor(input);

    tips_[tips::kGroupName]->setText(s.group);
    tips_[tips::kCategoryCaption]->setText(s.category_caption);
    tips_[tips::kConditionHint]->setText(s.hint);
    tips_[tips::kConditionSentence]->setText(s.sentence);
    if (!write_backs)
        return;
    alert_cfg_extra_tztype_->setVisible(s.plays_visible);
    fill_list(alert_cfg_extra_tztype_, s.plays, s.selected_play);
    if (s.numbers)
        alert_cfg_numbers_->setPlainText(*s.numbers);
    alert_cfg_status_init_->setText(s.initial_status);
    if (s.threshold_write_back)
        alert_cfg_cond_comp_->setText(*s.threshold_write_back);
    if (s.comparison_write_back)
        alert_cfg_cond_->setCurrentIndex(*s.comparison_write_back);
}

void MainWindow::show_number_example()
{
    const int count = rules::group_letters(editor_record().ticked).count;
    if (count <= 0)
        return;
    if (const auto example = rules::number_example(count, alert_cfg_extra_tztype_->currentIndex()))
        alert_cfg_numbers_->setPlainText(u"示例："_s + *example);
}

monitor::EditorRecord MainWindow::editor_record() const
{
    monitor::EditorRecord r;
    r.id = support::to_int(alert_cfg_id_->text());
    r.original = r.id > 0 ? loaded_.original : QString();
    for (int i = 0; i < 5; ++i)
        r.ticked[size_t(i)] = alert_cfg_pos_[size_t(i)]->isChecked();
    r.play = alert_cfg_extra_tztype_->currentText();
    // The box gives bare line feeds; the rules read line breaks as carriage return and line feed.
    r.numbers = support::crlf_line_breaks(alert_cfg_numbers_->toPlainText());
    r.category = alert_cfg_type_->currentText();
    r.comparison = alert_cfg_cond_->currentText();
    r.threshold = alert_cfg_cond_comp_->text();
    r.initial_status = alert_cfg_status_init_->text();
    r.auto_bet = alert_cfg_autotz_->isChecked();
    r.plan = alert_cfg_autotz_bt_->text();
    r.unit_index = alert_cfg_autotz_zjtype_->currentIndex();
    r.odds = alert_cfg_autotz_pl_->text();
    return r;
}

void MainWindow::show_editor(const monitor::EditorRecord& r)
{
    loaded_ = r;
    applying_ = true;
    alert_cfg_id_->setText(QString::number(r.id));
    alert_new_do_->setText(QString::fromUtf16(r.id > 0 ? monitor::kModifyCaption : monitor::kAddCaption));
    for (int i = 0; i < 5; ++i)
        alert_cfg_pos_[size_t(i)]->setChecked(r.ticked[size_t(i)]);
    const int count = rules::group_letters(r.ticked).count;
    alert_cfg_extra_tztype_->setVisible(count > 0);
    fill_list(alert_cfg_extra_tztype_, rules::plays_for_count(count), 0);
    if (const int i = alert_cfg_extra_tztype_->findText(r.play); i >= 0)
        alert_cfg_extra_tztype_->setCurrentIndex(i);
    alert_cfg_numbers_->setPlainText(r.numbers);
    alert_cfg_type_->setCurrentIndex(std::max(0, alert_cfg_type_->findText(r.category)));
    // A comparison that is not offered leaves the box empty.
    alert_cfg_cond_->setCurrentIndex(alert_cfg_cond_->findText(r.comparison));
    alert_cfg_cond_comp_->setText(r.threshold);
    alert_cfg_status_init_->setText(r.initial_status);
    alert_cfg_autotz_->setChecked(r.auto_bet);
    alert_cfg_autotz_bt_->setText(r.plan);
    if (r.unit_index >= 0 && r.unit_index < alert_cfg_autotz_zjtype_->count())
        alert_cfg_autotz_zjtype_->setCurrentIndex(r.unit_index);
    alert_cfg_autotz_pl_->setText(r.odds);
    applying_ = false;
    apply_editor_state(false);
}

void MainWindow::new_monitor()
{
    alert_cfg_id_->setText(u"0"_s);
    alert_new_do_->setText(QString::fromUtf16(monitor::kAddCaption));
    zorvik_main_->setCurrentIndex(1);
}

void MainWindow::save_monitor()
{
    alert_cfg_error_tips_->hide();
    monitor::EditorRecord r = editor_record();
    const QString error = engine().save_monitor(r);
    if (!error.isEmpty()) {
        alert_cfg_error_tips_->setPlainText(error);
        alert_cfg_error_tips_->show();
        return;
    }
    alert_cfg_id_->setText(QString::number(r.id));
    if (r.id == 0)
        alert_new_do_->setText(QString::fromUtf16(monitor::kAddCaption));
}

// ---------------------------------------------------------------------------------------------
// Monitor view and detail panel

void MainWindow::render_rows()
{
    rendering_ = true;
    alert_list_->clear();
    QTreeWidgetItem* last = nullptr;
    for (const monitor::MonitorRow& row : engine().rows()) {
        auto* item = new QTreeWidgetItem(row.columns);
        item->setData(0, Qt::UserRole, row.position);
        if (row.marked) {
            for (int c = 0; c < row.columns.size(); ++c) {
                item->setForeground(c, QColor(255, 0, 0));
                if (c > 0) {
                    QFont font = item->font(c);
                    font.setBold(true);
                    item->setFont(c, font);
                }
            }
        }
        alert_list_->addTopLevelItem(item);
        last = item;
    }
    if (last) {
        alert_list_->setCurrentItem(last);
        alert_list_->scrollToItem(last);
    }
    rendering_ = false;
    follow_selection();
}

void MainWindow::follow_selection()
{
    if (rendering_ || detail_panel_->isHidden())
        return;
    if (selected_position())
        show_detail_panel();
    else
        fold_detail_panel();
}

std::optional<int> MainWindow::selected_position() const
{
    const QTreeWidgetItem* item = alert_list_->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    return item->data(0, Qt::UserRole).toInt();
}

void MainWindow::show_detail_panel()
{
    const auto position = selected_position();
    if (!position)
        return;
    const auto record = engine().list().at(*position);
    if (!record) {
        fold_detail_panel();
        return;
    }
    detail_panel_->show();
    alert_show_tz_number_->setText(record->field(monitor::kNumbers));
    alert_show_tz_number_->setCursorPosition(0);
    alert_show_tz_info_->setText(monitor::detail_text(*record));
}

void MainWindow::fold_detail_panel()
{
    detail_panel_->hide();
}

void MainWindow::copy_numbers()
{
    shell_->copy_text(alert_show_tz_number_->text());
    shell_->tip(u"号码已复制到剪切板"_s);
}

void MainWindow::modify_selected()
{
    const auto editor = engine().modify_monitor(selected_position(), editor_record());
    if (!editor)
        return;
    show_editor(*editor);
    zorvik_main_->setCurrentIndex(1);
}

void MainWindow::link_dispatch(int index)
{
    switch (index) {
    case tips::kFoldDetail:
        fold_detail_panel();
        break;
    case tips::kCopyNumbers:
        copy_numbers();
        break;
    case tips::kModifySelected:
        modify_selected();
        break;
    case tips::kDrawListHint:
        core_->feed().refresh_awd_list();
        break;
    default:
        if (const auto url = core_->service().link_for(index))
            shell_->open_link(*url);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Alert options

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (awd_url_ && watched == awd_url_->lineEdit() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QMainWindow::eventFilter(watched, event);
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            core_->enter_address(awd_url_->currentText());
        return true;
    }
    if (watched == alert_sound_file_ && event->type() == QEvent::MouseButtonRelease) {
        choose_sound_file();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::choose_sound_file()
{
    alert_sound_file_->setText(
        QFileDialog::getOpenFileName(this, QString(), QString(), u"wav 文件(*.wav)"_s));
}

void MainWindow::test_sound()
{
    const QString file = notify::sound_box_file(alert_sound_file_->text());
    if (file.isEmpty()) {
        shell_->message(u"请选择一个声音文件"_s);
        return;
    }
    shell_->alert_sound(file);
}

void MainWindow::show_award_tips_clicked()
{
    isshowawardtips_->setChecked(
        core_->show_award_tips_clicked(isshowawardtips_->isChecked(), alert_type_tips_->isChecked()));
}

// ---------------------------------------------------------------------------------------------
// Draws, lottery and service

void MainWindow::apply_caizhong()
{
    const LotteryChoice choice = core_->choose_lottery(combox_select_caizhong_->currentText());
    alert_cfg_autotz_->setText(choice.auto_bet ? u"报警后，自动投注："_s
                                               : u"报警后，自动投注(仅限合乐/U彩平台)："_s);
    alert_cfg_autotz_->setEnabled(choice.auto_bet);
    fill_list(alert_cfg_autotz_zjtype_, choice.units, kUnitsSelected);
    {
        const QSignalBlocker block(awd_url_);
        awd_url_->clear();
        awd_url_->addItems(choice.addresses);
        awd_url_->setCurrentIndex(choice.saved_index < awd_url_->count() ? choice.saved_index : -1);
        if (choice.saved_index >= awd_url_->count())
            awd_url_->setEditText(QString());
    }
}

void MainWindow::render_draw_labels(const QString& new_iss, const QString& next_iss,
                                    const QString& new_award)
{
    new_iss_->setText(new_iss);
    next_iss_->setText(next_iss);
    new_award_->setText(new_award);
}

void MainWindow::render_draws()
{
    awd_list_->clear();
    for (const feed::DrawRow& row : core_->feed().rows())
        awd_list_->addTopLevelItem(new QTreeWidgetItem({row.issue, row.numbers}));
}

// A click on the draw list shows it large in place of the tab control, or back.
void MainWindow::toggle_draw_list()
{
    TipsLabel* hint = tips_[tips::kDrawListHint];
    if (hint->text().contains(u"展开"_s)) {
        zorvik_main_->hide();
        frame_awd_->setMaximumWidth(QWIDGETSIZE_MAX);
        frame_awd_->setMinimumWidth(kDrawAreaWidth);
        hint->setText(u"收起"_s);
    } else {
        frame_awd_->setFixedWidth(kDrawAreaWidth);
        zorvik_main_->show();
        hint->setText(QString::fromUtf16(kDrawListHint));
    }
}

void MainWindow::show_announcement(const service::Announcement& a)
{
    begin_plan_->setText(a.begin_plan);
    if (!a.reached)
        return;
    info_qq_->setText(a.qq);
    info_tips_->setText(a.tips);
    tips_[tips::kNewVersionLink]->setText(a.new_version_caption);
    tips_[tips::kNewVersionLink]->setVisible(a.new_version);
}

// ---------------------------------------------------------------------------------------------
// Closing

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
