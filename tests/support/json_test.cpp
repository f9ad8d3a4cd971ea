#include "qt_printers.h"
#include "support/json.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using zorvik::support::JsonReader;
using zorvik::support::json_value;

TEST(JsonValue, MemberPaths)
{
    const QString reply = u"{\"ret\":0,\"information\":[{\"peroid\":\"20151112-0123\",\"nextsec\":45}],"
                          u"\"reg\":{\"hele\":\"http://h/\"},\"ok\":true,\"none\":null,\"half\":2.5}"_s;
    const JsonReader json(reply);
    EXPECT_EQ(json.value(u"information[0].peroid"_s), u"20151112-0123"_s);
    EXPECT_EQ(json.value(u"information[0].nextsec"_s), u"45"_s);
    EXPECT_EQ(json.value(u"ret"_s), u"0"_s);
    EXPECT_EQ(json.value(u"reg.hele"_s), u"http://h/"_s);
    EXPECT_EQ(json.value(u"ok"_s), u"True"_s);
    EXPECT_EQ(json.value(u"half"_s), u"2.5"_s);
    EXPECT_EQ(json.value(u"none"_s), QString());
    EXPECT_TRUE(json.has(u"none"_s));
    EXPECT_EQ(json.value(u"reg"_s), QString()); // an object has no text
    EXPECT_EQ(json.value(u"information[1].peroid"_s), QString());
    EXPECT_EQ(json.value(u"missing.deeper"_s), QString());
    EXPECT_EQ(json.value(u"information[x]"_s), QString());
}

TEST(JsonValue, RepliesThatAreNoJsonReadEmpty)
{
    EXPECT_EQ(json_value(u"{\"information\":[]}"_s, u"information[0].peroid"_s), QString());
    EXPECT_EQ(json_value(QString(), u"ret"_s), QString());
    EXPECT_EQ(json_value(u"<html>502</html>"_s, u"ret"_s), QString());
    EXPECT_EQ(json_value(u"{\"ret\":0"_s, u"ret"_s), QString());
    // A reply is data: script in it is not run, and reads as no member.
    EXPECT_EQ(json_value(u"(function(){return {ret:1}})()"_s, u"ret"_s), QString());
    EXPECT_FALSE(JsonReader(u"alert(1)"_s).valid());
}

TEST(JsonValue, TextInsideAMemberIsReadAgain)
{
    const QString reply = u"{\"code\":1,\"message\":\"{\\\"ld\\\":\\\"201511121234\\\",\\\"cdTs\\\":0}\"}"_s;
    const QString message = json_value(reply, u"message"_s);
    EXPECT_EQ(json_value(message, u"ld"_s), u"201511121234"_s);
    EXPECT_EQ(json_value(message, u"cdTs"_s), u"0"_s);
}
