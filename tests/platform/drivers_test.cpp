// The drivers' pure parts: what they send to each platform, byte for byte, and how they read
// its pages and replies.

#include "platform/hele.h"
#include "platform/script.h"
#include "platform/session.h"
#include "platform/ucai.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace zorvik::platform;

namespace {

std::string s(const QString& text)
{
    return text.toStdString();
}

TEST(Script, ValuesBecomeLiteralsThatCannotRunCode)
{
    EXPECT_EQ(s(js_string(u"ann"_s)), "'ann'");
    EXPECT_EQ(s(js_string(u"p'w\\1"_s)), "'p\\'w\\\\1'");
    EXPECT_EQ(s(js_string(u"a\"b'"_s, u'"')), "\"a\\\"b'\"");
    EXPECT_EQ(s(js_string(u"1\r\n2\t"_s)), "'1\\r\\n2\\t'");
    EXPECT_EQ(s(js_string(QString(QChar(0x2028)) + QChar(0x01))), "'\\u2028\\u0001'");
    EXPECT_EQ(s(js_string(u"');alert(1);('"_s)), "'\\');alert(1);(\\''");
    EXPECT_EQ(s(js_string(u"前三"_s)), "'前三'");
    // Numbers stay numbers; anything else is a text the page cannot run.
    EXPECT_EQ(s(js_number(u"1920"_s)), "1920");
    EXPECT_EQ(s(js_number(u"1.95"_s)), "1.95");
    EXPECT_EQ(s(js_number(u"-3"_s)), "-3");
    EXPECT_EQ(s(js_number(u"1e5"_s)), "'1e5'");
    EXPECT_EQ(s(js_number(u"1;alert(1)"_s)), "'1;alert(1)'");
    EXPECT_EQ(s(js_number(QString())), "''");
}

TEST(AccountName, KeepsLettersDigitsUnderscoreAndHyphen)
{
    EXPECT_EQ(s(account_name(u" ann_1-2 "_s)), "ann_1-2");
    EXPECT_EQ(s(account_name(u"张三abc!"_s)), "abc");
    EXPECT_EQ(s(account_name(u"''"_s)), "");
}

TEST(UcaiMethods, ColumnsByLotteryAndFamilies)
{
    const auto m = ucai_method(u"前三(直选复式)"_s, u"U彩平台-欢乐五分彩"_s);
    ASSERT_TRUE(m);
    EXPECT_EQ(s(m->id), "2377");
    EXPECT_EQ(s(m->type), "digital");
    EXPECT_EQ(s(m->menu), "2329");
    const struct {
        const char16_t* play;
        const char16_t* lottery;
        const char* id; // "" for none
        const char* type;
        const char* menu;
    } rows[] = {
        {u"后三(定位胆)", u"U彩平台-重庆时时彩", "30", "digital", "302"},
        {u"万位(定位胆)", u"U彩平台-欢乐分分彩", "2599", "digital", "2505"},
        {u"前三(不定位:二码)", u"U彩平台-欢乐分分彩", "2587", "digital", "2505"},
        {u"后三(不定位:一码)", u"U彩平台-重庆时时彩", "18", "digital", "302"},
        {u"前二(直选单式)", u"U彩平台-欢乐五分彩", "2399", "input", "2329"},
        {u"后二(组选单式)", u"U彩平台-重庆时时彩", "28", "input", "302"},
        {u"中三(组六复式)", u"U彩平台-欢乐分分彩", "2637", "digital", "2505"},
        {u"后四(直选复式)", u"U彩平台-重庆时时彩", "2265", "digital", "302"},
        {u"五星(直选复式)", u"U彩平台-欢乐五分彩", "2427", "digital", "2329"},
        {u"五星组选60", u"U彩平台-欢乐分分彩", "2622", "digital", "2505"},
        {u"前三(组三单式)", u"U彩平台-欢乐分分彩", "", "", ""},
        {u"前二(不定位:一码)", u"U彩平台-欢乐分分彩", "", "", ""},
        {u"中三(不定位:一码)", u"U彩平台-重庆时时彩", "", "", ""},
        {u"五星(直选单式)", u"U彩平台-重庆时时彩", "", "", ""},
        {u"前四(直选复式)", u"U彩平台-重庆时时彩", "", "", ""},
    };
    for (const auto& r : rows) {
        const auto got = ucai_method(QString::fromUtf16(r.play), QString::fromUtf16(r.lottery));
        const std::string play = QString::fromUtf16(r.play).toStdString();
        if (!*r.id) {
            EXPECT_FALSE(got) << play;
            continue;
        }
        ASSERT_TRUE(got) << play;
        EXPECT_EQ(s(got->id), r.id) << play;
        EXPECT_EQ(s(got->type), r.type) << play;
        EXPECT_EQ(s(got->menu), r.menu) << play;
    }
}

TEST(UcaiCodes, LayoutsByPlay)
{
    const struct {
        const char16_t* play;
        const char16_t* numbers;
        const char* codes; // "!" when the bet is abandoned
    } rows[] = {
        {u"后三(定位胆)", u"12", "||1&2|1&2|1&2"},
        {u"后三(定位胆)", u"1*23*4", "||1|2&3|4"},
        {u"千位(定位胆)", u"0 9", "|0&9|||"},
        {u"后一(定位胆)", u"5", "||||5"},
        {u"前一(定位胆)", u"5", "5||||"},
        {u"万位(定位胆)", u"5", ""},
        {u"个位(定位胆)", u"5", ""},
        {u"五星(直选单式)", u"12345  67890", "12345&67890"},
        {u"前二(直选单式)", u"12\r\n34", "12&34"},
        {u"前三(组三单式)", u"112 334", "112&334"},
        {u"后二(定位胆)", u"12", "|||1&2|1&2"},
        {u"后二(定位胆)", u"1*2", "|||1|2"},
        {u"五星(定位胆)", u"7", "7|7|7|7|7"},
        {u"五星(定位胆)", u"1*2*3*4*5", "1|2|3|4|5"},
        {u"五星(定位胆)", u"1*2*3*4", "!"},
        {u"后四(直选复式)", u"1*2*3*4", "1|2|3|4"},
        {u"后四(直选复式)", u"1*2*3", "!"},
        {u"后四(直选复式)", u"12", "1&2|1&2|1&2|1&2"},
        {u"五星(直选复式)", u"12*3*4*5*6", "1&2|3|4|5|6"},
        {u"中三(组六复式)", u"1234", "1&2&3&4"},
        {u"前三(不定位:一码)", u"3 4", "3&4"},
        {u"五星组选60", u"1 2*345", "1&2|3&4&5"},
        {u"五星组选60", u"12", "!"},
        // The direct plays of two and three positions: one slot per position, "|" between.
        {u"前三(直选复式)", u"123", "1&2&3|1&2&3|1&2&3"},
        {u"前三(直选复式)", u"1*23*4", "1|2&3|4"},
        {u"中三(直选复式)", u"1*2*3", "1|2|3"},
        {u"后三(直选复式)", u"09", "0&9|0&9|0&9"},
        {u"后三(直选复式)", u"1*2", "!"},
        {u"前二(直选复式)", u"12", "1&2|1&2"},
        {u"前二(直选复式)", u"1*23", "1|2&3"},
        {u"后二(直选复式)", u"5*6", "5|6"},
        {u"后二(直选复式)", u"5", "5|5"},
        {u"前四(直选复式)", u"1*2*3*4", ""},
        // Every other play of the method table, once.
        {u"百位(定位胆)", u"3 4", "||3&4||"},
        {u"十位(定位胆)", u"7", "|||7|"},
        {u"后三(不定位:一码)", u"3 4", "3&4"},
        {u"前三(不定位:二码)", u"1 2 3", "1&2&3"},
        {u"后三(不定位:二码)", u"1 2", "1&2"},
        {u"前二(组选单式)", u"12 34", "12&34"},
        {u"后二(直选单式)", u"12 34", "12&34"},
        {u"后二(组选单式)", u"12", "12"},
        {u"前三(直选单式)", u"123 456", "123&456"},
        {u"中三(直选单式)", u"123", "123"},
        {u"后三(直选单式)", u"123  456", "123&456"},
        {u"后四(直选单式)", u"1234", "1234"},
        {u"前三(组三复式)", u"12", "1&2"},
        {u"前三(组六复式)", u"1234", "1&2&3&4"},
        {u"中三(组三复式)", u"12", "1&2"},
        {u"后三(组三复式)", u"12", "1&2"},
        {u"后三(组六复式)", u"123", "1&2&3"},
    };
    for (const auto& r : rows) {
        const auto got = ucai_codes(QString::fromUtf16(r.play), QString::fromUtf16(r.numbers));
        EXPECT_EQ(got ? s(*got) : std::string("!"), r.codes) << QString::fromUtf16(r.play).toStdString();
    }
}

TEST(UcaiIssue, HappyMinuteDrawsBelowAThousandLoseALeadingZero)
{
    const QString ffc = u"U彩平台-欢乐分分彩"_s;
    EXPECT_EQ(s(ucai_issue_text(ffc, u"20151112"_s, u"0999"_s)), "20151112-999");
    EXPECT_EQ(s(ucai_issue_text(ffc, u"20151112"_s, u"1000"_s)), "20151112-1000");
    EXPECT_EQ(s(ucai_issue_text(ffc, u"20151112"_s, u"0056"_s)), "20151112-056");
    EXPECT_EQ(s(ucai_issue_text(u"U彩平台-欢乐五分彩"_s, u"20151112"_s, u"0056"_s)), "20151112-0056");
    EXPECT_EQ(s(ucai_issue_text(u"U彩平台-重庆时时彩"_s, u"20151112"_s, u"056"_s)), "20151112-056");
}

TEST(UcaiOrder, ScriptAsThePlatformReadsIt)
{
    UcaiOrder o;
    o.method = {u"2599"_s, u"digital"_s, u"2505"_s};
    o.lottery_id = 16;
    o.unit_index = 2;
    o.issue_text = u"20151112-056"_s;
    o.count = 6;
    o.cost = u"1.2"_s;
    o.codes = u"||1&2|1&2|1&2"_s;
    o.multiplier = 1;
    o.play = u"后三(定位胆)"_s;
    EXPECT_EQ(s(ucai_order_script(o)),
              "(function(){var data = {'flag':'save',  'pmodelradio': 0,'pmodel': 0,  "
              "'lt_trace_times_margin': 1, 'lt_trace_margin': 50, 'lt_trace_times_same': 1, "
              "'lt_trace_diff': 1, 'lt_trace_times_diff':2, 'lt_trace_count_input':10, "
              "'lt_trace_money': 0};data.curmid=2505;data.lotteryid=16;data.lt_project_modes=2;"
              "data.lt_issue_start='20151112-056';data.lt_total_nums='6';data.lt_total_money='1.2';"
              "data['lt_project[]'] = \"{ 'type':'digital','methodid':2599,'codes':'||1&2|1&2|1&2', "
              "'nums':6,'omodel':0, 'times':1,'money':'1.2','mode':2,'desc':'后三(定位胆)'}\";"
              "jQuery.ajax({'type':'POST','async':false,'url':'/?controller=game&action=play', "
              "'data': data, 'dataType': 'text', 'success': function(res){window.vemto_val=res;}});"
              "return window.vemto_val; })()");
    // A quote in the numbers stays inside both literals.
    o.codes = u"1'2\"3"_s;
    EXPECT_NE(ucai_order_script(o).indexOf(u"'codes':'1\\\\'2\\\"3'"_s), -1);
}

TEST(UcaiPages, UserAndBalance)
{
    EXPECT_EQ(s(ucai_user_from_hall(u"<div class=\"moneyContent\"><p>ann</p><p>余额</p></div>"_s)), "ann");
    EXPECT_EQ(s(ucai_user_from_hall(u"<p class=\"login-tip\">请先登录</p>"_s)), "");
    EXPECT_EQ(s(ucai_user_from_hall(u"moneyContent ann</p>"_s)), "moneyContent ann");
    EXPECT_EQ(s(ucai_user_from_hall(u"x moneyContent\"><p>bob<p>more</p>"_s)), "bob");
    EXPECT_EQ(s(ucai_balance_text(u"12.5"_s)), "彩票账户:12.5");
    EXPECT_EQ(s(ucai_balance_text(u"<html>login</html>"_s)), "");
    EXPECT_EQ(s(ucai_balance_text(QString())), "");
    EXPECT_EQ(s(ucai_login_script(u"ann"_s, u"p'w\\1"_s)),
              "(function(){jQuery('#userName').val('ann');jQuery('#password').val('p\\'w\\\\1');"
              "jQuery('#submit').trigger('click');window.vemto_val = 1;return 1;})()");
}

TEST(HelePlays, CodesAndNumberTexts)
{
    const struct {
        const char16_t* play;
        const char16_t* numbers;
        const char* orders;
    } rows[] = {
        {u"前三(直选复式)", u"123", "CS123_123_123."},
        {u"前三(直选复式)", u"1*2*3", "CS1_2_3."},
        {u"后二(直选单式)", u"12 34", "2S1_2,3_4."},
        {u"后二(直选单式)", u"12  34", "2S1_2,3_4."},
        {u"百位(定位胆)", u"5 6", "5F__56__."},
        {u"前一(定位胆)", u"5", "5F5____."},
        {u"千位(定位胆)", u"5", "5F_5___."},
        {u"十位(定位胆)", u"5", "5F___5_."},
        {u"后一(定位胆)", u"5 6", "1S56."},
        {u"万位(定位胆)", u"5", "5F."},
        {u"后三(不定位:一码)", u"3 4", "3J34."},
        {u"前三(不定位:二码)", u"3 4", "34."},
        {u"前二(组选单式)", u"12 34", "BC12,34."},
        {u"中三(组六复式)", u"1234", "M61234."},
        {u"后三(组三单式)", u"112 334", "33112,334."},
        {u"后三(定位胆)", u"12", "5F__12_12_12."},
        {u"后三(定位胆)", u"1*2*3", "5F__1_2_3."},
        {u"后二(定位胆)", u"1*2", "5F___1_2."},
        {u"五星(定位胆)", u"7", "5F7_7_7_7_7."},
        {u"前四(直选复式)", u"12", "DS12_12_12_12."},
        {u"五星(直选复式)", u"1*2*3*4*5", "5S1_2_3_4_5."},
        {u"五星(直选单式)", u"12345 67890", "5S1_2_3_4_5,6_7_8_9_0."},
        {u"五星组选60", u"12", "."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(s(hele_orders(QString::fromUtf16(r.play), QString::fromUtf16(r.numbers))), r.orders)
            << QString::fromUtf16(r.play).toStdString();
    EXPECT_EQ(s(hele_play_code(u"|后四(直选单式)|"_s)), "4S");
    EXPECT_EQ(s(hele_play_code(u"||"_s)), "");
    EXPECT_EQ(s(hele_play_code(u"|直选单式)|前二(|"_s)), "");
}

// Every play of both platforms' tables with its code: a code swapped for another play's fails.
TEST(HelePlays, EveryPlayHasItsOwnCode)
{
    const struct {
        const char16_t* play;
        const char* code;
    } rows[] = {
        {u"前一(定位胆)", "5F"},      {u"万位(定位胆)", "5F"},      {u"千位(定位胆)", "5F"},
        {u"百位(定位胆)", "5F"},      {u"十位(定位胆)", "5F"},      {u"个位(定位胆)", "5F"},
        {u"五星(定位胆)", "5F"},      {u"后三(定位胆)", "5F"},      {u"后二(定位胆)", "5F"},
        {u"后一(定位胆)", "1S"},      {u"前三(不定位:一码)", "CJ"}, {u"后三(不定位:一码)", "3J"},
        {u"前二(直选单式)", "BS"},    {u"前二(直选复式)", "BS"},    {u"前二(组选单式)", "BC"},
        {u"后二(直选单式)", "2S"},    {u"后二(直选复式)", "2S"},    {u"后二(组选单式)", "2C"},
        {u"前二(不定位:一码)", "BG"}, {u"后二(不定位:一码)", "2G"}, {u"前三(直选单式)", "CS"},
        {u"前三(直选复式)", "CS"},    {u"前三(组三复式)", "C3"},    {u"前三(组三单式)", "C3"},
        {u"前三(组六单式)", "C6"},    {u"前三(组六复式)", "C6"},    {u"中三(直选单式)", "MS"},
        {u"中三(直选复式)", "MS"},    {u"中三(组三复式)", "M3"},    {u"中三(组三单式)", "M3"},
        {u"中三(组六单式)", "M6"},    {u"中三(组六复式)", "M6"},    {u"后三(直选单式)", "3S"},
        {u"后三(直选复式)", "3S"},    {u"后三(组三复式)", "33"},    {u"后三(组三单式)", "33"},
        {u"后三(组六单式)", "36"},    {u"后三(组六复式)", "36"},    {u"前四(直选复式)", "DS"},
        {u"前四(直选单式)", "DS"},    {u"后四(直选复式)", "4S"},    {u"后四(直选单式)", "4S"},
        {u"五星(直选复式)", "5S"},    {u"五星(直选单式)", "5S"},    {u"前三(不定位:二码)", ""},
        {u"后三(不定位:二码)", ""},   {u"中三(不定位:一码)", ""},   {u"五星组选60", ""},
    };
    for (const auto& r : rows) {
        const QString play = QString::fromUtf16(r.play);
        EXPECT_EQ(s(hele_play_code(u'|' + play + u'|')), r.code) << s(play);
    }
    // The number text of every play, and whether the platform can take it at all.
    const struct {
        const char16_t* play;
        const char16_t* numbers;
        const char* orders;
        bool supported;
    } texts[] = {
        {u"前二(直选复式)", u"12", "BS12_12.", true},
        {u"前二(直选复式)", u"1*2", "BS1_2.", true},
        {u"前二(直选单式)", u"12 34", "BS1_2,3_4.", true},
        {u"后二(直选复式)", u"1*2", "2S1_2.", true},
        {u"后二(组选单式)", u"12", "2C12.", true},
        {u"前二(不定位:一码)", u"3", "BG3.", true},
        {u"后二(不定位:一码)", u"3 5", "2G35.", true},
        {u"前三(不定位:一码)", u"3 4", "CJ34.", true},
        {u"前三(直选单式)", u"123 456", "CS1_2_3,4_5_6.", true},
        {u"前三(组三复式)", u"12", "C312.", true},
        {u"前三(组三单式)", u"112 334", "C3112,334.", true},
        {u"前三(组六单式)", u"123", "C6123.", true},
        {u"前三(组六复式)", u"1234", "C61234.", true},
        {u"中三(直选复式)", u"1*2*3", "MS1_2_3.", true},
        {u"中三(直选单式)", u"123", "MS1_2_3.", true},
        {u"中三(组三复式)", u"12", "M312.", true},
        {u"中三(组三单式)", u"112", "M3112.", true},
        {u"中三(组六单式)", u"123", "M6123.", true},
        {u"后三(直选复式)", u"12", "3S12_12_12.", true},
        {u"后三(组三复式)", u"12", "3312.", true},
        {u"后三(组六复式)", u"1234", "361234.", true},
        {u"后三(组六单式)", u"123 456", "36123,456.", true},
        {u"前四(直选复式)", u"1*2*3*4", "DS1_2_3_4.", true},
        {u"前四(直选单式)", u"1234", "DS1_2_3_4.", true},
        {u"后四(直选复式)", u"12", "4S12_12_12_12.", true},
        {u"后四(直选单式)", u"1234 5678", "4S1_2_3_4,5_6_7_8.", true},
        {u"五星(直选单式)", u"12345", "5S1_2_3_4_5.", true},
        {u"后三(不定位:二码)", u"1 2 4", "124.", false},
        {u"前三(不定位:二码)", u"3 4", "34.", false},
        {u"万位(定位胆)", u"5", "5F.", false},
        {u"个位(定位胆)", u"5", "5F.", false},
        {u"五星组选60", u"12", ".", false},
    };
    for (const auto& t : texts) {
        const QString play = QString::fromUtf16(t.play);
        const QString numbers = QString::fromUtf16(t.numbers);
        EXPECT_EQ(s(hele_orders(play, numbers)), t.orders) << s(play);
        EXPECT_EQ(hele_supports(play, numbers), t.supported) << s(play);
    }
}

TEST(UcaiMethods, EveryRowOfTheTableInEveryLottery)
{
    const struct {
        const char16_t* play;
        int ids[3]; // 重庆时时彩, 欢乐分分彩, 欢乐五分彩
        const char* type;
    } rows[] = {
        {u"后一(定位胆)", {30, 2599, 2409}, "digital"},       {u"五星(定位胆)", {30, 2599, 2409}, "digital"},
        {u"后二(定位胆)", {30, 2599, 2409}, "digital"},       {u"前三(不定位:一码)", {512, 2584, 2394}, "digital"},
        {u"前三(不定位:二码)", {513, 2587, 2397}, "digital"}, {u"后三(不定位:一码)", {18, 2583, 2393}, "digital"},
        {u"后三(不定位:二码)", {20, 2586, 2396}, "digital"},  {u"前二(直选单式)", {22, 2589, 2399}, "input"},
        {u"前二(直选复式)", {22, 2589, 2399}, "digital"},     {u"前二(组选单式)", {26, 2594, 2404}, "input"},
        {u"后二(直选单式)", {24, 2590, 2400}, "input"},       {u"后二(直选复式)", {24, 2590, 2400}, "digital"},
        {u"后二(组选单式)", {28, 2595, 2405}, "input"},       {u"前三(直选单式)", {2, 2565, 2377}, "input"},
        {u"前三(直选复式)", {2, 2565, 2377}, "digital"},      {u"前三(组三复式)", {8, 2571, 2383}, "digital"},
        {u"前三(组六复式)", {9, 2572, 2384}, "digital"},      {u"中三(直选单式)", {2291, 2633, 2443}, "input"},
        {u"中三(直选复式)", {2291, 2633, 2443}, "digital"},   {u"中三(组三复式)", {2293, 2636, 2446}, "digital"},
        {u"中三(组六复式)", {2294, 2637, 2447}, "digital"},   {u"后三(直选单式)", {5, 2568, 2380}, "input"},
        {u"后三(直选复式)", {5, 2568, 2380}, "digital"},      {u"后三(组三复式)", {13, 2577, 2388}, "digital"},
        {u"后三(组六复式)", {14, 2578, 2389}, "digital"},     {u"后四(直选复式)", {2265, 2608, 2418}, "digital"},
        {u"五星(直选复式)", {2274, 2617, 2427}, "digital"},   {u"五星组选60", {2279, 2622, 2432}, "digital"},
    };
    const char16_t* lotteries[] = {u"U彩平台-重庆时时彩", u"U彩平台-欢乐分分彩", u"U彩平台-欢乐五分彩"};
    const char* menus[] = {"302", "2505", "2329"};
    for (const auto& r : rows) {
        for (int column = 0; column < 3; ++column) {
            const auto got = ucai_method(QString::fromUtf16(r.play), QString::fromUtf16(lotteries[column]));
            const std::string where = QString::fromUtf16(r.play).toStdString() + " " + std::to_string(column);
            ASSERT_TRUE(got) << where;
            EXPECT_EQ(s(got->id), std::to_string(r.ids[column])) << where;
            EXPECT_EQ(s(got->type), r.type) << where;
            EXPECT_EQ(s(got->menu), menus[column]) << where;
        }
    }
}

TEST(HeleIssue, ThePlatformsDrawMustBeTheNextIssue)
{
    EXPECT_TRUE(hele_issue_matches(u"20151112-0567"_s, u"0567"_s));
    EXPECT_TRUE(hele_issue_matches(u"20151112-0567"_s, u"567"_s));
    EXPECT_FALSE(hele_issue_matches(u"20151112-0567"_s, u"0568"_s));
    EXPECT_FALSE(hele_issue_matches(u"20151112-0567"_s, QString()));
    EXPECT_FALSE(hele_issue_matches(QString(), u"0567"_s));
    EXPECT_TRUE(hele_issue_matches(u"201511120567"_s, u"201511120567"_s));
}

TEST(HeleOrder, ScriptAndReplies)
{
    HeleOrder o;
    o.orders = u"CS1_2_3."_s;
    o.odds = u"1920"_s;
    o.unit_index = 2;
    o.draw_id = u"77"_s;
    o.multiplier = 4;
    o.url = u"http://p/cp/confirmOrder.do"_s;
    EXPECT_EQ(s(hele_order_script(o)),
              "(function(){var order = { 'orders': 'CS1_2_3.', 'flag': ['N'], 'isCno': false, "
              "'rebate': 0, 'cnoSetting': 'N'};order.prize = 1920;order.unit = 2;"
              "order.draws = [{'draw': { 'id': 77}, 'multiply': '4'}];jQuery.ajax({'type': "
              "'POST','async': false,'url':'http://p/cp/confirmOrder.do', 'data':{'order': "
              "JSON.stringify(order) }}).done(function(res){window.vemto_val=JSON.stringify(res)});"
              "return window.vemto_val; })()");
    o.odds = u"1920;x()"_s;
    EXPECT_NE(hele_order_script(o).indexOf(u"order.prize = '1920;x()';"_s), -1);

    EXPECT_EQ(s(hele_member(u"{\"code\":1,\"message\":\"{\\\"cdId\\\":77}\"}"_s, u"message"_s, u"cdId"_s)), "77");
    EXPECT_EQ(s(hele_member(u"{\"code\":1,\"message\":{\"orderNo\":\"A1\"}}"_s, u"message"_s, u"orderNo"_s)), "A1");
    EXPECT_EQ(s(hele_member(u"{\"code\":1}"_s, u"message"_s, u"cdId"_s)), "");
    EXPECT_TRUE(hele_extra_given(u"{\"extra\":{\"b\":0}}"_s));
    EXPECT_FALSE(hele_extra_given(u"{\"extra\":null}"_s));
    EXPECT_FALSE(hele_extra_given(u"{\"extra\":\"\"}"_s));
    EXPECT_FALSE(hele_extra_given(QString()));
    EXPECT_EQ(s(hele_credit_text(u"{\"data\":{\"totalCredit\":12.5}}"_s)), "主账户：12.5");
    EXPECT_EQ(s(hele_credit_text(u"{\"data\":{\"totalCredit\":0}}"_s)), "");
    EXPECT_EQ(s(hele_login_script(u"ann"_s, u"p'w"_s)),
              "(function(){$('#userid').val('ann');$('#password').val('p\\'w');$('#login').trigger("
              "'click');setTimeout('window.vemto_rtn = $(\"#nick\").val();', 3000);return "
              "$('#nick').val();})()");
}

} // namespace
