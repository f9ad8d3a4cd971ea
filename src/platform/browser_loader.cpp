#include "platform/browser_page.h"

#include "support/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

namespace {

// The page when the browser cannot be had: nothing runs, nothing is sent.
class NoBrowser final : public BrowserPage {
public:
    explicit NoBrowser(support::Shell& shell) : shell_(shell) {}

    bool page_navigate(const QString&) override
    {
        tell();
        return false;
    }
    void page_load(const QString&) override { tell(); }
    QString page_exec(const QString&, int) override
    {
        tell();
        return QString::fromUtf16(kVemtoError);
    }
    QString page_val() override { return {}; }
    void pause(int ms) override
    {
        wait_with_events([] { return false; }, ms, stopping_);
    }
    QString page_url() override { return {}; }
    bool stopping() const override { return stopping_; }
    void stop_waiting() override { stopping_ = true; }

private:
    void tell()
    {
        if (told_ || stopping_)
            return;
        told_ = true;
        shell_.notice(fatal_message());
    }

    support::Shell& shell_;
    bool told_ = false;
    bool stopping_ = false;
};

// The factory of the first place that has the module, or null with what failed.
BrowserFactory load_factory(QString& why)
{
    // Loaded once and never unloaded: its pages live until the program ends.
    static BrowserFactory factory = nullptr;
    if (factory)
        return factory;
    QStringList failures;
    for (const QString& place : browser_module_places()) {
        if (!QFileInfo::exists(place))
            continue;
        auto* library = new QLibrary(place);
        library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library->load()) {
            failures << library->errorString();
            delete library;
            continue;
        }
        factory = reinterpret_cast<BrowserFactory>(library->resolve(kBrowserFactory));
        if (!factory) {
            failures << library->errorString();
            library->unload();
            delete library;
            continue;
        }
        return factory;
    }
    why = failures.isEmpty() ? u"找不到浏览器组件："_s + browser_module_places().join(u"，"_s)
                             : u"浏览器组件无法加载："_s + failures.join(u"；"_s);
    return nullptr;
}

} // namespace

QStringList browser_module_places()
{
    // A packager's (or a test's) own place, and then no other.
    const QString chosen = qEnvironmentVariable("ZORVIK_BROWSER_MODULE");
    if (!chosen.isEmpty())
        return {chosen};
    const QDir program(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(program.filePath(QStringLiteral(ZORVIK_BROWSER_MODULE_INSTALLED))),
            QStringLiteral(ZORVIK_BROWSER_MODULE_BUILT)};
}

std::unique_ptr<BrowserPage> open_browser_page(support::Shell& shell, support::SharedCookieJar* jar,
                                               BrowserHooks hooks, QString* why)
{
    QString failure;
    if (const BrowserFactory factory = load_factory(failure))
        return std::unique_ptr<BrowserPage>(factory(shell, jar, std::move(hooks)));
    if (why)
        *why = failure;
    return std::make_unique<NoBrowser>(shell);
}

} // namespace zorvik::platform
