#include "feed/draw_feed.h"

#include "support/waits.h"

#include "support/clock.h"
#include "support/date.h"
#include "support/http.h"
#include "support/md5.h"
#include "support/shell.h"
#include "support/text.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::feed {

namespace {

const QString kSlowTip = u"读取开奖号略慢，检查一下自己网络或重新拨号/重启路由器看"_s;
const QString kHeleSlowTip = u"读取开奖号太慢，检查一下自己网速"_s + u"\r\n"_s + u"或在切换一下开奖线路试试。"_s;
const QString kDatacenterSlowTip = u"读取开奖号略慢，检查一下自己网络看"_s + u"\r\n"_s +
                                   u"或在左下角“开奖线路”处更换一下平台网址看看。"_s;

// The data centre's history of the 100 draws up to `issue`.
QString history_address(const Sources& sources, const QString& issue, const QString& time)
{
    return QString(sources.history_path)
        .replace(u"{ISS}"_s, issue)
        .append(u"&before=100&gtype=list&t={TIME}"_s)
        .replace(u"{TIME}"_s, time);
}

// Issues of one lottery compared as numbers with every "-" removed: true when `issue` is an
// older draw than `newest`. Issues that are not digits do not compare (never older).
bool issue_before(const QString& issue, const QString& newest)
{
    const QString a = QString(issue).remove(u'-');
    const QString b = QString(newest).remove(u'-');
    static const QRegularExpression digits(u"^\\d+$"_s);
    if (a.isEmpty() || b.isEmpty() || !digits.match(a).hasMatch() || !digits.match(b).hasMatch())
        return false;
    const auto strip = [](const QString& s) {
        qsizetype i = 0;
        while (i + 1 < s.size() && s[i] == u'0')
            ++i;
        return s.mid(i);
    };
    const QString x = strip(a);
    const QString y = strip(b);
    return x.size() != y.size() ? x.size() < y.size() : x < y;
}

bool valid_numbers(const QString& numbers)
{
    static const QRegularExpression nine(u"[\\d\\,]{9}"_s);
    return nine.match(numbers).hasMatch();
}

} // namespace

DrawFeed::DrawFeed(support::HttpClient& http, const support::Clock& clock, support::Shell& shell,
                   QObject* parent)
    : QObject(parent), http_(http), clock_(clock), shell_(shell),
      lottery_(QString::fromUtf16(kNoLottery))
{
    poll_timer_.setObjectName(u"newIssAward"_s);
    tick_timer_.setObjectName(u"count_down"_s);
    startup_timer_.setObjectName(u"delay_timer"_s);
    poll_timer_.setInterval(kPollMs);
    tick_timer_.setInterval(kTickMs);
    startup_timer_.setInterval(kStartupMs);
    startup_timer_.setSingleShot(true);
    connect(&poll_timer_, &QTimer::timeout, this, &DrawFeed::poll_awd);
    connect(&tick_timer_, &QTimer::timeout, this, &DrawFeed::on_tick);
    connect(&startup_timer_, &QTimer::timeout, this, [this] {
        refresh_awd_list();
        poll_awd();
        emit started_up();
    });
}

void DrawFeed::start()
{
    poll_timer_.start();
    tick_timer_.start();
    startup_timer_.start();
}

void DrawFeed::set_lottery(const QString& name)
{
    lottery_ = name;
    ++generation_;
    newest_handled_.clear(); // another lottery's issues do not compare with this one's
    reset_awd();
}

QString DrawFeed::epoch_text() const
{
    return QString::number(support::epoch_seconds(clock_));
}

QString DrawFeed::stamp_text() const
{
    return support::now_digits(clock_, 1);
}

// ---------------------------------------------------------------------------------------------
// Poll

void DrawFeed::poll_awd()
{
    // A poll that starts while another waits for its replies returns at once.
    if (polling_)
        return;
    const Lottery* lottery = find_lottery(lottery_);
    if (!lottery)
        return;
    polling_ = true;
    const quint64 generation = generation_;
    const bool option = announce_;
    Poll poll;
    {
        const support::FeedWait waiting;
        fetch(*lottery, poll, option);
    }
    polling_ = false;
    // The lottery or the draw line changed while the replies were awaited: what came back
    // belongs to the old one and must not reach the new one's state.
    if (generation == generation_)
        take(poll, option);
    if (reload_pending_) {
        reload_pending_ = false;
        reload_awd();
    }
}

