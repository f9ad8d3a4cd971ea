#pragma once
// The monitoring engine's state and its list operations: the MonitorList, the rebuild of the
// monitor view with its alert actions, and the editor's add, modify and delete.

#include "monitor/editor.h"
#include "monitor/monitor.h"
#include "monitor/view.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <optional>

namespace zorvik::support {
class Shell;
}

namespace zorvik::monitor {

inline constexpr char16_t kAlertTip[] = u"亲，你有被监控的号码满足了报警条件，请尽快去投注！";

class MonitorEngine : public QObject {
    Q_OBJECT
public:
    MonitorEngine(support::Shell& shell, QString settings_file, QObject* parent = nullptr);

    const MonitorList& list() const { return list_; }
    const QVector<MonitorRow>& rows() const { return rows_; }
    bool monitoring() const { return monitoring_; }

    // The pop-up and sound boxes of the window, read by the alert actions.
    void set_alert_options(bool tips, bool sound);

    // Reads the stored list and shows it.
    void load();
    // Rebuilds the rows, marks them, and raises the tip and the sound for the first alerting row.
    void refresh();

    // Adds (id 0) or modifies (id k) from the editor. Messages go to the shell; the validation
    // text, if any, is returned for the editor's error box. A modify sets the editor's id to 0.
    QString save_monitor(EditorRecord& editor);
    // The editor for modifying the row's record after the user's confirmation, or nothing.
    std::optional<EditorRecord> modify_monitor(std::optional<int> position,
                                               const EditorRecord& base);
    void delete_monitor(std::optional<int> position);
    void delete_all();

    // Writes the stored form of the list to the settings file; false (and write_failed) when the
    // file could not be written and keeps its previous content.
    bool save_list();

signals:
    void rows_changed();
    void write_failed();

private:
    QString confirm_title() const;
    bool stored(bool written);

    support::Shell& shell_;
    QString settings_file_;
    MonitorList list_;
    QVector<MonitorRow> rows_;
    bool monitoring_ = false;
    QString newest_issue_;
    bool alert_tips_ = true;
    bool alert_sound_ = true;
};

} // namespace zorvik::monitor
