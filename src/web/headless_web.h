#pragma once
// The web dashboard in headless mode: served at --web ADDRESS:PORT, or as web_cfg keeps it when
// it was turned on in the window.

#include "core/headless.h"

namespace zorvik::web {

app::HeadlessServe headless_server(const QString& listen);

} // namespace zorvik::web
