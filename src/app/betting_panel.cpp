#include "app/betting_panel.h"

#include "app/core.h"
#include "app/monitor_models.h"
#include "app/tips_label.h"
#include "app/widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
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
    monitor::MonitorEngine& engine = core_.engine();
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
    auto* tz_plt_login = named<QPushButton>("tz_plt_login", u"登录平台"_s);
    auto* tz_virtual_m_do = named<QPushButton>("tz_virtual_m_do", u"设置资金"_s);

    // The account is typed in the box; once logged in, the label shows it in the box's place.
    layout->addWidget(caption(u"平台账号："_s), 0, 0);
    layout->addWidget(tz_plt_user_, 0, 1);
    layout->addWidget(tips_.make(tips::kAccount, QString()), 0, 1);
    tips_.at(tips::kAccount)->hide();
    layout->addWidget(tips_.make(tips::kPasswordCaption, u"平台密码："_s), 1, 0);
    layout->addWidget(tz_plt_pass_, 1, 1);
    layout->addWidget(tz_plt_login, 1, 2);
    layout->addWidget(caption(u"止盈："_s), 2, 0);
    layout->addWidget(plt_tz_zy_, 2, 1);
    layout->addWidget(caption(u"止损（负数）："_s), 3, 0);
    layout->addWidget(plt_tz_zs_, 3, 1);
    layout->addWidget(tz_virtual_, 4, 0);
    layout->addWidget(tz_virtual_m_, 4, 1);
    layout->addWidget(tz_virtual_m_do, 4, 2);
    layout->addWidget(tips_.make(tips::kBalanceLine, QString()), 0, 3);
    layout->addWidget(tips_.make(tips::kIncomeLine, engine.line(monitor::Line::Income)), 1, 3);
    layout->addWidget(tips_.make(tips::kBetSummaryLine, QString()), 2, 3);
    layout->addWidget(tips_.make(tips::kBetStatusLine, QString()), 3, 3, 2, 1);
    tips_.at(tips::kBetStatusLine)->setWordWrap(true);
    layout->setColumnStretch(3, 1);

    log_frame_ = named<QGroupBox>("Frame2", u"投注记录"_s);
    auto* log_layout = new QVBoxLayout(log_frame_);
    log_layout->setContentsMargins(4, 2, 4, 4);
    tz_list_ = table_view("tz_list");
    tz_list_->setModel(new BetLogModel(engine, tz_list_));
    for (int c = 0; c < monitor::kBetColumnCount; ++c)
        tz_list_->setColumnWidth(c, monitor::kBetLogColumns[c].width);
    tz_list_->horizontalHeader()->setStretchLastSection(true);
    keep_log_rows(8);
    log_layout->addWidget(tz_list_);

    connect(tz_virtual_, &QCheckBox::toggled, this, [this](bool on) { core_.set_virtual(on); });
    connect(tz_virtual_m_do, &QPushButton::clicked, this,
            [this] { core_.engine().set_virtual_balance(tz_virtual_m_->text()); });
    // Every status line wraps, and says its whole text when pointed at.
    for (const int index : {tips::kBalanceLine, tips::kIncomeLine, tips::kBetSummaryLine, tips::kBetStatusLine}) {
        tips_.at(index)->setWordWrap(true);
        tips_.at(index)->setMinimumWidth(0);
    }
    connect(&engine, &monitor::MonitorEngine::line_changed, this,
            [this](monitor::Line line, const QString& text) {
                tips_.at(tips_index(line))->setText(text);
                tips_.at(tips_index(line))->setToolTip(text);
            });
    // A new bet is brought into view, as the newest row.
    connect(&engine, &monitor::MonitorEngine::bet_added, this, [this](int row) {
        tz_list_->selectRow(row);
        tz_list_->scrollToBottom();
        mirror_balance();
    });
    const auto credentials = [this] {
        tips_.at(tips::kAccount)->setText(tz_plt_user_->text());
        core_.set_credentials(tips_.at(tips::kAccount)->text(), tz_plt_pass_->text());
    };
    connect(tz_plt_user_, &QLineEdit::textChanged, this, credentials);
    connect(tz_plt_pass_, &QLineEdit::textChanged, this, credentials);
    connect(tz_plt_login, &QPushButton::clicked, &core_, [this] { core_.login_clicked(); });
    connect(&core_, &AppCore::login_enabled, tz_plt_login, [tz_plt_login](int, bool on) { tz_plt_login->setEnabled(on); });
    connect(&core_, &AppCore::login_shown, this, [this, tz_plt_login](int, bool shown) {
        for (QWidget* w : {static_cast<QWidget*>(tips_.at(tips::kPasswordCaption)),
                           static_cast<QWidget*>(tz_plt_pass_), static_cast<QWidget*>(tz_plt_login),
                           static_cast<QWidget*>(tz_plt_user_)})
            w->setVisible(shown);
        tips_.at(tips::kAccount)->setVisible(!shown);
    });
    connect(&engine, &monitor::MonitorEngine::line_changed, this, [this](monitor::Line line) {
        if (line == monitor::Line::Balance)
            mirror_balance();
    });
    core_.engine().set_stop_source([this] {
        return std::pair<QString, QString>(plt_tz_zy_->text(), plt_tz_zs_->text());
    });
}

void BettingPanel::mirror_balance()
{
    const QString balance = tips_.at(tips::kBalanceLine)->text();
    if (!balance.isEmpty())
        tz_virtual_m_->setText(balance);
}

void BettingPanel::keep_log_rows(int rows)
{
    tz_list_->setMinimumHeight(tz_list_->horizontalHeader()->sizeHint().height() +
                               rows * tz_list_->verticalHeader()->defaultSectionSize() +
                               tz_list_->horizontalScrollBar()->sizeHint().height() + 4);
}

} // namespace zorvik::app