void DrawFeed::take(const Poll& poll, bool option)
{
    if (poll.history)
        awd_history_ = *poll.history;
    const QString issue = QString(poll.record.slot[0]).remove(u' ');
    const QString numbers = QString(poll.record.slot[1]).remove(u' ');
    if (issue.isEmpty() || numbers.isEmpty() || !valid_numbers(numbers))
        return;
    // A source that lags behind another (the data centre after a reload) must not bring back a
    // draw older than one already handled: it is ignored as if nothing had been read.
    if (issue_before(issue, newest_handled_))
        return;
    awd_iss_ = issue;
    awd_nums_ = numbers;
    next_iss_no_ = poll.record.slot[2];
    next_iss_date_ = poll.record.slot[3];
    bet_iss_ = next_iss_date_.isEmpty() ? next_iss_no_ : next_iss_date_ + u'-' + next_iss_no_;
    emit labels_changed(awd_iss_, u"投注期："_s + next_iss_no_, awd_nums_);
    if (done_iss_.isEmpty() || done_iss_ != awd_iss_) {
        tick_countdown(poll.record.slot[4]);
        on_new_awd();
        if (option)
            shell_.tip(lottery_ + u"最新开奖"_s + u"\r\n"_s + done_iss_ + u"："_s + awd_nums_);
    }
}

void DrawFeed::on_new_awd()
{
    // Marked handled before it is handed on, so a poll nested in the handling cannot take
    // the same draw again.
    const QString issue = awd_iss_;
    refresh_awd_list();
    done_iss_ = issue;
    newest_handled_ = issue;
    emit new_draw(issue, awd_nums_);
}

void DrawFeed::fetch(const Lottery& lottery, Poll& poll, bool option)
{
    const Sources sources = derive_sources(lottery, endpoints_);
    switch (lottery.source_kind) {
    case SourceKind::Public:
        fetch_public(poll, option, sources);
        break;
    case SourceKind::Hele:
        fetch_hele(poll, option, lottery, sources);
        break;
    case SourceKind::Datacenter:
        fetch_datacenter(poll, option, sources);
        break;
    }
}

void DrawFeed::fetch_public(Poll& poll, bool option, const Sources& sources)
{
    FetchRecord& record = poll.record;
    const QString reply =
        http_.net_get(QString(sources.primary_address).replace(u"{TIME}"_s, epoch_text()));
    if (reply.isEmpty()) {
        if (option)
            shell_.tip(kSlowTip);
        return;
    }
    const auto newest = parse_public_newest(reply);
    if (!newest)
        return;
    const NextIssue next = next_public_issue(newest->issue);
    record.slot[0] = newest->issue;
    record.slot[1] = newest->numbers;
    record.slot[2] = next.sequence;
    record.slot[3] = next.date;
    record.slot[4] = parse_public_countdown(http_.net_get(
        endpoints_.public_base + u"order/preBet_periodInfoTime.html?gameEn=ssc&cache="_s +
        epoch_text()));
    if (!record.slot[0].isEmpty() && !record.slot[1].isEmpty())
        fetch_public_trend(poll);
}

void DrawFeed::fetch_public_trend(Poll& poll)
{
    const QString page =
        http_.net_get(endpoints_.trend_base + u"cqssc/?periodNumber=100&t="_s + epoch_text());
    if (const auto history = parse_trend(page))
        poll.history = *history;
}

void DrawFeed::fetch_hele(Poll& poll, bool option, const Lottery& lottery,
                          const Sources& sources)
{
    FetchRecord& record = poll.record;
    if (hele_turn_) {
        hele_turn_ = false;
        const QString reply = http_.net_post(
            QString(sources.primary_address).replace(u"{TIME}"_s, epoch_text()), lottery.site_code);
        if (reply.isEmpty()) {
            if (option)
                shell_.tip(kHeleSlowTip);
            return;
        }
        const auto site = parse_hele_site(reply);
        if (!site)
            return;
        fetch_hele_history(poll, lottery.site_code + u"&noOfD=_100"_s, site->cdTs,
                           lottery.cz_code, option);
        record.slot = {site->ld, site->lr, site->ud, QString(), site->cdTs};
        return;
    }
    hele_turn_ = true;
    const QString reply =
        http_.net_get(QString(sources.newest_path).replace(u"{TIME}"_s, stamp_text()));
    if (!reply.contains(u"\"ret\":0"_s))
        return;
    const auto newest = parse_datacenter_newest(reply);
    // With no draw yet, any issue is newer than "0".
    const QString current = awd_iss_.isEmpty() ? u"0"_s : awd_iss_;
    if (!newest || leading_number(current) >= leading_number(newest->peroid))
        return;
    if (awd_history_.isEmpty())
        poll.history = http_.net_get(history_address(sources, newest->peroid, stamp_text()));
    record.slot = {newest->peroid, newest->prize, newest->nexeId, QString(), newest->nextsec};
}

