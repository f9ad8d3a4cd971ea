#pragma once
// The window's options as one typed record with a single table of section, key and initial
// content; the only code that reads or writes those keys of the settings file.

#include <QList>
#include <QVector>
#include <utility>
#include <QString>

namespace zorvik::app {

// Sections and keys of the settings file.
namespace keys {
inline constexpr char16_t kCaiSection[] = u"cai_cfg";
inline constexpr char16_t kAlertSection[] = u"alert_cfg";
inline constexpr char16_t kTzSection[] = u"tz_cfg";
inline constexpr char16_t kCaizhong[] = u"combox_select_caizhong";
inline constexpr char16_t kPltPath[] = u"plt_path";
inline constexpr char16_t kShowAwardTips[] = u"isshowawardtips";
inline constexpr char16_t kAlertTips[] = u"alert_type_tips";
inline constexpr char16_t kAlertSound[] = u"alert_type_sound";
inline constexpr char16_t kAlertSoundFile[] = u"alert_sound_file";
inline constexpr char16_t kWebhookUrl[] = u"webhook_url";
inline constexpr char16_t kNotifyUrls[] = u"notify_urls";
inline constexpr char16_t kNotifyEvents[] = u"notify_events";
inline constexpr char16_t kNotifySummaryAt[] = u"notify_summary_at";
inline constexpr char16_t kList[] = u"list";
inline constexpr char16_t kPltPass[] = u"plt_pass";
inline constexpr char16_t kPltUser[] = u"plt_user";
inline constexpr char16_t kStopLoss[] = u"plt_tz_zs";
inline constexpr char16_t kStopProfit[] = u"plt_tz_zy";
inline constexpr char16_t kNetSection[] = u"net_cfg";
} // namespace keys

struct Options {
    QString caizhong;                // text of the selected lottery; empty: the box's first entry
    bool alert_type_tips = true;     // "弹窗报警"
    bool alert_type_sound = true;    // "声音报警"
    QString alert_sound_file;
    QString webhook_url;             // where alerts, bets and stops are POSTed
    QString plt_user;                // the platform account name
    QString plt_pass;
    QString plt_tz_zs = QStringLiteral("-1000"); // stop-loss limit
    QString plt_tz_zy = QStringLiteral("1000");  // stop-profit limit

    bool operator==(const Options&) const = default;
};

// "<data folder>/bao/cfg.ini".
QString settings_path(const QString& data_dir);

// Options from the file: a key that is absent or empty keeps its initial content, and so does
// a check-box key whose value is neither "0" nor "1".
Options settings_load(const QString& file);

// Writes every option; an empty text is not written, so the stored value stays. False when a
// write failed (the file then keeps what it had).
bool settings_save(const QString& file, const Options& options);

// Base addresses of the outside endpoints (section net_cfg; the command line overrides them).
struct NetConfig {
    QString service_base;
    QString public_base;
    QString trend_base;
    QString datacenter_default;
};
NetConfig net_config_load(const QString& file);

// The draw-line box's saved index; a value that is not a number counts as 0.
int plt_path_load(const QString& file);
bool plt_path_save(const QString& file, int index); // false: not written

// The "自动报号" box's state, written when the user switches it on against the pop-up alerts.
bool save_show_award_tips(const QString& file, bool on); // false: not written
bool save_webhook_url(const QString& file, const QString& url); // false: not written
// The account and password of a login attempt (the password as typed); false: not written.
// Which events go to the notification services, and when the daily summary goes (keys of ours
// in alert_cfg: notify_events, the events joined by "," or "-" for none; notify_summary_at,
// "HH:mm" or empty for no summary). An absent key keeps the default.
struct NotifyChoice {
    QStringList events = {QStringLiteral("alert"), QStringLiteral("bet"), QStringLiteral("refused"),
                          QStringLiteral("stop"), QStringLiteral("unconfirmed")};
    QString summary_at;
    bool operator==(const NotifyChoice&) const = default;
};
NotifyChoice load_notify_choice(const QString& file);
bool save_notify_choice(const QString& file, const NotifyChoice& choice); // false: not written

// The heights of the window's two parts (the lists above, the bet log below), as the user left
// them: section "ui_cfg", key "main_split" (ours), "UPPER,LOWER". Empty when none is kept.
QList<int> load_split(const QString& file);
bool save_split(const QString& file, const QList<int>& sizes);

// The platform account name (the password has a store of its own).
bool save_platform_user(const QString& file, const QString& user);
// The account of the platform other than the first desk's: section platform_2 (ours), key
// user; its password's key there (or in the keyring) is password.
inline constexpr char16_t kOtherAccountSection[] = u"platform_2";
inline constexpr char16_t kOtherPassword[] = u"password";
QString load_other_user(const QString& file);
bool save_other_user(const QString& file, const QString& user);

// A further followed lottery: section "desk_N" (ours), keys lottery, list (its monitors, read and
// written by its engine), stop_profit, stop_loss and line (the draw line's index).
struct DeskSettings {
    int number = 2;
    QString lottery;
    QString stop_profit = QStringLiteral("1000");
    QString stop_loss = QStringLiteral("-1000");
    bool operator==(const DeskSettings&) const = default;
};
// "desk_N": where a further desk keeps its settings.
QString desk_section(int number);
// The further desks kept, the sections desk_2 to desk_8 with a lottery (a removed desk leaves
// a gap in the numbers).
QVector<DeskSettings> load_desks(const QString& file);
// A further desk's stop amounts as kept (止盈, 止损), the initial ones where absent.
std::pair<QString, QString> load_desk_stops(const QString& file, int number);
// A desk's draw line index: the first desk's is cai_cfg/plt_path, a further one's its `line`.
int load_desk_line(const QString& file, int number);
bool save_desk_line(const QString& file, int number, int index); // false: not written
// False when a write failed.
bool save_desk(const QString& file, const DeskSettings& desk);
bool save_desk_stops(const QString& file, int number, const QString& profit, const QString& loss);
bool save_desk_lottery(const QString& file, int number, const QString& lottery);
// Removes a further desk's section; false when the file could not be written.
bool remove_desk(const QString& file, int number);
// The most desks: one for each lottery offered.
inline constexpr int kMostDesks = 8;

// Totals over every desk's income that stop them all (tz_cfg, keys of ours total_zy and
// total_zs; empty: none).
std::pair<QString, QString> load_total_stops(const QString& file);
// An empty amount removes its key.
bool save_total_stops(const QString& file, const QString& profit, const QString& loss);

} // namespace zorvik::app
