#include "core/options.h"

#include "support/ini.h"
#include "support/text.h"

#include <tuple>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {
namespace {

struct OptionKey {
    const char16_t* section;
    const char16_t* key;
    std::variant<QString Options::*, bool Options::*> member;
};

// Load order is the table's order; the initial contents are those of a default Options.
constexpr OptionKey kTable[] = {
    {keys::kCaiSection, keys::kCaizhong, &Options::caizhong},
    {keys::kAlertSection, keys::kAlertTips, &Options::alert_type_tips},
    {keys::kAlertSection, keys::kAlertSound, &Options::alert_type_sound},
    {keys::kAlertSection, keys::kAlertSoundFile, &Options::alert_sound_file},
    {keys::kAlertSection, keys::kWebhookUrl, &Options::webhook_url},
    {keys::kTzSection, keys::kPltUser, &Options::plt_user},
    {keys::kTzSection, keys::kPltPass, &Options::plt_pass},
    {keys::kTzSection, keys::kStopLoss, &Options::plt_tz_zs},
    {keys::kTzSection, keys::kStopProfit, &Options::plt_tz_zy},
};

struct Loader {
    Options& options;
    const QString& value;
    void operator()(QString Options::*member) const { options.*member = value; }
    void operator()(bool Options::*member) const
    {
        if (value == u"0"_s || value == u"1"_s)
            options.*member = value == u"1"_s;
    }
};

struct Saver {
    const Options& options;
    QString operator()(QString Options::*member) const { return options.*member; }
    QString operator()(bool Options::*member) const
    {
        return options.*member ? QStringLiteral("1") : QStringLiteral("0");
    }
};

} // namespace

QString settings_path(const QString& data_dir)
{
    return data_dir + u"/bao/cfg.ini"_s;
}

Options settings_load(const QString& file)
{
    Options options;
    for (const OptionKey& entry : kTable) {
        const QString value = support::ini_read(QString::fromUtf16(entry.section),
                                                QString::fromUtf16(entry.key), file);
        if (!value.isEmpty())
            std::visit(Loader{options, value}, entry.member);
    }
    return options;
}

bool settings_save(const QString& file, const Options& options)
{
    bool written = true;
    for (const OptionKey& entry : kTable) {
        const QString value = std::visit(Saver{options}, entry.member);
        if (value.isEmpty())
            continue; // not written: the stored value stays
        written = support::ini_write(QString::fromUtf16(entry.section),
                                     QString::fromUtf16(entry.key), value, file) != 0 &&
                  written;
    }
    return written;
}

NetConfig net_config_load(const QString& file)
{
    const QString section = QString::fromUtf16(keys::kNetSection);
    return {support::ini_read(section, u"service_base"_s, file),
            support::ini_read(section, u"public_base"_s, file),
            support::ini_read(section, u"trend_base"_s, file),
            support::ini_read(section, u"datacenter_default"_s, file)};
}

int plt_path_load(const QString& file)
{
    bool ok = false;
    const int index = support::ini_read(QString::fromUtf16(keys::kCaiSection),
                                        QString::fromUtf16(keys::kPltPath), file)
                          .trimmed()
                          .toInt(&ok);
    return ok ? index : 0;
}

bool plt_path_save(const QString& file, int index)
{
    return support::ini_write(QString::fromUtf16(keys::kCaiSection), QString::fromUtf16(keys::kPltPath),
                       QString::number(index), file) != 0;
}

bool save_show_award_tips(const QString& file, bool on)
{
    return support::ini_write(QString::fromUtf16(keys::kCaiSection), QString::fromUtf16(keys::kShowAwardTips),
                       on ? u"1"_s : u"0"_s, file) != 0;
}

bool save_webhook_url(const QString& file, const QString& url)
{
    return support::ini_write(QString::fromUtf16(keys::kAlertSection), QString::fromUtf16(keys::kWebhookUrl),
                              url, file) != 0;
}

NotifyChoice load_notify_choice(const QString& file)
{
    NotifyChoice c;
    const QString section = QString::fromUtf16(keys::kAlertSection);
    const QString events = support::ini_read(section, QString::fromUtf16(keys::kNotifyEvents), file);
    if (events == u"-")
        c.events.clear();
    else if (!events.isEmpty())
        c.events = events.split(u',', Qt::SkipEmptyParts);
    c.summary_at = support::ini_read(section, QString::fromUtf16(keys::kNotifySummaryAt), file);
    return c;
}

bool save_notify_choice(const QString& file, const NotifyChoice& choice)
{
    const QString section = QString::fromUtf16(keys::kAlertSection);
    const bool events = support::ini_write(section, QString::fromUtf16(keys::kNotifyEvents),
                                           choice.events.isEmpty() ? u"-"_s : choice.events.join(u','), file) != 0;
    const bool at = choice.summary_at.isEmpty()
                        ? (support::ini_read(section, QString::fromUtf16(keys::kNotifySummaryAt), file).isEmpty() ||
                           support::ini_delete(section, QString::fromUtf16(keys::kNotifySummaryAt), file) != 0)
                        : support::ini_write(section, QString::fromUtf16(keys::kNotifySummaryAt),
                                             choice.summary_at, file) != 0;
    return events && at;
}

