#include "platform/page_bridge.h"

#include "support/text.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::platform {

bool PageBridge::page_size(const QString& expr)
{
    const QString answer = page_answer(
        u"(function(){window.vemto_val = "_s + expr + u".size();return window.vemto_val; })()"_s,
        kProbeWaitMs);
    return answer != u"0" && answer != QStringView(kVemtoError);
}

QString PageBridge::page_text(const QString& expr, int wait_ms)
{
    if (!page_size(expr))
        return QString();
    return support::trim_blanks(page_answer(
        u"(function(){window.vemto_val = "_s + expr + u".text();return window.vemto_val; })()"_s,
        wait_ms));
}

void PageBridge::page_click(const QString& expr, int wait_ms)
{
    if (page_size(expr))
        page_exec(u"(function(){"_s + expr + u".click();window.vemto_val=1;return true;})()"_s, wait_ms);
}

QString cleanup_script()
{
    return u"function alert(){return true};document.oncontextmenu=new "
           u"Function('event.returnValue=false;');(function(){"
           u"jQuery('#alert_close_button').trigger('click');"
           u"jQuery('.changetheme_stay').trigger('click');"
           u"jQuery('#memApply').trigger('click');"
           u"})()"_s;
}

QString fatal_message()
{
    return u"致命错误：\r\n"
           u"Tavlo软件依赖的一些系统组件已被不知名的病毒破坏，无法对接彩票平台进行投注。（模拟投注的功能不影响）\r\n"
           u"请使用杀毒软件，如360杀毒软件进行全盘杀毒修复清理，\r\n"
           u"重启电脑后重新运行Tavlo软件即可"_s;
}

bool wait_with_events(const std::function<bool()>& done, int ms, const bool& stopping)
{
    QElapsedTimer started;
    started.start();
    while (!done()) {
        if (stopping)
            return false;
        const qint64 left = ms - started.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(left, 10)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace zorvik::platform
