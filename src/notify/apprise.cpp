#include "notify/apprise.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::notify {

QString url_scheme(const QString& url)
{
    const qsizetype at = url.indexOf(u"://"_s);
    return at > 0 ? url.left(at).toLower() : u"?"_s;
}

QStringList split_urls(const QString& text)
{
    static const QRegularExpression blanks(u"\\s+"_s);
    return text.split(blanks, Qt::SkipEmptyParts);
}

Apprise::Apprise(QObject* parent, QString program, int attempts, int first_pause_ms, int timeout_ms)
    : QObject(parent), program_(std::move(program)), attempts_(attempts), first_pause_ms_(first_pause_ms),
      timeout_ms_(timeout_ms)
{
    for (const char16_t* e : kNotifyEvents)
        events_.insert(QString::fromUtf16(e));
    events_.remove(u"summary"_s); // the daily summary only when the user asks for it
}

Apprise::~Apprise()
{
    // Runs still going are ended with their owner.
    for (QProcess* p : findChildren<QProcess*>()) {
        p->disconnect(this);
        p->kill();
        p->waitForFinished(1000);
    }
}

bool Apprise::available() const
{
    return program_.contains(u'/') ? QFileInfo::exists(program_) : !QStandardPaths::findExecutable(program_).isEmpty();
}

void Apprise::send(const QString& event, const QString& title, const QString& body)
{
    if (urls_.isEmpty() || (event != u"test" && !events_.contains(event)) || !available())
        return;
    for (int i = 0; i < urls_.size(); ++i) {
        ++in_flight_;
        attempt({event, i, urls_[i], title, body}, attempts_, first_pause_ms_);
    }
}

QString failure_reason(const QString& output, int code)
{
    static const QRegularExpression level(u"^.*? - (?:ERROR|WARNING) - (.*)$"_s);
    static const QRegularExpression address(u"\\S*://\\S*"_s);
    for (const QString& line : output.left(65536).split(u'\n')) {
        const QRegularExpressionMatch m = level.match(line.trimmed());
        if (!m.hasMatch())
            continue;
        QString reason = QString(m.captured(1)).replace(address, u"…"_s).trimmed();
        if (reason.size() > 160)
            reason = reason.left(160) + u'…';
        if (!reason.isEmpty())
            return reason;
    }
    return u"exit "_s + QString::number(code);
}

void Apprise::attempt(const Delivery& d, int left, int pause_ms)
{
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    auto timed_out = std::make_shared<bool>(false);
    connect(limit, &QTimer::timeout, process, [process, timed_out] {
        *timed_out = true;
        process->kill();
    });
    const auto done = [=, this](const QString& failure) {
        process->deleteLater();
        if (failure.isEmpty()) {
            --in_flight_;
            emit delivered(d.event, d.index, url_scheme(d.url));
            return;
        }
        if (left <= 1) {
            --in_flight_;
            emit failed(d.event, d.index, url_scheme(d.url), failure);
            return;
        }
        QTimer::singleShot(pause_ms, this, [=, this] { attempt(d, left - 1, pause_ms * 2); });
    };
    connect(process, &QProcess::finished, this, [=](int code, QProcess::ExitStatus status) {
        limit->stop();
        if (*timed_out)
            done(u"timed out"_s);
        else if (status != QProcess::NormalExit)
            done(u"crashed"_s);
        else
            done(code == 0 ? QString() : failure_reason(QString::fromUtf8(process->readAll()), code));
    });
    connect(process, &QProcess::errorOccurred, this, [=](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            limit->stop();
            done(u"not started"_s);
        }
    });
    // Arguments as a list, never through a shell. Its warnings are read for the reason of a
    // failure, with every address taken out (an address may hold a token).
    limit->start(timeout_ms_);
    process->start(program_, {u"-v"_s, u"-t"_s, d.title, u"-b"_s, d.body, d.url});
}

} // namespace zorvik::notify
