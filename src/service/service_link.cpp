#include "service/service_link.h"

#include "support/http.h"
#include "support/identity.h"
#include "support/json.h"
#include "support/text.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::service {

ServiceLink::ServiceLink(support::HttpClient& http, QString service_base, QString datacenter_default)
    : http_(http), service_base_(std::move(service_base)),
      datacenter_base_(std::move(datacenter_default))
{
}

QString ServiceLink::call(const QString& path) const
{
    return http_.net_get(service_base_ + path);
}

void ServiceLink::init()
{
    // An empty answer keeps the built-in data centre rather than leaving every request without
    // a host.
    const QString datacenter = call(u"spcenter/caieventhandle.php?act=vemto_datacenter_url&pt=default"_s).trimmed();
    if (!datacenter.isEmpty())
        datacenter_base_ = datacenter;
    upload_base_ = call(u"spcenter/caieventhandle.php?act=vemto_dataheartbeat_url&pt=default"_s).trimmed();
}

QStringList ServiceLink::platform_addresses(const QString& platform) const
{
    const QString reply = call(u"spcenter/caieventhandle.php?act=vemto_zt_pturl&pt="_s + platform).trimmed();
    if (reply.isEmpty())
        return {QString::fromUtf16(kManualAddress)};
    return reply.split(u'|');
}

Announcement ServiceLink::fetch_announcements()
{
    announcement_ = call(u"spcenter/zorviksso.php?a=annouce&code="_s +
                         QString::fromUtf16(support::kProductCode) + u"&vn="_s +
                         QString::fromUtf16(support::kVersion) + u"&vb="_s +
                         QString::fromUtf16(support::kBuild));
    Announcement a;
    a.begin_plan = QString::fromUtf16(kBeginPlanOffline);
    if (announcement_.isEmpty())
        return a;
    a.reached = true;
    a.begin_plan = QString::fromUtf16(kBeginPlanReady);
    const support::JsonReader json(announcement_);
    a.qq = json.value(u"qq"_s);
    a.tips = json.value(u"tips"_s);
    const QString ver = json.value(u"ver"_s);
    const QString build = json.value(u"build"_s);
    a.new_version = ver != QStringView(support::kVersion) || build != QStringView(support::kBuild);
    a.new_version_caption = u"有新版 "_s + ver + u'(' + build + u")，点击下载"_s;
    return a;
}

std::optional<QString> ServiceLink::link_for(int index) const
{
    static const char16_t* const members[] = {u"jc",      u"download",  u"reg.hele", u"reg.ucai",
                                              u"reg.jw",  u"friend.nx", u"friend.bt"};
    if (index == 20) {
        return service_base_ + u"spcenter/caieventhandle.php?act=jump_url&jump_type=pqz_formula&v="_s +
               QString::fromUtf16(support::kVersion) + u"&vt="_s +
               support::url_encode(QString::fromUtf16(support::kTitle));
    }
    if (index >= 37 && index <= 43)
        return support::json_value(announcement_, QString::fromUtf16(members[index - 37]));
    return std::nullopt;
}

} // namespace zorvik::service
