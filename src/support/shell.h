#pragma once
// What the program tells the user and asks of them, behind one seam: the window shows real
// dialogs, the tray and the sound; headless mode prints; tests record.

#include <QString>

namespace zorvik::support {

class Shell {
public:
    virtual ~Shell() = default;
    // A modal box with an OK button, titled with the program title.
    virtual void message(const QString& text) = 0;
    // A modal box with OK and Cancel; true for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;
    // A pop-up tip beside the notification area.
    virtual void tip(const QString& text) = 0;
    // Plays a wave file asynchronously; the empty path means the configured file.
    virtual void alert_sound(const QString& path) = 0;
    // Replaces the clipboard's content with the text.
    virtual void copy_text(const QString& text) = 0;
    // A modal notice with an OK button (the slow-network notice).
    virtual void notice(const QString& text) = 0;
    // Opens an address in the system's web browser.
    virtual void open_link(const QString& url) = 0;
};

// Tells nobody anything and answers every question with OK: for work that runs unattended and
// unseen (a backtest's replay, a benchmark).
class SilentShell final : public Shell {
public:
    void message(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    void tip(const QString&) override {}
    void alert_sound(const QString&) override {}
    void copy_text(const QString&) override {}
    void notice(const QString&) override {}
    void open_link(const QString&) override {}
};

} // namespace zorvik::support
