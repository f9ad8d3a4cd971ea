#pragma once
// The seam to the embedded browser that drives the platforms' pages: load a page, run a script
// in it, read the page's answer variable window.vemto_val. The element operations are built on
// these three and are the same for every browser.

#include <QString>
#include <functional>

namespace zorvik::platform {

// What page_exec answers when the script could not run or stored nothing.
inline constexpr char16_t kVemtoError[] = u"vemto_error";
inline constexpr int kNavTimeoutMs = 10000;
inline constexpr int kProbeWaitMs = 200;
inline constexpr int kCleanupWaitMs = 1000;

class PageBridge {
public:
    virtual ~PageBridge() = default;

    // Loads the address and waits for it; true when the page may be scripted. A page that
    // loaded runs the clean-up script before this returns.
    virtual bool page_navigate(const QString& url) = 0;
    // Starts loading the address without waiting; the clean-up script runs once it has loaded,
    // and the next script waits for the load to end.
    virtual void page_load(const QString& url) = 0;
    // Presets window.vemto_val to "vemto_error", runs the script, waits `wait_ms` (the event
    // loop keeps running) and answers window.vemto_val as it stands then, trimmed.
    virtual QString page_exec(const QString& script, int wait_ms) = 0;
    // As page_exec, but answers as soon as the script has stored an answer (anything but the
    // preset), within `wait_ms` at most: for probes and orders, whose scripts answer when
    // done. A bridge that cannot tell waits the whole time.
    virtual QString page_answer(const QString& script, int wait_ms) { return page_exec(script, wait_ms); }
    // window.vemto_val now, without running anything; empty when it cannot be read.
    virtual QString page_val() = 0;
    // Lets `ms` milliseconds pass with the event loop running (never a sleep).
    virtual void pause(int ms) = 0;
    // The address of the page loaded now; empty before any.
    virtual QString page_url() = 0;
    // True once the program is stopping: every wait ends at once, and a caller that polls the
    // page gives up instead of polling a page that is going away.
    virtual bool stopping() const { return false; }

    // True when the jQuery expression matches at least one element.
    bool page_size(const QString& expr);
    // The matched elements' text, trimmed; empty, after a single probe, when nothing matches.
    QString page_text(const QString& expr, int wait_ms);
    // Clicks the matched elements when there are any.
    void page_click(const QString& expr, int wait_ms);
};

// Run after every page load: disarms the page's alert boxes and context menu and presses the
// platforms' notice and prompt buttons.
QString cleanup_script();
// Shown when the browser cannot run scripts at all.
QString fatal_message();

// Runs the event loop until `done` holds (true) or `ms` have passed or `stopping` holds (false).
bool wait_with_events(const std::function<bool()>& done, int ms, const bool& stopping);

} // namespace zorvik::platform
