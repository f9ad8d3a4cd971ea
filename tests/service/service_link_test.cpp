#include "fakes/fake_http.h"
#include "qt_printers.h"
#include "service/service_link.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::service::ServiceLink;
using zorvik::testing::FakeHttp;

namespace {

QString announcement(const QString& ver, const QString& build)
{
    return u"{\"qq\":\"客服QQ：1\",\"tips\":\"公告\",\"ver\":\""_s + ver + u"\",\"build\":\""_s + build +
           u"\",\"jc\":\"http://s/jc\",\"download\":\"http://s/dl\",\"reg\":{\"hele\":\"http://h/\","
           u"\"ucai\":\"http://u/\"},\"friend\":{\"nx\":\"http://nx/\",\"bt\":\"http://bt/\"}}"_s;
}

} // namespace

TEST(ServiceLink, AddressesAtLoad)
{
    FakeHttp http;
    http.route(u"act=vemto_datacenter_url&pt=default"_s, u"http://dc/\r\n"_s);
    http.route(u"act=vemto_dataheartbeat_url&pt=default"_s, u"http://up/"_s);
    ServiceLink link(http, u"http://svc/"_s, u"http://builtin/"_s);
    EXPECT_EQ(link.datacenter_base(), u"http://builtin/"_s);
    link.init();
    EXPECT_EQ(link.datacenter_base(), u"http://dc/"_s);
    EXPECT_EQ(link.upload_base(), u"http://up/"_s);
    EXPECT_EQ(http.requests.first().url,
              u"http://svc/spcenter/caieventhandle.php?act=vemto_datacenter_url&pt=default"_s);
}

TEST(ServiceLink, AnUnreachableServiceKeepsTheBuiltInDataCentre)
{
    FakeHttp http;
    ServiceLink link(http, u"http://svc/"_s, u"http://builtin/"_s);
    link.init();
    EXPECT_EQ(link.datacenter_base(), u"http://builtin/"_s);
    EXPECT_EQ(link.upload_base(), QString());
    EXPECT_EQ(link.platform_addresses(u"hele"_s), QStringList{u"请手动输入地址并回车"_s});
    EXPECT_FALSE(link.fetch_announcements().reached);
}

TEST(ServiceLink, PlatformAddresses)
{
    FakeHttp http;
    http.route(u"act=vemto_zt_pturl&pt=ucai"_s, u"http://u1/|http://u2/"_s);
    ServiceLink link(http, u"http://svc/"_s, QString());
    EXPECT_EQ(link.platform_addresses(u"ucai"_s), (QStringList{u"http://u1/"_s, u"http://u2/"_s}));
}

TEST(ServiceLink, AnnouncementsAndTheNewVersionLink)
{
    FakeHttp http;
    ServiceLink link(http, u"http://svc/"_s, QString());
    http.route(u"zorviksso.php"_s, announcement(u"v1.6"_s, u"20151112"_s));
    auto a = link.fetch_announcements();
    EXPECT_EQ(http.requests.last().url,
              u"http://svc/spcenter/zorviksso.php?a=annouce&code=zorvik_hele&vn=v1.6&vb=20151112"_s);
    EXPECT_TRUE(a.reached);
    EXPECT_EQ(a.qq, u"客服QQ：1"_s);
    EXPECT_EQ(a.tips, u"公告"_s);
    EXPECT_FALSE(a.new_version);

    http.route(u"zorviksso.php"_s, announcement(u"v1.6"_s, u"20160101"_s));
    a = link.fetch_announcements();
    EXPECT_TRUE(a.new_version);
    EXPECT_EQ(a.new_version_caption, u"有新版 v1.6(20160101)，点击下载"_s);

    http.route(u"zorviksso.php"_s, u"not json"_s);
    a = link.fetch_announcements();
    EXPECT_TRUE(a.reached);
    EXPECT_EQ(a.qq, QString());
}

TEST(ServiceLink, JumpLinks)
{
    FakeHttp http;
    http.route(u"zorviksso.php"_s, announcement(u"v1.6"_s, u"20151112"_s));
    ServiceLink link(http, u"http://svc/"_s, QString());
    link.fetch_announcements();
    // The title goes URL-encoded in GBK.
    EXPECT_EQ(link.link_for(20),
              u"http://svc/spcenter/caieventhandle.php?act=jump_url&jump_type=pqz_formula&v=v1.6&vt=Zorvik%B7%D6%B7%D6%B2%CA%D2%C5%C2%A9%BC%E0%BF%D8%B9%D2%BB%FA%CD%B6%D7%A2%C8%ED%BC%FE"_s);
    EXPECT_EQ(link.link_for(37), u"http://s/jc"_s);
    EXPECT_EQ(link.link_for(38), u"http://s/dl"_s);
    EXPECT_EQ(link.link_for(39), u"http://h/"_s);
    EXPECT_EQ(link.link_for(41), QString()); // missing member: an empty address
    EXPECT_EQ(link.link_for(43), u"http://bt/"_s);
    EXPECT_FALSE(link.link_for(31).has_value());
    EXPECT_FALSE(link.link_for(44).has_value());
}
