#pragma once
// The HTTP seam: an awaited GET, an awaited form POST and a GET sent without waiting. Every
// failure comes back as the empty text (or false), never as an error.

#include <QString>

namespace zorvik::support {

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // The reply body; empty after a failure or the time-out. A body that came with a status
    // other than 200 is returned too.
    virtual QString net_get(const QString& url) = 0;
    // A form POST; `body` is sent as it stands (already form-encoded).
    virtual QString net_post(const QString& url, const QString& body) = 0;
    // True when the request could be sent; the reply is never read.
    virtual bool net_fire(const QString& url) = 0;
};

// The slow-network notice shown when a request fails or times out.
QString slow_network_notice();

} // namespace zorvik::support
