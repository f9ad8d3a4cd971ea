#pragma once
// A PageBridge without a browser: it records what is loaded and run, answers scripts through a
// test's function, and lets time pass on a FixedClock instead of waiting.

#include "fixed_clock.h"
#include "platform/page_bridge.h"

#include <QStringList>
#include <functional>

namespace zorvik::testing {

class FakeBridge final : public platform::PageBridge {
public:
    explicit FakeBridge(FixedClock& clock) : clock_(clock) {}

    bool page_navigate(const QString& url) override
    {
        navigations << url;
        return navigate_ok;
    }
    void page_load(const QString& url) override { loads << url; }
    QString page_exec(const QString& script, int wait_ms) override
    {
        scripts << script;
        // What a timer or a click would do while the script waits.
        if (during_wait) {
            auto event = std::move(during_wait);
            during_wait = nullptr;
            event();
        }
        clock_.advance(wait_ms);
        return answer ? answer(script) : QString::fromUtf16(platform::kVemtoError);
    }
    QString page_val() override { return later; }
    QString page_url() override { return url.isNull() && !navigations.isEmpty() ? navigations.last() : url; }
    void pause(int ms) override
    {
        clock_.advance(ms);
        ++pauses;
    }
    bool stopping() const override { return stop; }

    // Scripts run that contain the text.
    int ran(const QString& text) const
    {
        int n = 0;
        for (const QString& s : scripts)
            n += s.contains(text) ? 1 : 0;
        return n;
    }

    std::function<QString(const QString& script)> answer;
    std::function<void()> during_wait;
    QString later; // what page_val reads
    QString url;   // the page's address; null: the last one navigated to
    bool navigate_ok = true;
    bool stop = false; // the program is stopping
    QStringList navigations;
    QStringList loads;
    QStringList scripts;
    int pauses = 0;

private:
    FixedClock& clock_;
};

} // namespace zorvik::testing
