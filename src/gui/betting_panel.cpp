#include "gui/betting_panel.h"

#include "core/core.h"
#include "gui/monitor_models.h"
#include "gui/tips_label.h"
#include "gui/widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

namespace {

int tips_index(monitor::Line line)
{
    switch (line) {
    case monitor::Line::BetStatus:
        return tips::kBetStatusLine;
    case monitor::Line::BetSummary:
        return tips::kBetSummaryLine;
    case monitor::Line::Income:
        return tips::kIncomeLine;
    case monitor::Line::Balance:
        return tips::kBalanceLine;
    }
    return tips::kBetStatusLine;
}

} // namespace

BettingPanel::BettingPanel(AppCore& core, TipsGroup& tips, QObject* parent)
    : QObject(parent), core_(core), tips_(tips)
{
    tz_frame_ = named<QGroupBox>("tz_frame", u"投注设置"_s);
    auto* layout = new QGridLayout(tz_frame_);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(3);
    tz_plt_user_ = named<QLineEdit>("tz_plt_user");
    tz_plt_user_->setPlaceholderText(u"平台账号"_s);
    tz_plt_pass_ = named<QLineEdit>("tz_plt_pass");
    tz_plt_pass_->setEchoMode(QLineEdit::Password);
    plt_tz_zy_ = named<QLineEdit>("plt_tz_zy", u"1000"_s);
    plt_tz_zs_ = named<QLineEdit>("plt_tz_zs", u"-1000"_s);
    tz_virtual_m_ = named<QLineEdit>("tz_virtual_m", QString::fromUtf16(monitor::kVirtualBalance));
    tz_virtual_ = named<QCheckBox>("tz_virtual", u"我要装逼"_s);
    tz_virtual_->setToolTip(u"模拟投注：不连接平台，用虚拟资金投注"_s);
    tz_plt_login_ = named<QPushButton>("tz_plt_login", u"登录平台"_s);
    auto* tz_virtual_m_do = named<QPushButton>("tz_virtual_m_do", u"设置资金"_s);

    // The account is typed in the box; once logged in, the label shows it in the box's place.
    layout->addWidget(caption(u"平台账号："_s), 0, 0);
    layout->addWidget(tz_plt_user_, 0, 1);
    layout->addWidget(tips_.make(tips::kAccount, QString()), 0, 1);
    tips_.at(tips::kAccount)->hide();
    layout->addWidget(tips_.make(tips::kPasswordCaption, u"平台密码："_s), 1, 0);
    layout->addWidget(tz_plt_pass_, 1, 1);
    layout->addWidget(tz_plt_login_, 1, 2);
    // 止盈 and 止损 share a row: the window keeps its height with the desk tabs above.
    auto* stop_row = new QHBoxLayout;
    stop_row->setContentsMargins(0, 0, 0, 0);
    stop_row->addWidget(plt_tz_zy_);
    stop_row->addWidget(caption(u"止损："_s));
    stop_row->addWidget(plt_tz_zs_);
    plt_tz_zs_->setToolTip(u"止损（负数）"_s);
    layout->addWidget(caption(u"止盈："_s), 2, 0);
    layout->addLayout(stop_row, 2, 1, 1, 2);
    layout->addWidget(tz_virtual_, 3, 0);
    layout->addWidget(tz_virtual_m_, 3, 1);
    layout->addWidget(tz_virtual_m_do, 3, 2);
    layout->addWidget(tips_.make(tips::kBalanceLine, QString()), 0, 3);
    layout->addWidget(tips_.make(tips::kIncomeLine, core_.engine().line(monitor::Line::Income)), 1, 3);
    layout->addWidget(tips_.make(tips::kBetSummaryLine, QString()), 2, 3);
    layout->addWidget(tips_.make(tips::kBetStatusLine, QString()), 3, 3);
    layout->setColumnStretch(3, 1);

    connect(tz_virtual_, &QCheckBox::toggled, this, [this](bool on) { core_.set_virtual(on); });
    connect(tz_virtual_m_do, &QPushButton::clicked, this, [this] {
        if (selected_)
            selected_->engine().set_virtual_balance(tz_virtual_m_->text());
    });
    // Every status line wraps, and says its whole text when pointed at.
    for (const int index : {tips::kBalanceLine, tips::kIncomeLine, tips::kBetSummaryLine, tips::kBetStatusLine}) {
        tips_.at(index)->setWordWrap(true);
        tips_.at(index)->setMinimumWidth(0);
    }
    connect(tz_plt_user_, &QLineEdit::textChanged, this, &BettingPanel::typed);
    connect(tz_plt_pass_, &QLineEdit::textChanged, this, &BettingPanel::typed);
    connect(tz_plt_login_, &QPushButton::clicked, &core_, [this] { core_.login_clicked(which_); });
    connect(&core_, &AppCore::login_enabled, this, [this](int which, bool on) {
        login_enabled_[which] = on;
        if (which == which_)
            tz_plt_login_->setEnabled(on);
    });
    connect(&core_, &AppCore::login_shown, this, [this](int which, bool shown) {
        login_shown_[which] = shown;
        if (which == which_)
            show_account();
    });
    // The first desk's amounts are the boxes' while it is shown; a further desk's are kept in
    // its section once edited, and read from there at every settlement.
    const auto stops = [this] {
        if (!selected_ || selected_->number() == 1)
            first_stops_ = {plt_tz_zy_->text(), plt_tz_zs_->text()};
    };
    connect(plt_tz_zy_, &QLineEdit::textChanged, this, stops);
    connect(plt_tz_zs_, &QLineEdit::textChanged, this, stops);
    const auto keep_stops = [this] {
        if (selected_ && selected_->number() > 1)
            core_.report_write(save_desk_stops(core_.settings_file(), selected_->number(), plt_tz_zy_->text(),
                                               plt_tz_zs_->text()));
    };
    connect(plt_tz_zy_, &QLineEdit::editingFinished, this, keep_stops);
    connect(plt_tz_zs_, &QLineEdit::editingFinished, this, keep_stops);
    // Amounts set from the dashboard: the first desk's are the boxes' own, and the boxes show
    // those of the desk shown.
    connect(&core_, &AppCore::stops_changed, this, [this](int desk, const QString& profit, const QString& loss) {
        if (desk == 1)
            first_stops_ = {profit, loss};
        if (selected_ && selected_->number() == desk) {
            const QSignalBlocker block_profit(plt_tz_zy_);
            const QSignalBlocker block_loss(plt_tz_zs_);
            plt_tz_zy_->setText(profit);
            plt_tz_zs_->setText(loss);
        }
    });
    core_.engine().set_stop_source([this] { return first_stops_; });
}

