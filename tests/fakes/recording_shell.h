#pragma once
// A Shell that records what the program tells the user and answers confirmations from a queue
// (OK when the queue is empty).

#include "support/shell.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zorvik::testing {

class RecordingShell final : public support::Shell {
public:
    struct Confirmation {
        QString text;
        QString title;
    };

    void message(const QString& text) override { messages << text; }
    bool confirm(const QString& text, const QString& title) override
    {
        confirmations.append({text, title});
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void tip(const QString& text) override { tips << text; }
    void alert_sound(const QString& path) override { sounds << path; }
    void copy_text(const QString& text) override { copied << text; }
    void notice(const QString& text) override { notices << text; }
    void open_link(const QString& url) override { links << url; }

    void clear()
    {
        messages.clear();
        confirmations.clear();
        tips.clear();
        sounds.clear();
        copied.clear();
        notices.clear();
        links.clear();
    }

    QStringList messages;
    QList<Confirmation> confirmations;
    QList<bool> answers;
    QStringList tips;
    QStringList sounds;
    QStringList copied;
    QStringList notices;
    QStringList links;
};

} // namespace zorvik::testing
