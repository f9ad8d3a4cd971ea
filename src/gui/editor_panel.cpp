#include "gui/editor_panel.h"

#include "gui/plan_dialog.h"

#include "rules/hit.h"

#include "core/core.h"
#include "gui/tips_label.h"
#include "gui/widgets.h"
#include "platform/hele.h"
#include "rules/validate.h"
#include "rules/plays.h"
#include "support/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

EditorPanel::EditorPanel(Desk& desk, TipsGroup& tips, QWidget* parent)
    : QWidget(parent), desk_(desk), tips_(tips)
{
    setObjectName(u"zorvik_cfg"_s);
    // Two columns, so that every box and the button are in view on a small screen without
    // scrolling: what is monitored on the left, the condition and the betting on the right.
    auto* columns = new QHBoxLayout(this);
    auto* form = new QGridLayout;
    columns->addLayout(form, 5);
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
    pos_layout->addWidget(tips_.make(tips::kGroupName, QString()));
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
    // Its room is kept while hidden: showing it never grows the window.
    QSizePolicy keep = alert_cfg_error_tips_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    alert_cfg_error_tips_->setSizePolicy(keep);
    alert_cfg_error_tips_->hide();
    form->addWidget(alert_cfg_error_tips_, row++, 1, 1, 3);

    form->setRowStretch(row, 1);
    form->setColumnStretch(2, 1);
    form = new QGridLayout;
    columns->addLayout(form, 4);
    row = 0;

    alert_cfg_type_ = named<QComboBox>("alert_cfg_type");
    form->addWidget(caption(u"监控类别："_s), row, 0);
    form->addWidget(alert_cfg_type_, row, 1);
    form->addWidget(tips_.make(tips::kCategoryCaption, QString()), row++, 2);

    alert_cfg_cond_ = named<QComboBox>("alert_cfg_cond");
    alert_cfg_cond_comp_ = named<QLineEdit>("alert_cfg_cond_comp");
    auto* cond = new QHBoxLayout;
    cond->addWidget(alert_cfg_cond_);
    cond->addWidget(alert_cfg_cond_comp_, 1);
    form->addWidget(caption(u"报警条件："_s), row, 0);
    form->addLayout(cond, row, 1);
    form->addWidget(tips_.make(tips::kConditionSentence, QString()), row++, 2, 1, 2);

    alert_cfg_status_init_ = named<QLineEdit>("alert_cfg_status_init");
    // The run the known draws give now, for a monitor added in the middle of one.
    auto* from_draws = named<QPushButton>("alert_cfg_status_from_draws", u"按开奖计算"_s);
    auto* initial = new QHBoxLayout;
    initial->addWidget(alert_cfg_status_init_, 1);
    initial->addWidget(from_draws);
    form->addWidget(caption(u"初始状态："_s), row, 0);
    form->addLayout(initial, row, 1);
    connect(from_draws, &QPushButton::clicked, this, &EditorPanel::initial_from_draws);
    form->addWidget(tips_.make(tips::kConditionHint, QString()), row++, 2, 1, 2);

    alert_cfg_autotz_ = named<QCheckBox>("alert_cfg_autotz", u"报警后，自动投注："_s);
    form->addWidget(alert_cfg_autotz_, row, 0, 1, 2);
    // Said beside the box when the chosen Hele lottery cannot take the play at all.
    platform_warning_ = named<QLabel>("alert_cfg_autotz_warning", u"合乐平台没有此玩法，自动投注不会下单"_s);
    platform_warning_->setStyleSheet(u"color: red"_s);
    platform_warning_->setVisible(false);
    form->addWidget(platform_warning_, row++, 2, 1, 2);
    alert_cfg_autotz_bt_ = named<QLineEdit>("alert_cfg_autotz_bt", QString::fromUtf16(monitor::kDefaultPlan));
    form->addWidget(caption(u"倍投方案："_s), row, 0);
    // The calculator beside the plan box works the plan out from the boxes above.
    auto* plan_row = new QHBoxLayout;
    plan_row->setContentsMargins(0, 0, 0, 0);
    plan_row->addWidget(alert_cfg_autotz_bt_, 1);
    auto* calculator = named<QPushButton>("alert_cfg_plan_calc", u"倍投计算器…"_s);
    plan_row->addWidget(calculator);
    form->addLayout(plan_row, row++, 1, 1, 2);
    connect(calculator, &QPushButton::clicked, this, &EditorPanel::open_plan_calculator);
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
    // The error goes once what it was about is corrected.
    connect(alert_cfg_numbers_, &QPlainTextEdit::textChanged, this, &EditorPanel::recheck_error);
    connect(alert_cfg_extra_tztype_, &QComboBox::currentIndexChanged, this, &EditorPanel::recheck_error);
    for (QCheckBox* box : alert_cfg_pos_)
        connect(box, &QCheckBox::toggled, this, &EditorPanel::recheck_error);
    connect(alert_new_do_, &QPushButton::clicked, this, &EditorPanel::save_monitor);

    fill_list(alert_cfg_type_, rules::categories(), 0);
    fill_list(alert_cfg_cond_, rules::comparisons(), 0);
    fill_list(alert_cfg_extra_tztype_, u"直选单式"_s, 0);
    fill_list(alert_cfg_autotz_zjtype_, QString::fromUtf16(kUnits), kUnitsSelected);
    for (QCheckBox* box : alert_cfg_pos_)
        connect(box, &QCheckBox::toggled, this, &EditorPanel::refresh_editor);
    connect(alert_cfg_type_, &QComboBox::currentIndexChanged, this, &EditorPanel::refresh_editor);
    connect(alert_cfg_cond_, &QComboBox::currentIndexChanged, this, &EditorPanel::refresh_editor);
    connect(alert_cfg_cond_comp_, &QLineEdit::textChanged, this, &EditorPanel::refresh_editor);
    // The threshold's default is put in once the user leaves the box, never while typing.
    connect(alert_cfg_cond_comp_, &QLineEdit::editingFinished, this, &EditorPanel::apply_threshold_default);
    connect(alert_cfg_extra_tztype_, &QComboBox::currentIndexChanged, this, &EditorPanel::show_number_example);
    for (QCheckBox* box : alert_cfg_pos_)
        connect(box, &QCheckBox::toggled, this, &EditorPanel::show_platform_warning);
    connect(alert_cfg_autotz_, &QCheckBox::toggled, this, &EditorPanel::show_platform_warning);
    connect(alert_cfg_numbers_, &QPlainTextEdit::textChanged, this, &EditorPanel::show_platform_warning);
    connect(alert_cfg_extra_tztype_, &QComboBox::currentIndexChanged, this,
            &EditorPanel::show_platform_warning);
    refresh_editor();
}