void DrawFeed::fetch_hele_history(Poll& poll, const QString& query, const QString& countdown,
                                  const QString& cz_code, bool option)
{
    const QString reply =
        http_.net_post(endpoints_.platform_base + u"/cp/loadDrawHistory.do?"_s + query, query);
    if (reply.isEmpty()) {
        if (option)
            shell_.tip(kHeleSlowTip);
        return;
    }
    const auto history = parse_hele_history(reply, countdown);
    if (!history)
        return;
    const QString digest = support::Md5_Calc(history->digest_source);
    if (digest != last_upload_md5_) {
        http_.net_fire(endpoints_.upload_base + u"kaijiang_arr.php?cz="_s + cz_code + u"&list="_s +
                       history->upload_list);
        last_upload_md5_ = digest;
    }
    poll.history = history->history;
}

void DrawFeed::fetch_datacenter(Poll& poll, bool option, const Sources& sources)
{
    FetchRecord& record = poll.record;
    const QString reply =
        http_.net_get(QString(sources.primary_address).replace(u"{TIME}"_s, epoch_text()));
    if (reply.isEmpty()) {
        if (option)
            shell_.tip(kDatacenterSlowTip);
        return;
    }
    const auto newest = parse_datacenter_newest(reply);
    if (!newest)
        return;
    const QStringList next = newest->nexeId.split(u'-');
    if (next.size() < 2)
        return;
    record.slot = {newest->peroid, newest->prize, next[1], next[0], newest->nextsec};
    if (awd_history_.isEmpty())
        poll.history = http_.net_get(
            history_address(sources, QString(newest->peroid).remove(u'-'), epoch_text()));
}

// ---------------------------------------------------------------------------------------------
// Draw state and list

void DrawFeed::reset_awd()
{
    awd_iss_.clear();
    awd_nums_.clear();
    next_iss_no_.clear();
    next_iss_date_.clear();
    bet_iss_.clear();
    awd_history_.clear();
    rows_.clear();
    emit labels_changed(QString(), QString(), QString());
    emit rows_changed();
}

void DrawFeed::reload_awd()
{
    // Inside a waiting poll the reload runs when that poll is done.
    if (polling_) {
        ++generation_; // the waiting poll read the old state or address
        reload_pending_ = true;
        return;
    }
    reset_awd();
    poll_awd();
    refresh_awd_list();
}

void DrawFeed::refresh_awd_list()
{
    rows_.clear();
    if (!awd_iss_.isEmpty()) {
        const QString entry = QString(awd_iss_).remove(u'-') + u':' + awd_nums_;
        if (!awd_history_.contains(entry))
            awd_history_ = entry + u'|' + awd_history_;
    }
    const QStringList entries = awd_history_.split(u'|');
    awd_lookup_.clear();
    const qsizetype n = entries.size() - 1;
    if (n > 3) {
        for (qsizetype i = 0; i < n; ++i) {
            const qsizetype colon = entries[i].indexOf(u':');
            const QString issue = colon < 0 ? entries[i] : entries[i].left(colon);
            const QString numbers = colon < 0 ? QString() : entries[i].mid(colon + 1);
            rows_.append({issue, numbers});
            const QString key = QString(issue).remove(u'-');
            if (!awd_lookup_.contains(key))
                awd_lookup_.insert(key, numbers);
        }
    }
    emit rows_changed();
}

void DrawFeed::tick_countdown(const QString& seconds)
{
    bool ok = false;
    const double given = seconds.trimmed().toDouble(&ok);
    // A value that is not a countdown (out of range, not a number) reads as none.
    const bool usable = ok && !seconds.isEmpty() && countdown_in_range(given);
    const qint64 s = (usable ? qint64(std::floor(given)) : qint64(countdown_)) - 1;
    if (s < 0) {
        countdown_text_ = u"投注已截止,等待开奖..."_s;
    } else {
        countdown_ = int(std::min<qint64>(s, std::numeric_limits<int>::max()));
        const QDateTime at = QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC).addSecs(s);
        countdown_text_ = u"投注截止 "_s + support::format_date(at, 13);
    }
    emit countdown_changed(countdown_text_);
}

void DrawFeed::on_tick()
{
    tick_countdown();
    if (--reload_counter_ < 0) {
        reload_awd();
        reload_counter_ = kReloadTicks;
    }
}

} // namespace zorvik::feed
