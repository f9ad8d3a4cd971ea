#pragma once
// What the simulator's request handlers share: texts, JSON replies, parameters and refusals.

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <initializer_list>
#include <string>

namespace zorvik::sim {

inline std::string utf8(const QString& s)
{
    return s.toStdString();
}

inline QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

inline std::string json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

inline std::string json(const QJsonArray& a)
{
    return QJsonDocument(a).toJson(QJsonDocument::Compact).toStdString();
}

inline QString param(const httplib::Request& req, const char* name)
{
    return req.has_param(name) ? text(req.get_param_value(name)) : QString();
}

// A request must carry exactly the query keys its endpoint is asked with (in any order);
// a real server answers anything else as a page it does not have.
inline bool asked_with(const httplib::Request& req, std::initializer_list<const char*> keys)
{
    if (req.params.size() != keys.size())
        return false;
    for (const char* key : keys)
        if (!req.has_param(key))
            return false;
    return true;
}

inline void not_found(httplib::Response& res)
{
    res.status = 404;
    res.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html; charset=utf-8");
}

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";


} // namespace zorvik::sim