void EditorPanel::offer_auto_bet(bool offered, const QString& units)
{
    alert_cfg_autotz_->setText(offered ? u"报警后，自动投注："_s
                                       : u"报警后，自动投注(仅限合乐/U彩平台)："_s);
    alert_cfg_autotz_->setEnabled(offered);
    fill_list(alert_cfg_autotz_zjtype_, units, kUnitsSelected);
    show_platform_warning();
}

void EditorPanel::show_platform_warning()
{
    const monitor::EditorRecord r = editor_record();
    const QString letters = QString(rules::group_letters(r.ticked).spaced).remove(u' ');
    const QString title = rules::display_name(rules::group_name(letters), r.play);
    const QString numbers = r.numbers.trimmed().isEmpty() ? u"1"_s : r.numbers.trimmed();
    platform_warning_->setVisible(r.auto_bet && !letters.isEmpty() &&
                                  desk_.feed().lottery().contains(u"合乐"_s) &&
                                  !platform::hele_supports(title, numbers));
}

void EditorPanel::refresh_editor()
{
    if (!applying_)
        apply_editor_state(true);
}

// Runs the editor refresh on the boxes. With write-backs the threshold and comparison boxes
// may be rewritten, which raises another refresh that shows the new values.
void EditorPanel::apply_editor_state(bool write_backs)
{
    rules::EditorInput input;
    for (int i = 0; i < 5; ++i)
        input.ticked[size_t(i)] = alert_cfg_pos_[size_t(i)]->isChecked();
    input.category = alert_cfg_type_->currentText();
    input.comparison = alert_cfg_cond_->currentText();
    input.threshold = alert_cfg_cond_comp_->text();
    const rules::EditorState s = rules::refresh_editor(input);

    tips_.at(tips::kGroupName)->setText(s.group);
    tips_.at(tips::kCategoryCaption)->setText(s.category_caption);
    tips_.at(tips::kConditionHint)->setText(s.hint);
    tips_.at(tips::kConditionSentence)->setText(s.sentence);
    // What the user typed stays: the play list and the numbers follow the positions only, the
    // initial value and the condition's defaults follow the category (and comparison) only.
    const bool positions_changed = !applied_ || input.ticked != applied_->ticked;
    const bool category_changed = !applied_ || input.category != applied_->category;
    const bool condition_changed = category_changed || input.comparison != applied_->comparison;
    applied_ = input;
    if (!write_backs)
        return;
    if (positions_changed) {
        alert_cfg_extra_tztype_->setVisible(s.plays_visible);
        fill_list(alert_cfg_extra_tztype_, s.plays, s.selected_play);
        alert_cfg_numbers_->clear();
        show_number_example();
    }
    if (category_changed)
        alert_cfg_status_init_->setText(s.initial_status);
    if (s.threshold_write_back && condition_changed)
        alert_cfg_cond_comp_->setText(*s.threshold_write_back);
    if (s.comparison_write_back && condition_changed)
        alert_cfg_cond_->setCurrentIndex(*s.comparison_write_back);
}