QList<int> load_split(const QString& file)
{
    const QStringList parts = support::ini_read(u"ui_cfg"_s, u"main_split"_s, file).split(u',');
    QList<int> sizes;
    for (const QString& part : parts) {
        bool ok = false;
        const int size = part.trimmed().toInt(&ok);
        if (!ok || size <= 0 || size > 100000)
            return {};
        sizes << size;
    }
    return sizes.size() == 2 ? sizes : QList<int>();
}

bool save_split(const QString& file, const QList<int>& sizes)
{
    QStringList parts;
    for (int size : sizes)
        parts << QString::number(size);
    return support::ini_write(u"ui_cfg"_s, u"main_split"_s, parts.join(u','), file) != 0;
}

bool save_platform_user(const QString& file, const QString& user)
{
    return support::ini_write(QString::fromUtf16(keys::kTzSection), QString::fromUtf16(keys::kPltUser), user,
                              file) != 0;
}

QString load_other_user(const QString& file)
{
    return support::ini_read(QString::fromUtf16(kOtherAccountSection), u"user"_s, file);
}

bool save_other_user(const QString& file, const QString& user)
{
    return support::ini_write(QString::fromUtf16(kOtherAccountSection), u"user"_s, user, file) != 0;
}

QString desk_section(int number)
{
    return u"desk_"_s + QString::number(number);
}

std::pair<QString, QString> load_desk_stops(const QString& file, int number)
{
    const QString section = desk_section(number);
    const QString profit = support::ini_read(section, u"stop_profit"_s, file);
    const QString loss = support::ini_read(section, u"stop_loss"_s, file);
    const DeskSettings defaults;
    return {profit.isEmpty() ? defaults.stop_profit : profit, loss.isEmpty() ? defaults.stop_loss : loss};
}

QVector<DeskSettings> load_desks(const QString& file)
{
    QVector<DeskSettings> desks;
    for (int number = 2; number <= kMostDesks; ++number) {
        DeskSettings d;
        d.number = number;
        d.lottery = support::ini_read(desk_section(number), u"lottery"_s, file);
        if (d.lottery.isEmpty())
            continue;
        std::tie(d.stop_profit, d.stop_loss) = load_desk_stops(file, number);
        desks << d;
    }
    return desks;
}

int load_desk_line(const QString& file, int number)
{
    if (number == 1)
        return plt_path_load(file);
    return support::to_int(support::ini_read(desk_section(number), u"line"_s, file));
}

bool save_desk_line(const QString& file, int number, int index)
{
    if (number == 1)
        return plt_path_save(file, index);
    return support::ini_write(desk_section(number), u"line"_s, QString::number(index), file) != 0;
}

bool save_desk(const QString& file, const DeskSettings& desk)
{
    const bool kept = support::ini_write(desk_section(desk.number), u"lottery"_s, desk.lottery, file) != 0;
    return save_desk_stops(file, desk.number, desk.stop_profit, desk.stop_loss) && kept;
}

bool save_desk_stops(const QString& file, int number, const QString& profit, const QString& loss)
{
    // The first desk's amounts are the settings file's own keys.
    const QString section = number == 1 ? QString::fromUtf16(keys::kTzSection) : desk_section(number);
    const bool ok = support::ini_write(section, number == 1 ? QString::fromUtf16(keys::kStopProfit) : u"stop_profit"_s,
                                       profit, file) != 0;
    return support::ini_write(section, number == 1 ? QString::fromUtf16(keys::kStopLoss) : u"stop_loss"_s, loss,
                              file) != 0 &&
           ok;
}

bool save_desk_lottery(const QString& file, int number, const QString& lottery)
{
    return support::ini_write(desk_section(number), u"lottery"_s, lottery, file) != 0;
}

bool remove_desk(const QString& file, int number)
{
    return support::ini_delete_section(desk_section(number), file) != 0;
}

std::pair<QString, QString> load_total_stops(const QString& file)
{
    const QString section = QString::fromUtf16(keys::kTzSection);
    return {support::ini_read(section, u"total_zy"_s, file), support::ini_read(section, u"total_zs"_s, file)};
}

} // namespace zorvik::app

namespace zorvik::app {

bool save_total_stops(const QString& file, const QString& profit, const QString& loss)
{
    const QString section = QString::fromUtf16(keys::kTzSection);
    const auto keep = [&](const QString& key, const QString& value) {
        return value.isEmpty() ? support::ini_delete(section, key, file) != 0
                               : support::ini_write(section, key, value, file) != 0;
    };
    const bool profit_kept = keep(u"total_zy"_s, profit);
    return keep(u"total_zs"_s, loss) && profit_kept;
}

} // namespace zorvik::app
