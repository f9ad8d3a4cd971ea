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

TEST(ObjectLiteral, WhatAScriptReaderAccepts)
{
    EXPECT_EQ(json_value(u"{'ret':0}"_s, u"ret"_s), u"0"_s);
    EXPECT_EQ(json_value(u"{ret:0}"_s, u"ret"_s), u"0"_s);
    EXPECT_EQ(json_value(u"{ret:0,}"_s, u"ret"_s), u"0"_s);
    EXPECT_EQ(json_value(u"{information:[{peroid:'20151112-0123',},],}"_s, u"information[0].peroid"_s),
              u"20151112-0123"_s);
    EXPECT_EQ(json_value(u"  {$a_1 : \"x\"} ;"_s, u"$a_1"_s), u"x"_s);
    EXPECT_EQ(json_value(u"({ret:1})"_s, u"ret"_s), u"1"_s);
    EXPECT_EQ(json_value(u"{/* c */ a: 1 // d\n}"_s, u"a"_s), u"1"_s);
    EXPECT_EQ(json_value(u"{'a':'it\\'s \\x41\\u4e2d\\n'}"_s, u"a"_s), u"it's A中\n"_s);
    EXPECT_EQ(json_value(u"{\"a\":\"say \\\"hi\\\"\"}"_s, u"a"_s), u"say \"hi\""_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"a"_s), u"-5"_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"b"_s), u"0.5"_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"c"_s), u"31"_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"d"_s), u"1000"_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"e"_s), u"8"_s); // octal
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"f"_s), u"9"_s);
    EXPECT_EQ(json_value(u"{a:-5,b:+.5,c:0x1F,d:1e3,e:010,f:09,g:5.}"_s, u"g"_s), u"5"_s);
    EXPECT_EQ(json_value(u"{a:NaN,b:-Infinity,c:undefined,d:true}"_s, u"a"_s), u"NaN"_s);
    EXPECT_EQ(json_value(u"{a:NaN,b:-Infinity,c:undefined,d:true}"_s, u"b"_s), u"-Infinity"_s);
    EXPECT_FALSE(JsonReader(u"{a:NaN,b:-Infinity,c:undefined,d:true}"_s).has(u"c"_s));
    EXPECT_EQ(json_value(u"{1:'one',2.50:'two'}"_s, u"1"_s), u"one"_s);
    EXPECT_EQ(json_value(u"{a:1,a:2}"_s, u"a"_s), u"2"_s); // the last one wins
    EXPECT_EQ(json_value(u"[1,,3]"_s, u"[2]"_s), u"3"_s);
    EXPECT_EQ(json_value(u"{\"中文\":\"值\"}"_s, u"中文"_s), u"值"_s);
    EXPECT_EQ(json_value(u"\uFEFF{ret:0}"_s, u"ret"_s), u"0"_s); // a byte-order mark first
}

TEST(ObjectLiteral, AnythingButDataIsUnreadable)
{
    for (const QString& text :
         {u"{ret:0} alert(1)"_s, u"{ret:f()}"_s, u"{ret:0+1}"_s, u"{ret:window}"_s,
          u"{ret:'open}"_s, u"{ret:'line\nbreak'}"_s, u"{ret 0}"_s, u"{ret:0,,}"_s, u"{,}"_s,
          u"{ret:0x}"_s, u"{ret:1e}"_s, u"{ret:0} /* open"_s, u"{ret:-'1'}"_s, u"{a:[1,2}"_s,
          u"{a:(1}"_s, u"{'a' 1}"_s, u"{a:1}}"_s, u"new Object()"_s, u"{a:\\u0041}"_s})
        EXPECT_FALSE(JsonReader(text).valid()) << text.toStdString();
}

TEST(ObjectLiteral, NestingIsBounded)
{
    // Deep enough for any reply, but a crafted one cannot exhaust the stack.
    const QString fine = QString(150, u'[') + u'1' + QString(150, u']');
    EXPECT_TRUE(JsonReader(fine).valid());
    const QString deep = QString(200000, u'[') + u'1' + QString(200000, u']');
    EXPECT_FALSE(JsonReader(deep).valid());
    const QString deep_objects = QString(50000, u'{').replace(u"{"_s, u"{a:"_s) + u'1' + QString(50000, u'}');
    EXPECT_FALSE(JsonReader(deep_objects).valid());
}
