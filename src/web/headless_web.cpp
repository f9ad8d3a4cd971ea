#include "web/headless_web.h"

#include "core/core.h"
#include "web/web_server.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::web {

app::HeadlessServe headless_server(const QString& listen)
{
    return [listen](app::AppCore& core, const support::Clock& clock, QString& said) -> std::unique_ptr<QObject> {
        WebConfig config = load_web_config(core.settings_file());
        if (listen.isEmpty() && !config.enabled)
            return nullptr;
        if (!listen.isEmpty() && !parse_listen(listen, config)) {
            said = u"refused 远程访问的地址应为 地址:端口，例如 127.0.0.1:8686："_s + listen;
            return nullptr;
        }
        auto server = std::make_unique<WebServer>(core, clock);
        if (const QString refusal = server->start(config); !refusal.isEmpty()) {
            said = u"refused "_s + refusal;
            return nullptr;
        }
        said = u"listening "_s + server->url();
        return server;
    };
}

} // namespace zorvik::web
