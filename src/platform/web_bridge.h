#pragma once
// The page bridge on QtWebEngine: the page zorvik_tz_wb, made on first use and shown by no
// view of its own (a window may show it), sharing its cookies both ways with the program's
// HTTP cookie jar.

#include "platform/browser_page.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class QWebEnginePage;

namespace zorvik::support {
class SharedCookieJar;
class Shell;
} // namespace zorvik::support

namespace zorvik::platform {

class WebPageBridge final : public QObject, public BrowserPage {
    Q_OBJECT
public:
    // `jar` may be null (no HTTP session to share). `made` is told of the page once it is made
    // (a window shows it in a view of its own).
    WebPageBridge(support::Shell& shell, support::SharedCookieJar* jar,
                  std::function<void(QWebEnginePage*)> made = {}, QObject* parent = nullptr);
    ~WebPageBridge() override;

    bool page_navigate(const QString& url) override;
    void page_load(const QString& url) override;
    QString page_exec(const QString& script, int wait_ms) override;
    QString page_answer(const QString& script, int wait_ms) override;
    QString page_val() override;
    void pause(int ms) override;
    QString page_url() override;

    QWebEnginePage* page();
    void stop_waiting() override { stopping_ = true; }
    bool stopping() const override { return stopping_; }

signals:
    // The page raised a dialog (alert, confirm, prompt, or a prompt before leaving it); the
    // page answered it itself.
    void dialog(const QString& text);
    // The engine had frozen or discarded the page: it is active again (a discarded one loads
    // again, once), and no script ran in it meanwhile.
    void page_revived(const QString& text);

private:
    struct Reading {
        bool done = false;
        QVariant value;
    };
    std::shared_ptr<Reading> read_async();
    // Waits until `done` holds or `ms` have passed, with the event loop running.
    bool wait_until(const std::function<bool()>& done, int ms);
    void wait_for_load();
    // True when scripts may run in the page; a page the engine froze or discarded is made
    // active again first (never while the program is stopping).
    bool page_alive();
    // Presets window.vemto_val and runs the script; false (said when the renderer is gone)
    // when it cannot run.
    bool start_script(const QString& script);
    // window.vemto_val read now, or nothing when the page does not answer in time.
    std::optional<QString> read_now();
    void share_cookies();

    support::Shell& shell_;
    QPointer<support::SharedCookieJar> jar_;
    std::function<void(QWebEnginePage*)> made_;
    QPointer<QWebEnginePage> page_;
    bool loading_ = false;
    bool load_ok_ = false;
    bool cleanup_after_load_ = false;
    bool renderer_gone_ = false;
    bool stopping_ = false;
};

// The script put into every page before its own: the page's dialogs answer at once (an alert
// is acknowledged, a confirm cancelled, a prompt left empty, leaving the page allowed) and are
// told to the program through the console with this mark.
QString dialog_guard_script();
inline constexpr char16_t kDialogMark[] = u"zorvik-dialog:";

// The text of a value read from the page: strings as they are, numbers in decimal, nothing for
// an unset value.
QString page_value_text(const QVariant& value);

} // namespace zorvik::platform
