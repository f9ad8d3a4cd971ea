// zorvik-sim's servers answer only the requests their endpoints are asked with, as strictly as
// a real server, and hold a source behind on demand.

#include "sim.h"

#include <httplib.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

class Strict : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& line : sim_.start()) {
            const auto space = line.find(' ');
            ports_[line.substr(0, space)] =
                QUrl(QString::fromStdString(line.substr(space + 1))).port();
        }
    }

    int get(const std::string& role, const std::string& path, std::string* body = nullptr)
    {
        httplib::Client client("127.0.0.1", ports_.at(role));
        const auto res = client.Get(path.c_str());
        if (res && body)
            *body = res->body;
        return res ? res->status : 0;
    }

    int post(const std::string& role, const std::string& path, const std::string& form,
             std::string* body = nullptr)
    {
        httplib::Client client("127.0.0.1", ports_.at(role));
        const auto res = client.Post(path.c_str(), form, "application/x-www-form-urlencoded");
        if (res && body)
            *body = res->body;
        return res ? res->status : 0;
    }

    // Seed 1, a draw an hour (none comes during a test), any free ports.
    zorvik::sim::Simulator sim_{zorvik::sim::Options{1, 3600, 0, false, {}, 0, {}}};
    std::map<std::string, int> ports_;
};

} // namespace

TEST_F(Strict, TheServiceKnowsItsRequests)
{
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=vemto_datacenter_url&pt=default"), 200);
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=vemto_zt_pturl&pt=hele"), 200);
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=jump_url&jump_type=pqz_formula&v=v1.6&vt=x"), 200);
    EXPECT_EQ(get("service", "/spcenter/zorviksso.php?a=annouce&code=zorvik_hele&vn=v1.6&vb=20151112"), 200);
    EXPECT_EQ(get("service", "/kaijiang_arr.php?cz=hele_fenfen&list=[]"), 200);
    // A key missing, one too many, an unknown action, a wrong path.
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=vemto_datacenter_url"), 404);
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=vemto_datacenter_url&pt=default&x=1"), 404);
    EXPECT_EQ(get("service", "/spcenter/caieventhandle.php?act=other&pt=default"), 404);
    EXPECT_EQ(get("service", "/spcenter/zorviksso.php?a=announce&code=zorvik_hele&vn=v1.6&vb=20151112"), 404);
    EXPECT_EQ(get("service", "/kaijiang_arr.php?list=[]"), 404);
    EXPECT_EQ(get("service", "/spcenter/other.php"), 404);
}

TEST_F(Strict, ALongHistoryIsServedForAKnownCodeAndARefusalNamesTheCodes)
{
    std::string body;
    EXPECT_EQ(get("service", "/sim/history?code=hele_fenfen&count=3", &body), 200);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 3);
    for (const char* bad : {"/sim/history?code=nope&count=3", "/sim/history?code=hele_fenfen&count=0",
                            "/sim/history?code=hele_fenfen&count=1000001"}) {
        EXPECT_EQ(get("service", bad, &body), 400) << bad;
        for (const char* code : {"hele_fenfen", "hele_5fen", "chongqing", "ucai_60s", "ucai_300s", "jw_60s", "jw_180s"})
            EXPECT_NE(body.find(code), std::string::npos) << code;
    }
    EXPECT_EQ(get("service", "/sim/history?code=jw_180s&count=1000"), 200);
}

TEST_F(Strict, EachGameIsReadTheWayItsSourceReadsIt)
{
    std::string body;
    // Data-centre games: newest by beforeinfo, history by getinfo with an issue.
    EXPECT_EQ(get("datacenter", "/caipiao/ucai_60s/beforeinfo?id=new&v=1", &body), 200);
    const QString issue = QJsonDocument::fromJson(QByteArray::fromStdString(body))
                              .object()[QStringLiteral("information")][0][QStringLiteral("peroid")]
                              .toString()
                              .remove(QLatin1Char('-'));
    EXPECT_EQ(get("datacenter", "/caipiao/ucai_60s/getinfo?id=" + issue.toStdString() +
                                    "&before=100&gtype=list&t=1"), 200);
    EXPECT_EQ(get("datacenter", "/caipiao/ucai_60s/getinfo?id=new&t=1"), 404);
    // Hele games: newest by getinfo?id=new, never by beforeinfo.
    EXPECT_EQ(get("datacenter", "/caipiao/hele_fenfen/getinfo?id=new&t=20151112103000"), 200);
    EXPECT_EQ(get("datacenter", "/caipiao/hele_fenfen/beforeinfo?id=new&v=1"), 404);
    // The public site's game is not at the data centre; wrong keys are not found.
    EXPECT_EQ(get("datacenter", "/caipiao/chongqing/beforeinfo?id=new&v=1"), 404);
    EXPECT_EQ(get("datacenter", "/caipiao/ucai_60s/beforeinfo?id=new&t=1"), 404);
    EXPECT_EQ(get("datacenter", "/caipiao/ucai_60s/getinfo?id=1&before=50&gtype=list&t=1"), 404);
    // The public site and its trend page.
    EXPECT_EQ(get("public", "/order/preBet_resentAwardNum.html?gameEn=ssc&t=1"), 200);
    EXPECT_EQ(get("public", "/order/preBet_resentAwardNum.html?gameEn=ssc"), 404);
    EXPECT_EQ(get("public", "/order/preBet_periodInfoTime.html?gameEn=ssc&cache=1"), 200);
    EXPECT_EQ(get("public", "/order/preBet_periodInfoTime.html?gameEn=ssc&t=1"), 404);
    EXPECT_EQ(get("trend", "/cqssc/?periodNumber=100&t=1"), 200);
    EXPECT_EQ(get("trend", "/cqssc/?periodNumber=50&t=1"), 404);
    // The Hele platform: its site information and its history.
    EXPECT_EQ(post("hele", "/cp/loadSiteInfo.do?siteCode=HELSSC1", "siteCode=HELSSC1"), 200);
    EXPECT_EQ(post("hele", "//cp/loadDrawHistory.do?siteCode=HELSSC1&noOfD=_100",
                   "siteCode=HELSSC1&noOfD=_100"), 200);
    EXPECT_EQ(post("hele", "/cp/loadSiteInfo.do", ""), 404);
    EXPECT_EQ(post("hele", "//cp/loadDrawHistory.do?siteCode=HELSSC1", "siteCode=HELSSC1"), 404);
}

TEST_F(Strict, ALaggingSourceServesOlderDraws)
{
    const auto newest = [this](const std::string& role, const std::string& path,
                               const std::string& member) {
        std::string body;
        get(role, path, &body);
        return QJsonDocument::fromJson(QByteArray::fromStdString(body))
            .object()[QStringLiteral("information")][0][QString::fromStdString(member)]
            .toString();
    };
    const std::string path = "/caipiao/hele_fenfen/getinfo?id=new&t=1";
    const QString before = newest("datacenter", path, "peroid");
    EXPECT_EQ(get("service", "/sim/fault?role=datacenter&lag=1"), 200);
    const QString lagging = newest("datacenter", path, "peroid");
    EXPECT_EQ(lagging.toLongLong(), before.toLongLong() - 1);
    std::string site;
    post("hele", "/cp/loadSiteInfo.do?siteCode=HELSSC1", "siteCode=HELSSC1", &site);
    EXPECT_NE(site.find(before.toStdString()), std::string::npos); // the platform is not behind
    EXPECT_EQ(get("service", "/sim/fault?role=datacenter&lag=0"), 200);
    EXPECT_EQ(newest("datacenter", path, "peroid"), before);
}
