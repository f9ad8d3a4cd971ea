// The simulated platforms check orders as real platforms do: the numbers well formed for the
// play, the lines and money counted, the session, the issue on sale and the balance.

#include "platform_bets.h"
#include "sim.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using zorvik::sim::PlacedBet;

namespace {

struct Form {
    const char* orders;
    bool known;
    qint64 count; // -1: malformed
};

TEST(HeleForms, CountLinesAndRefuseMalformedNumbers)
{
    const Form cases[] = {
        {"CS123_123_123.", true, 27}, {"CS1_2_3.", true, 1},    {"2S1_2,3_4.", true, 2},
        {"5F__56__.", true, 2},       {"5F0____.", true, 1},    {"3J34.", true, 2},
        {"1S5.", true, 1},            {"C6123.", true, 1},      {"C61234.", true, 4},
        {"33112.", true, 1},          {"3312.", true, 2},       {"BC12,34.", true, 2},
        {"CS12_3.", true, -1},        {"CS1_2_3", false, -1},   {"5F__5_.", true, -1},
        {"CS1_1a_3.", true, -1},      {"C6112.", true, -1},     {"ZZ1.", false, -1},
        {"5F_____.", true, -1},       {"BC11.", true, -1},      {"1S.", true, -1},
    };
    for (const Form& c : cases) {
        bool known = false;
        const auto bet = zorvik::sim::hele_bet_form(QString::fromUtf8(c.orders), &known);
        EXPECT_EQ(known, c.known) << c.orders;
        EXPECT_EQ(bet ? bet->count : -1, c.count) << c.orders;
    }
}

TEST(UcaiForms, CountLinesByMethodRow)
{
    const struct {
        int row;
        const char* codes;
        qint64 count;
    } cases[] = {
        {0, "||1&2|1&2|1&2", 6}, {0, "0&9||||", 2},    {0, "|||", -1},       {0, "", -1},
        {5, "01&23&45", 3},      {5, "012&34", -1},    {11, "123&456", 2},   {13, "1&2&3", 6},
        {14, "1&2&3&4", 4},      {14, "1&1&2", -1},    {23, "1|2|3|4", 1},   {24, "1&2|3|4|5|6", 2},
        {24, "1|2|3|4", -1},     {1, "1&2&3", 3},      {2, "1&2&3", 3},      {25, "1|2&3&4", -1},
        {7, "12&34", 2},         {7, "11", -1},        {12, "", -1},
        // The direct plays: each slot's digits joined by "&", nothing else.
        {12, "1&2&3|1&2&3|1&2&3", 27}, {12, "1|2&3|4", 2}, {12, "123|123|123", -1}, {12, "1,2|3|4", -1},
        {12, "1&&2|3|4", -1},    {12, "1|2|3|4", -1},  {6, "1&2|3", 2},      {6, "12|3", -1},
        {9, "5|6", 1},           {16, "1|2|3", 1},     {20, "0&9|0|0", 2},   {0, "5||||", 1},
        {0, "55||||", -1},
    };
    for (const auto& c : cases) {
        const auto bet = zorvik::sim::ucai_bet_form(c.row, QString::fromUtf8(c.codes));
        EXPECT_EQ(bet ? bet->count : -1, c.count) << c.row << " " << c.codes;
    }
    EXPECT_EQ(zorvik::sim::ucai_row(16, 2589, u"input"_s), 5);
    EXPECT_EQ(zorvik::sim::ucai_row(16, 2589, u"digital"_s), 6);
    EXPECT_EQ(zorvik::sim::ucai_row(1, 2589, u"input"_s), -1);
    EXPECT_EQ(zorvik::sim::ucai_row(15, 2377, u"digital"_s), 12);
}

TEST(PlacedBets, WinningLinesFollowTheDraw)
{
    bool known = false;
    const auto lines = [&](const char* orders, const char* draw) {
        const auto bet = zorvik::sim::hele_bet_form(QString::fromUtf8(orders), &known);
        return bet ? bet->wins(QString::fromUtf8(draw)) : -1;
    };
    EXPECT_EQ(lines("5F__1_23_4.", "00134"), 3);
    EXPECT_EQ(lines("5F__1_23_4.", "00944"), 1);
    EXPECT_EQ(lines("CS1_2_3.", "12300"), 1);
    EXPECT_EQ(lines("CS1_2_3.", "12400"), 0);
    EXPECT_EQ(lines("3S12_12_12.", "00121"), 1);
    EXPECT_EQ(lines("C3123.", "11200"), 1);  // a pair and a single, both chosen
    EXPECT_EQ(lines("C3123.", "11100"), 0);  // three of a kind is no 组三
    EXPECT_EQ(lines("C6123.", "32100"), 1);
    EXPECT_EQ(lines("C6123.", "11200"), 0);
    EXPECT_EQ(lines("3J345.", "00345"), 3);
    EXPECT_EQ(lines("2S1_2,3_4.", "00034"), 1);
    const auto pair = zorvik::sim::ucai_bet_form(4, u"1&2&3"_s); // 后三 不定位 二码
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->wins(u"00123"_s), 3);
    EXPECT_EQ(pair->wins(u"00119"_s), 0);
}

