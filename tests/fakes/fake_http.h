#pragma once
// An HttpClient that answers from a table of address fragments and records every request.

#include "support/http.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

namespace zorvik::testing {

class FakeHttp final : public support::HttpClient {
public:
    struct Request {
        QString method; // "GET", "POST" or "FIRE"
        QString url;
        QString body;
    };

    // The first route whose fragment occurs in the address answers; later routes for the
    // same fragment replace earlier ones.
    void route(const QString& fragment, const QString& reply)
    {
        for (auto& r : routes_) {
            if (r.first == fragment) {
                r.second = reply;
                return;
            }
        }
        routes_.append({fragment, reply});
    }

    QString net_get(const QString& url) override { return answer(QStringLiteral("GET"), url, QString()); }
    QString net_post(const QString& url, const QString& body) override
    {
        return answer(QStringLiteral("POST"), url, body);
    }
    bool net_fire(const QString& url) override
    {
        requests.append({QStringLiteral("FIRE"), url, QString()});
        return true;
    }

    int count(const QString& fragment) const
    {
        int n = 0;
        for (const Request& r : requests)
            n += r.url.contains(fragment) ? 1 : 0;
        return n;
    }

    QList<Request> requests;
    // Runs inside every awaited request, as the window's events would.
    std::function<void()> during_wait;

private:
    QString answer(const QString& method, const QString& url, const QString& body)
    {
        requests.append({method, url, body});
        if (during_wait)
            during_wait();
        for (const auto& r : routes_) {
            if (url.contains(r.first))
                return r.second;
        }
        return QString();
    }

    QList<QPair<QString, QString>> routes_;
};

} // namespace zorvik::testing
