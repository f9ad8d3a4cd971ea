// The browser module: the page bridge on QtWebEngine, loaded by the program when it first needs
// a platform's page. Everything else it uses is the program's own, found in the program.

#include "platform/web_bridge.h"

#include <type_traits>

using zorvik::platform::BrowserHooks;
using zorvik::platform::BrowserPage;
using zorvik::platform::WebPageBridge;

extern "C" Q_DECL_EXPORT BrowserPage* zorvik_make_browser_page(zorvik::support::Shell& shell,
                                                               zorvik::support::SharedCookieJar* jar,
                                                               BrowserHooks hooks)
{
    auto* page = new WebPageBridge(shell, jar, std::move(hooks.made));
    if (hooks.dialog)
        QObject::connect(page, &WebPageBridge::dialog, page, std::move(hooks.dialog));
    if (hooks.revived)
        QObject::connect(page, &WebPageBridge::page_revived, page, std::move(hooks.revived));
    return page;
}

static_assert(std::is_same_v<decltype(&zorvik_make_browser_page), zorvik::platform::BrowserFactory>);