// ---------------------------------------------------------------------------------------------

class Platforms : public ::testing::Test {
protected:
    void SetUp() override
    {
        zorvik::sim::Options options{1, 3600, 0, false, {{"ann", "p'w\\1", 100}, {"bob", "x", 0.5}}, 0, {}};
        sim_ = std::make_unique<zorvik::sim::Simulator>(options);
        for (const std::string& line : sim_->start()) {
            const auto space = line.find(' ');
            ports_[line.substr(0, space)] = QUrl(QString::fromStdString(line.substr(space + 1))).port();
        }
    }

    httplib::Result post(const std::string& role, const std::string& path, const httplib::Params& form,
                         const std::string& cookie = std::string())
    {
        httplib::Client client("127.0.0.1", ports_.at(role));
        httplib::Headers headers;
        if (!cookie.empty())
            headers.emplace("Cookie", cookie);
        return client.Post(path.c_str(), headers, form);
    }
    httplib::Result get(const std::string& role, const std::string& path,
                        const std::string& cookie = std::string())
    {
        httplib::Client client("127.0.0.1", ports_.at(role));
        httplib::Headers headers;
        if (!cookie.empty())
            headers.emplace("Cookie", cookie);
        return client.Get(path.c_str(), headers);
    }
    // Logs in and returns the session cookie ("name=value"), empty when refused.
    std::string login(const std::string& role, const std::string& name, const std::string& password)
    {
        const auto res = role == "hele"
                             ? post(role, "/login.do", {{"userid", name}, {"password", password}})
                             : post(role, "/?controller=user&action=login",
                                    {{"username", name}, {"password", password}});
        if (!res || !res->has_header("Set-Cookie"))
            return std::string();
        const std::string cookie = res->get_header_value("Set-Cookie");
        return cookie.substr(0, cookie.find(';'));
    }
    QJsonObject state()
    {
        const auto res = get("service", "/sim/state");
        return QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).object();
    }
    void fault(const std::string& what)
    {
        ASSERT_EQ(get("service", "/sim/fault?" + what)->body, "ok");
    }
    // The UCai issue on sale for 欢乐分分彩 (from the Hele site information's clock).
    std::string ucai_issue()
    {
        const QJsonArray draws = state()[u"draws"_s][u"ucai_60s"_s].toArray();
        const QString newest = draws.last()[u"issue"_s].toString();
        const int next = newest.section(u'-', 1).toInt() + 1;
        return (newest.section(u'-', 0, 0) + u'-' + QString::number(next).rightJustified(3, u'0')).toStdString();
    }
    httplib::Params ucai_order(const std::string& issue, const std::string& codes, int nums,
                               const std::string& money, int mode = 2)
    {
        const std::string project = "{ 'type':'digital','methodid':2599,'codes':'" + codes +
                                    "', 'nums':" + std::to_string(nums) + ",'omodel':0, 'times':1,'money':'" +
                                    money + "','mode':" + std::to_string(mode) + ",'desc':'前一(定位胆)'}";
        return {{"flag", "save"},          {"curmid", "2505"},
                {"lotteryid", "16"},       {"lt_project_modes", std::to_string(mode)},
                {"lt_issue_start", issue}, {"lt_total_nums", std::to_string(nums)},
                {"lt_total_money", money}, {"lt_project[]", project}};
    }

    std::unique_ptr<zorvik::sim::Simulator> sim_;
    std::map<std::string, int> ports_;
};

