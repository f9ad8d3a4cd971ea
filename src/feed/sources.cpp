#include "feed/sources.h"

using namespace Qt::Literals::StringLiterals;

namespace zorvik::feed {

Sources derive_sources(const Lottery& lottery, const Endpoints& e)
{
    Sources s;
    const QString datacenter = e.datacenter_base + u"caipiao/"_s + lottery.cz_code;
    s.history_path = datacenter + u"/getinfo?id={ISS}"_s;
    s.newest_path = datacenter + u"/getinfo?id=new&t={TIME}"_s;
    switch (lottery.source_kind) {
    case SourceKind::Public:
        s.primary_address = e.public_base + u"order/preBet_resentAwardNum.html?gameEn=ssc&t={TIME}"_s;
        break;
    case SourceKind::Hele:
        s.primary_address = e.platform_base + u"cp/loadSiteInfo.do?"_s + lottery.site_code;
        break;
    case SourceKind::Datacenter:
        s.primary_address = datacenter + u"/beforeinfo?id=new&v={TIME}"_s;
        break;
    }
    return s;
}

} // namespace zorvik::feed
