#include "gui/draw_area.h"

#include "core/core.h"
#include "gui/tips_label.h"
#include "gui/widgets.h"
#include "feed/catalogue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

DrawArea::DrawArea(Desk& desk, TipsGroup& tips, QWidget* parent)
    : QGroupBox(u"开奖信息"_s, parent), desk_(desk), tips_(tips)
{
    setObjectName(u"frame_awd"_s);
    setFixedWidth(kDrawAreaWidth);
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    combox_select_caizhong_ = named<QComboBox>("combox_select_caizhong");
    awd_url_ = named<QComboBox>("awd_url");
    awd_url_->setEditable(true);
    awd_url_->setInsertPolicy(QComboBox::NoInsert); // a typed address is not part of the list
    form->addRow(u"彩种："_s, combox_select_caizhong_);
    form->addRow(u"开奖线路："_s, awd_url_);
    layout->addLayout(form);
    fill_list(combox_select_caizhong_, feed::lottery_list(), 0);

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
    auto* hint = tips_.make(tips::kDrawListHint, QString::fromUtf16(kDrawListHint));
    hint->setWordWrap(true);
    layout->addWidget(hint);

    connect(combox_select_caizhong_, &QComboBox::activated, this, &DrawArea::apply_caizhong);
    connect(awd_url_, &QComboBox::activated, this,
            [this](int index) { desk_.pick_address(awd_url_->currentText(), index); });
    // Enter is handled on its release, once: the box's own handling of the key press would also
    // report it as a pick from the list (and save the index) when the text equals an item.
    // Leaving the box after typing an item's text is no pick either (the box would report it as
    // one when its editing finishes).
    awd_url_->setCompleter(nullptr);
    awd_url_->lineEdit()->installEventFilter(this);
    disconnect(awd_url_->lineEdit(), &QLineEdit::editingFinished, awd_url_, nullptr);
    disconnect(awd_url_->lineEdit(), &QLineEdit::returnPressed, awd_url_, nullptr);
    // Clicks anywhere in the list count, below its last row and in an empty list too.
    awd_list_->viewport()->installEventFilter(this);
    connect(isshowawardtips_, &QCheckBox::toggled, this,
            [this](bool on) { desk_.feed().set_announce(on); });

    feed::DrawFeed& feed = desk_.feed();
    connect(&feed, &feed::DrawFeed::labels_changed, this, &DrawArea::render_labels);
    connect(&feed, &feed::DrawFeed::countdown_changed, next_awd_countdown_, &QLabel::setText);
    connect(&feed, &feed::DrawFeed::rows_changed, this, &DrawArea::render_draws);
    // The lottery cannot be changed while monitoring runs.
    connect(&desk_.engine(), &monitor::MonitorEngine::monitoring_changed, this,
            [this](bool on) { combox_select_caizhong_->setEnabled(!on); });
}

bool DrawArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == awd_list_->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
            // The double click's first click has toggled the view already.
            double_clicked_ = true;
            desk_.feed().refresh_awd_list();
        } else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            if (!std::exchange(double_clicked_, false) && awd_list_->viewport()->rect().contains(mouse->position().toPoint()))
                toggle_draw_list();
        }
        return QGroupBox::eventFilter(watched, event);
    }
    if (watched == awd_url_->lineEdit() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QGroupBox::eventFilter(watched, event);
        if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
            desk_.enter_address(awd_url_->currentText());
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

void DrawArea::apply_caizhong()
{
    if (check_ && !check_(combox_select_caizhong_->currentText())) {
        const int own = combox_select_caizhong_->findText(desk_.lottery());
        combox_select_caizhong_->setCurrentIndex(own >= 0 && !desk_.lottery().isEmpty() ? own : 0);
        return;
    }
    const LotteryChoice choice = desk_.choose_lottery(combox_select_caizhong_->currentText());
    {
        const QSignalBlocker block(awd_url_);
        awd_url_->clear();
        awd_url_->addItems(choice.addresses);
        awd_url_->setCurrentIndex(choice.saved_index < awd_url_->count() ? choice.saved_index : -1);
        if (choice.saved_index >= awd_url_->count())
            awd_url_->setEditText(QString());
    }
    emit lottery_applied(choice.auto_bet, choice.units);
}

void DrawArea::render_labels(const QString& new_iss, const QString& next_iss,
                             const QString& new_award)
{
    new_iss_->setText(new_iss);
    next_iss_->setText(next_iss);
    new_award_->setText(new_award);
}

void DrawArea::render_draws()
{
    awd_list_->clear();
    for (const feed::DrawRow& row : desk_.feed().rows())
        awd_list_->addTopLevelItem(new QTreeWidgetItem({row.issue, row.numbers}));
}

// A click on the draw list shows it large in place of the tab control, or back.
void DrawArea::toggle_draw_list()
{
    TipsLabel* hint = tips_.at(tips::kDrawListHint);
    const bool expand = hint->text().contains(u"展开"_s);
    if (expand) {
        setMaximumWidth(QWIDGETSIZE_MAX);
        setMinimumWidth(kDrawAreaWidth);
        hint->setText(u"收起"_s);
    } else {
        setFixedWidth(kDrawAreaWidth);
        hint->setText(QString::fromUtf16(kDrawListHint));
    }
    emit expanded(expand);
}

void DrawArea::hold(QWidget* widget)
{
    layout()->addWidget(widget);
    widget->show();
}

} // namespace zorvik::app