TEST_F(Platforms, LoginsOpenSessionsByCookieAndAreRecorded)
{
    EXPECT_TRUE(login("hele", "ann", "wrong").empty());
    const std::string hele = login("hele", "ann", "p'w\\1");
    ASSERT_FALSE(hele.empty());
    EXPECT_NE(get("hele", "/", hele)->body.find("<span id=\"nick\">ann</span>"), std::string::npos);
    EXPECT_EQ(get("hele", "/")->body.find(">ann</span>"), std::string::npos);
    EXPECT_NE(get("hele", "/")->body.find("<input id=\"userid\">"), std::string::npos);
    EXPECT_NE(get("hele", "/member!getRefreshInfo.do", hele)->body.find("\"totalCredit\":100"),
              std::string::npos);

    const std::string ucai = login("ucai", "ann", "p'w\\1");
    ASSERT_FALSE(ucai.empty());
    EXPECT_NE(get("ucai", "/hall", ucai)->body.find("moneyContent\"><p>ann</p>"), std::string::npos);
    EXPECT_EQ(get("ucai", "/hall")->body.find("moneyContent"), std::string::npos);
    EXPECT_EQ(post("ucai", "/?controller=default&action=menu", {{"flag", "getmoney"}}, ucai)->body, "100");
    EXPECT_NE(post("ucai", "/?controller=default&action=menu", {{"flag", "getmoney"}})->body.find('<'),
              std::string::npos);
    EXPECT_EQ(get("ucai", "/?nonsense")->status, 404);

    const QJsonArray logins = state()[u"logins"_s].toArray();
    ASSERT_EQ(logins.size(), 3);
    EXPECT_FALSE(logins[0][u"accepted"_s].toBool());
    EXPECT_EQ(logins[1][u"password"_s].toString(), u"p'w\\1"_s);
    EXPECT_TRUE(logins[2][u"accepted"_s].toBool());

    fault("role=ucai&expire=1");
    EXPECT_EQ(get("ucai", "/hall", ucai)->body.find("moneyContent"), std::string::npos);
    EXPECT_NE(get("hele", "/", hele)->body.find(">ann</span>"), std::string::npos); // the other stays
}

