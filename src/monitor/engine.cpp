#include "monitor/engine.h"

#include "support/identity.h"
#include "support/ini.h"
#include "support/shell.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::monitor {

namespace {
const QString kSection = u"alert_cfg"_s;
const QString kKey = u"list"_s;
} // namespace

MonitorEngine::MonitorEngine(support::Shell& shell, QString settings_file, QObject* parent)
    : QObject(parent), shell_(shell), settings_file_(std::move(settings_file))
{
}

void MonitorEngine::set_alert_options(bool tips, bool sound)
{
    alert_tips_ = tips;
    alert_sound_ = sound;
}

QString MonitorEngine::confirm_title() const
{
    return QString::fromUtf16(support::kTitle) + u" - 确认"_s;
}

void MonitorEngine::load()
{
    list_ = MonitorList::from_stored(support::ini_read(kSection, kKey, settings_file_));
    refresh();
}

void MonitorEngine::refresh()
{
    rows_ = make_rows(list_, monitoring_, newest_issue_);
    emit rows_changed();
    for (const MonitorRow& row : rows_) {
        if (!row.alerts)
            continue;
        // One rebuild raises one tip and one sound, for its first alerting row.
        if (alert_tips_)
            shell_.tip(QString::fromUtf16(kAlertTip));
        if (alert_sound_)
            shell_.alert_sound(QString());
        break;
    }
}

bool MonitorEngine::save_list()
{
    return stored(support::ini_write(kSection, kKey, list_.stored_form(), settings_file_) != 0);
}

bool MonitorEngine::stored(bool written)
{
    if (!written)
        emit write_failed();
    return written;
}

QString MonitorEngine::save_monitor(EditorRecord& editor)
{
    const BuildResult built = build_monitor(editor, monitoring_);
    if (const auto* box = std::get_if<MessageBox>(&built)) {
        shell_.message(box->text);
        return QString();
    }
    if (const auto* box = std::get_if<ErrorBox>(&built))
        return box->text;
    const Monitor& record = std::get<Monitor>(built);

    // The list may have changed while the editor was open: the modified monitor is looked up by
    // its settings, so another monitor is never overwritten. If it is gone, the edit is added.
    int position = editor.id;
    const Monitor original = Monitor::from_text(editor.original);
    if (position > 0 && !same_settings(list_.at(position).value_or(Monitor()), original))
        position = list_.find_same(original);
    if (position <= 0) {
        editor.id = 0;
        if (list_.contains_text(record.text())) {
            shell_.message(u"已经存在同样的监控记录或投注配置，无法重复添加！"_s);
            return QString();
        }
        list_.append(record);
        refresh();
        shell_.message(u"添加成功"_s);
    } else {
        list_.replace(position, record);
        editor.id = 0;
        refresh();
        shell_.message(u"修改成功"_s);
    }
    save_list();
    return QString();
}

std::optional<EditorRecord> MonitorEngine::modify_monitor(std::optional<int> position,
                                                          const EditorRecord& base)
{
    if (!position) {
        shell_.message(u"请选择一条要修改的监控"_s);
        return std::nullopt;
    }
    if (!shell_.confirm(u"修改后将会重置监控数据和投注记录，确认修改？"_s, confirm_title()))
        return std::nullopt;
    const std::optional<Monitor> record = list_.at(*position);
    if (*position <= 0 || !record)
        return std::nullopt;
    return editor_from_monitor(*position, *record, base);
}

void MonitorEngine::delete_monitor(std::optional<int> position)
{
    if (!position) {
        shell_.message(u"请选择一条要删除的监控"_s);
        return;
    }
    if (!shell_.confirm(u"确认删除？"_s, confirm_title()))
        return;
    if (*position > 0) {
        list_.remove(*position);
        refresh();
    }
    save_list();
}

void MonitorEngine::delete_all()
{
    if (!shell_.confirm(u"确认清空所有监控项？"_s, confirm_title()))
        return;
    list_.clear();
    refresh();
    stored(support::ini_write(kSection, kKey, u"|"_s, settings_file_) != 0);
}

} // namespace zorvik::monitor
