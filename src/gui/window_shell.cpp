#include "gui/window_shell.h"

#include "support/identity.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QUrl>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::app {

WindowShell::WindowShell(QWidget* window, QString data_dir, std::function<QString()> sound_box)
    : window_(window), data_dir_(std::move(data_dir)), sound_box_(std::move(sound_box))
{
}

void WindowShell::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf16(support::kTitle), text,
                    QMessageBox::Ok, window_);
    box.button(QMessageBox::Ok)->setText(u"确定"_s);
    box.exec();
}

bool WindowShell::confirm(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    window_);
    box.button(QMessageBox::Ok)->setText(u"确定"_s);
    box.button(QMessageBox::Cancel)->setText(u"取消"_s);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

// The notice is shown without waiting for OK: it is raised from inside a request of the draw
// cycle, which must go on (polls, countdown, reload) while the box is open. One at a time.
void WindowShell::notice(const QString& text)
{
    if (notice_box_)
        return;
    auto* box = new QMessageBox(QMessageBox::NoIcon, QString::fromUtf16(support::kTitle), text,
                                QMessageBox::Ok, window_);
    box->setObjectName(u"slow_network_notice"_s);
    box->button(QMessageBox::Ok)->setText(u"确定"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    notice_box_ = box;
    box->open();
}

void WindowShell::open_link(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void WindowShell::tip(const QString& text)
{
    if (!tray_.show_tip(text) && window_tip_)
        window_tip_(text);
}

void WindowShell::alert_sound(const QString& path)
{
    sound_.play(notify::alert_sound_path(path, sound_box_ ? sound_box_() : QString(), data_dir_));
}

void WindowShell::copy_text(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace zorvik::app