TEST_F(Platforms, UcaiOrdersAreCheckedDebitedAndRecorded)
{
    const std::string cookie = login("ucai", "ann", "p'w\\1");
    const std::string issue = ucai_issue();
    const auto send = [&](const httplib::Params& form) {
        return post("ucai", "/?controller=game&action=play", form, cookie)->body;
    };
    EXPECT_EQ(send(ucai_order(issue, "0&1&2&3&4||||", 5, "1")), "success");
    // The amount is what is debited, to the 厘: 3 lines of 0.002 are 0.006, and 0.01 is refused.
    EXPECT_NE(send(ucai_order(issue, "0&1&2||||", 3, "0.01", 4)).find("金额"), std::string::npos);
    EXPECT_NE(send(ucai_order(issue, "0&1&2||||", 3, "0.005", 4)).find("金额"), std::string::npos);
    EXPECT_EQ(send(ucai_order(issue, "0&1&2||||", 3, "0.006", 4)), "success");
    EXPECT_NE(send(ucai_order(issue, "0&1||||", 5, "1")).find("金额"), std::string::npos);
    EXPECT_NE(send(ucai_order(issue, "0&0||||", 2, "0.4")).find("号码格式错误"), std::string::npos);
    EXPECT_NE(send(ucai_order("20000101-001", "0||||", 1, "0.2")).find("已截止"), std::string::npos);
    EXPECT_EQ(post("ucai", "/?controller=game&action=play", ucai_order(issue, "0||||", 1, "0.2"))
                  ->body.find("\"data\""),
              std::string::npos); // no session: a page, not a refusal
    fault("role=ucai&hold=1");
    EXPECT_NE(send(ucai_order(issue, "0||||", 1, "0.2")).find("已截止"), std::string::npos);
    fault("role=ucai&hold=0");
    fault("role=ucai&order_code=-5");
    EXPECT_EQ(send(ucai_order(issue, "0||||", 1, "0.2")), "{\"code\":-5}");

    const QJsonObject s = state();
    EXPECT_NEAR(s[u"balances"_s][u"ann"_s].toDouble(), 100 - 1 - 0.006, 1e-9);
    const QJsonArray orders = s[u"orders"_s].toArray();
    ASSERT_EQ(orders.size(), 10);
    EXPECT_TRUE(orders[0][u"accepted"_s].toBool());
    EXPECT_EQ(orders[0][u"fields"_s][u"lt_issue_start"_s].toString().toStdString(), issue);
    EXPECT_EQ(orders[0][u"platform"_s].toString(), u"ucai"_s);
    EXPECT_FALSE(orders[2][u"accepted"_s].toBool());
    EXPECT_TRUE(orders[3][u"accepted"_s].toBool());
}

TEST_F(Platforms, HeleOrdersNeedTheDrawOnSaleASessionAndMoney)
{
    const std::string cookie = login("hele", "bob", "x");
    const auto site = QJsonDocument::fromJson(QByteArray::fromStdString(
                                                  post("hele", "/cp/loadSiteInfo.do?siteCode=HELSSC1",
                                                       {{"siteCode", "HELSSC1"}}, cookie)
                                                      ->body))
                          .object();
    EXPECT_EQ(site[u"extra"_s][u"b"_s].toDouble(), 0.5);
    const QJsonObject message = QJsonDocument::fromJson(site[u"message"_s].toString().toUtf8()).object();
    const QString id = QString::number(message[u"cdId"_s].toDouble(), 'f', 0);
    EXPECT_TRUE(message[u"cd"_s].toString().contains(u'-'));
    const auto order = [&](const QString& orders, const QString& draw_id, int unit = 2,
                           const QString& prize = u"1920"_s) {
        const QString text = u"{\"orders\":\""_s + orders +
                             u"\",\"flag\":[\"N\"],\"isCno\":false,\"rebate\":0,\"cnoSetting\":\"N\","
                             u"\"prize\":"_s + prize + u",\"unit\":"_s + QString::number(unit) +
                             u",\"draws\":[{\"draw\":{\"id\":"_s + draw_id + u"},\"multiply\":\"1\"}]}"_s;
        const auto res = post("hele", "/cp/confirmOrder.do", {{"order", text.toStdString()}}, cookie);
        return QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).object();
    };
    EXPECT_EQ(order(u"CS1_2_3."_s, id)[u"code"_s].toInt(), 1);         // 0.2 of 0.5
    EXPECT_EQ(order(u"CS12_2_3."_s, id)[u"code"_s].toInt(), -40);      // 0.4 of 0.3 left
    EXPECT_EQ(order(u"CS12_3."_s, id)[u"code"_s].toInt(), -1);
    EXPECT_EQ(order(u"XX1."_s, id)[u"code"_s].toInt(), -10);
    EXPECT_EQ(order(u"CS1_2_3."_s, u"1"_s)[u"code"_s].toInt(), -10);
    EXPECT_EQ(order(u"CS1_2_3."_s, id, 4)[u"code"_s].toInt(), -10);    // no 厘 here
    EXPECT_EQ(order(u"CS1_2_3."_s, id, 2, u"1950"_s)[u"code"_s].toInt(), -10); // not its prize level
    EXPECT_EQ(order(u"CS1_2_3."_s, id, 2, u"1919"_s)[u"code"_s].toInt(), -10);
    fault("role=hele&order_code=-5");
    EXPECT_EQ(order(u"CS1_2_3."_s, id)[u"code"_s].toInt(), -5);
    fault("role=hele&expire=1");
    EXPECT_EQ(order(u"CS1_2_3."_s, id)[u"code"_s].toInt(), -5);
    const QJsonObject accepted = QJsonDocument::fromJson(
                                     state()[u"orders"_s].toArray()[0][u"reply"_s].toString().toUtf8())
                                     .object();
    EXPECT_EQ(accepted[u"message"_s][u"buyAmt"_s].toString(), u"0.2"_s);
    EXPECT_TRUE(accepted[u"message"_s][u"orderNo"_s].toString().startsWith(u"HEL"_s));
    EXPECT_NEAR(state()[u"balances"_s][u"bob"_s].toDouble(), 0.3, 1e-9);
}