void EditorPanel::show_number_example()
{
    // The example is the box's placeholder: shown grey while it is empty, never its value.
    const int count = rules::group_letters(editor_record().ticked).count;
    const auto example = count > 0 ? rules::number_example(count, alert_cfg_extra_tztype_->currentIndex())
                                   : std::nullopt;
    alert_cfg_numbers_->setPlaceholderText(example ? u"示例："_s + *example : u"请输入要监控的投注号码"_s);
    alert_cfg_numbers_->viewport()->update(); // shown now, not at the next repaint
}

void EditorPanel::recheck_error()
{
    if (alert_cfg_error_tips_->isHidden())
        return;
    const monitor::EditorRecord r = editor_record();
    const int count = rules::group_letters(r.ticked).count;
    QString numbers =
        support::trim_blanks(support::regex_replace(r.numbers, u"[^\\d\\s*]*"_s, QString()));
    if (count > 0 && !numbers.isEmpty() && rules::validate_numbers(numbers, count, r.play).isEmpty())
        alert_cfg_error_tips_->hide();
}

monitor::EditorRecord EditorPanel::editor_record() const
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

void EditorPanel::open_plan_calculator()
{
    const monitor::EditorRecord r = editor_record();
    PlanInputs inputs;
    const QString letters = rules::group_letters(r.ticked).spaced.remove(u' ');
    if (!letters.isEmpty() && !r.play.isEmpty())
        inputs.title = rules::display_name(rules::group_name(letters), r.play);
    inputs.numbers = r.numbers;
    inputs.unit = r.unit_index > 0 ? alert_cfg_autotz_zjtype_->currentText() : u"元"_s;
    inputs.odds = r.odds;
    auto* dialog = new PlanDialog(inputs, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &PlanDialog::applied, this, [this](const QString& plan) { alert_cfg_autotz_bt_->setText(plan); });
    dialog->show();
}

void EditorPanel::show_editor(const monitor::EditorRecord& r)
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
    show_number_example();
    // Judged on the monitor shown, once all its boxes hold its values.
    show_platform_warning();
}

void EditorPanel::initial_from_draws()
{
    // Said in the editor's error box, as its other refusals.
    const auto say = [this](const QString& text) {
        alert_cfg_error_tips_->setPlainText(text);
        alert_cfg_error_tips_->show();
    };
    alert_cfg_error_tips_->hide();
    const monitor::EditorRecord r = editor_record();
    const rules::GroupLetters group = rules::group_letters(r.ticked);
    const QString letters = QString(group.spaced).remove(u' ');
    QString numbers =
        support::trim_blanks(support::regex_replace(r.numbers, u"[^\\d\\s*]*"_s, QString()));
    if (r.category != u"遗漏" && r.category != u"连中") {
        say(u"按开奖计算只用于遗漏和连中"_s);
        return;
    }
    if (letters.isEmpty() || numbers.isEmpty() || !rules::validate_numbers(numbers, group.count, r.play).isEmpty()) {
        say(u"请先选择位置、玩法并输入有效的投注号码"_s);
        return;
    }
    const QVector<monitor::HistoryDraw> draws = desk_.known_draws();
    if (draws.isEmpty()) {
        say(u"还没有开奖数据，无法计算"_s);
        return;
    }
    // From the newest draw back: the misses (遗漏) or the hits (连中) in a row.
    const bool counting_hits = r.category == u"连中";
    int run = 0;
    for (qsizetype i = draws.size() - 1; i >= 0; --i) {
        if (rules::bet_hit(draws[i].numbers, letters, numbers, r.play).hit != counting_hits)
            break;
        ++run;
    }
    alert_cfg_status_init_->setText(QString::number(std::min(run, 32767)));
}

void EditorPanel::new_monitor()
{
    alert_cfg_id_->setText(u"0"_s);
    alert_new_do_->setText(QString::fromUtf16(monitor::kAddCaption));
}

void EditorPanel::apply_threshold_default()
{
    if (applying_ || !applied_)
        return;
    rules::EditorInput input = *applied_;
    input.threshold = alert_cfg_cond_comp_->text();
    if (const auto fixed = rules::refresh_editor(input).threshold_write_back)
        alert_cfg_cond_comp_->setText(*fixed);
}

void EditorPanel::save_monitor()
{
    apply_threshold_default(); // a threshold left at 0 or empty is saved as its default
    alert_cfg_error_tips_->hide();
    monitor::EditorRecord r = editor_record();
    const int position = r.id;
    const qsizetype before = desk_.engine().list().records().size();
    const QString error = desk_.engine().save_monitor(r);
    if (!error.isEmpty()) {
        alert_cfg_error_tips_->setPlainText(error);
        alert_cfg_error_tips_->show();
        return;
    }
    // Modified in place (not added as new because the list moved meanwhile): kept selected.
    if (position > 0 && desk_.engine().list().records().size() == before)
        emit monitor_modified(position);
    alert_cfg_id_->setText(QString::number(r.id));
    if (r.id == 0)
        alert_new_do_->setText(QString::fromUtf16(monitor::kAddCaption));
}

} // namespace zorvik::app
