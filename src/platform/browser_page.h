#pragma once
// The embedded browser's page behind the page bridge, in a module of its own: the browser engine
// is loaded (and its memory taken) only when a platform's page is first needed, never by a
// program betting simulated money.

#include "platform/page_bridge.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWebEnginePage;

namespace zorvik::support {
class SharedCookieJar;
class Shell;
} // namespace zorvik::support

namespace zorvik::platform {

class BrowserPage : public PageBridge {
public:
    // The program is ending: every wait ends at once and no script runs any more.
    virtual void stop_waiting() = 0;
};

// What the page tells its owner.
struct BrowserHooks {
    // The page was made (a window shows it in a view of its own).
    std::function<void(QWebEnginePage*)> made;
    // The page raised a dialog and answered it itself.
    std::function<void(const QString&)> dialog;
    // The engine had frozen or discarded the page; it is active again.
    std::function<void(const QString&)> revived;
};

// A page of the embedded browser, sharing cookies with `jar` (may be null). When the browser
// module cannot be loaded, a page that runs nothing: every navigation fails, every script
// answers "vemto_error", the user is told once, and no order is ever sent; `why` (if given)
// then says what failed.
std::unique_ptr<BrowserPage> open_browser_page(support::Shell& shell, support::SharedCookieJar* jar,
                                               BrowserHooks hooks, QString* why = nullptr);

// Where the module is looked for, first to last: the place ZORVIK_BROWSER_MODULE names, or
// ../lib/zorvik beside the program's folder, then the build tree.
QStringList browser_module_places();

// The name of the factory the module exports, and its type.
inline constexpr char kBrowserFactory[] = "zorvik_make_browser_page";
using BrowserFactory = BrowserPage* (*)(support::Shell&, support::SharedCookieJar*, BrowserHooks);

} // namespace zorvik::platform