TEST_F(Platforms, TheNextPageRaisesTheDialogAskedForOnceBeforeAndAfterLoading)
{
    fault("role=hele&dialog=confirm");
    const std::string page = get("hele", "/")->body;
    EXPECT_NE(page.find("window.dialog_answer = confirm('模拟平台弹窗（confirm）')"), std::string::npos);
    EXPECT_NE(page.find("addEventListener('load'"), std::string::npos);
    EXPECT_LT(page.find("confirm("), page.find("<body>")); // from the page's first script
    EXPECT_EQ(get("hele", "/")->body.find("模拟平台弹窗"), std::string::npos);
    fault("role=ucai&dialog=beforeunload");
    EXPECT_EQ(get("hele", "/")->body.find("模拟平台弹窗"), std::string::npos); // the other platform's
    EXPECT_NE(get("ucai", "/bet/ffc")->body.find("onbeforeunload"), std::string::npos);
    fault("role=ucai&dialog=alert");
    EXPECT_NE(get("ucai", "/?login")->body.find("alert('模拟平台弹窗（alert）')"), std::string::npos);
    EXPECT_EQ(get("service", "/sim/fault?role=ucai&dialog=print")->status, 400);
}

TEST_F(Platforms, AnOrderAnsweredLateIsTakenAndDebitedFirst)
{
    const std::string cookie = login("ucai", "ann", "p'w\\1");
    fault("role=ucai&order_delay=1500");
    std::string reply;
    std::thread sender([&] {
        reply = post("ucai", "/?controller=game&action=play", ucai_order(ucai_issue(), "0||||", 1, "0.2"), cookie)
                    ->body;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    // Debited and recorded while its answer still waits.
    EXPECT_NEAR(state()[u"balances"_s][u"ann"_s].toDouble(), 99.8, 1e-9);
    EXPECT_TRUE(reply.empty());
    sender.join();
    EXPECT_EQ(reply, "success");
    // Only the next order waits.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(post("ucai", "/?controller=game&action=play", ucai_order(ucai_issue(), "1||||", 1, "0.2"), cookie)->body,
              "success");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1000));
}

TEST_F(Platforms, OrdersUnderWayAtOnceOnOnePlatformAreCounted)
{
    const std::string cookie = login("ucai", "ann", "p'w\\1");
    const auto place = [&](const char* codes) {
        return post("ucai", "/?controller=game&action=play", ucai_order(ucai_issue(), codes, 1, "0.2"), cookie)->body;
    };
    // One after another: never two at once.
    EXPECT_EQ(place("0||||"), "success");
    EXPECT_EQ(place("1||||"), "success");
    const auto at_once = [&](const QString& platform) { return state()[u"orders_at_once"_s][platform].toInt(); };
    EXPECT_EQ(at_once(u"ucai"_s), 1);
    // A second order sent while the first one's answer waits.
    fault("role=ucai&order_delay=1500");
    std::string late;
    std::thread sender([&] { late = place("2||||"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(place("3||||"), "success");
    sender.join();
    EXPECT_EQ(late, "success");
    EXPECT_EQ(at_once(u"ucai"_s), 2);
    EXPECT_EQ(at_once(u"hele"_s), 0); // no order there
}

} // namespace