QGroupBox* BettingPanel::make_log_box(Desk& desk)
{
    monitor::MonitorEngine& engine = desk.engine();
    auto* frame = named<QGroupBox>("Frame2", u"投注记录"_s);
    auto* log_layout = new QVBoxLayout(frame);
    log_layout->setContentsMargins(4, 2, 4, 4);
    auto* table = table_view("tz_list");
    table->setModel(new BetLogModel(engine, table));
    for (int c = 0; c < monitor::kBetColumnCount; ++c)
        table->setColumnWidth(c, monitor::kBetLogColumns[c].width);
    table->horizontalHeader()->setStretchLastSection(true);
    log_layout->addWidget(table);
    logs_.push_back({&desk, table});
    keep_log_rows(log_rows_);

    // The status lines show the selected desk's.
    connect(&engine, &monitor::MonitorEngine::line_changed, this,
            [this, d = &desk](monitor::Line line, const QString& text) {
                if (d != selected_)
                    return;
                tips_.at(tips_index(line))->setText(text);
                tips_.at(tips_index(line))->setToolTip(text);
                if (line == monitor::Line::Balance)
                    mirror_balance();
            });
    // A new bet is brought into view, as the newest row.
    connect(&engine, &monitor::MonitorEngine::bet_added, table, [this, table, d = &desk](int row) {
        table->selectRow(row);
        table->scrollToBottom();
        if (d == selected_)
            mirror_balance();
    });
    return frame;
}

void BettingPanel::forget_desk(Desk& desk)
{
    disconnect(&desk.engine(), nullptr, this, nullptr);
    std::erase_if(logs_, [&desk](const Log& l) { return l.desk == &desk; });
    if (selected_ == &desk)
        selected_ = nullptr;
}

void BettingPanel::select_desk(Desk& desk)
{
    selected_ = &desk;
    for (const monitor::Line line :
         {monitor::Line::BetStatus, monitor::Line::BetSummary, monitor::Line::Income, monitor::Line::Balance}) {
        const QString text = desk.engine().line(line);
        tips_.at(tips_index(line))->setText(text);
        tips_.at(tips_index(line))->setToolTip(text);
    }
    {
        const QSignalBlocker block_profit(plt_tz_zy_);
        const QSignalBlocker block_loss(plt_tz_zs_);
        const auto [profit, loss] = desk.number() == 1 ? first_stops_ : desk.kept_stops();
        plt_tz_zy_->setText(profit);
        plt_tz_zs_->setText(loss);
    }
    // The shown desk's simulated balance (each desk has its own).
    const QString balance = desk.engine().line(monitor::Line::Balance);
    tz_virtual_m_->setText(balance.isEmpty() ? QString::fromUtf16(monitor::kVirtualBalance) : balance);
    which_ = core_.account_of(desk.lottery());
    show_account();
}

void BettingPanel::load_account(int which, const QString& account, const QString& password)
{
    typed_[which] = {account, password};
    if (which == which_)
        show_account();
    else
        core_.set_credentials(account, password, which);
}

// The selected desk's platform account into the boxes (and to the core, as typed).
void BettingPanel::show_account()
{
    {
        const QSignalBlocker block_user(tz_plt_user_);
        const QSignalBlocker block_pass(tz_plt_pass_);
        tz_plt_user_->setText(typed_[which_].first);
        tz_plt_pass_->setText(typed_[which_].second);
    }
    typed();
    const bool shown = login_shown_[which_];
    for (QWidget* w : {static_cast<QWidget*>(tips_.at(tips::kPasswordCaption)), static_cast<QWidget*>(tz_plt_pass_),
                       static_cast<QWidget*>(tz_plt_login_), static_cast<QWidget*>(tz_plt_user_)})
        w->setVisible(shown);
    tips_.at(tips::kAccount)->setVisible(!shown);
    tz_plt_login_->setEnabled(login_enabled_[which_]);
}

void BettingPanel::typed()
{
    typed_[which_] = {tz_plt_user_->text(), tz_plt_pass_->text()};
    tips_.at(tips::kAccount)->setText(tz_plt_user_->text());
    core_.set_credentials(tips_.at(tips::kAccount)->text(), tz_plt_pass_->text(), which_);
}

void BettingPanel::mirror_balance()
{
    const QString balance = tips_.at(tips::kBalanceLine)->text();
    if (!balance.isEmpty())
        tz_virtual_m_->setText(balance);
}

void BettingPanel::keep_log_rows(int rows)
{
    log_rows_ = rows;
    for (const Log& log : logs_) {
        QTableView* t = log.table;
        t->setMinimumHeight(t->horizontalHeader()->sizeHint().height() + rows * t->verticalHeader()->defaultSectionSize() +
                            t->horizontalScrollBar()->sizeHint().height() + 4);
    }
}

} // namespace zorvik::app
