#pragma once
// Requests to the maker's service: the data-centre and upload addresses, the platform address
// list, the announcements and the jump links.

#include <QString>
#include <QStringList>
#include <optional>

namespace zorvik::support {
class HttpClient;
}

namespace zorvik::service {

inline constexpr char16_t kManualAddress[] = u"请手动输入地址并回车";

// The start button's captions: before the announcements, after them, and when none came.
inline constexpr char16_t kBeginPlanWaiting[] = u"Zorvik即将出笼...";
inline constexpr char16_t kBeginPlanReady[] = u"点击此处启动监控";
inline constexpr char16_t kBeginPlanOffline[] = u"网络连接失败,请重开软件再试试...";

struct Announcement {
    bool reached = false;     // the service answered
    QString begin_plan;       // the start button's caption
    QString qq;               // contact text
    QString tips;             // notice text
    bool new_version = false; // a newer release than this program
    QString new_version_caption;
};

class ServiceLink {
public:
    ServiceLink(support::HttpClient& http, QString service_base, QString datacenter_default);

    // Asks for the data-centre and upload addresses (at window load).
    void init();
    QString datacenter_base() const { return datacenter_base_; }
    QString upload_base() const { return upload_base_; }

    // The platform base addresses for "hele", "ucai" or "jw"; the manual-entry item when the
    // service gives none.
    QStringList platform_addresses(const QString& platform) const;

    // Fetches and keeps the announcements (once, two seconds after load).
    Announcement fetch_announcements();

    // The address a link of the window's label group opens, or nothing for other indexes.
    std::optional<QString> link_for(int index) const;

private:
    QString call(const QString& path) const;

    support::HttpClient& http_;
    QString service_base_;
    QString datacenter_base_;
    QString upload_base_;
    QString announcement_;
};

} // namespace zorvik::service
