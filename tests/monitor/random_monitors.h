#pragma once
// Random monitors for replays: the plays, categories and plans users set, with odd cases among
// them (a plan entry that is not a number, numbers with blanks around them), and plays whose
// hits win several lines.

#include <QString>
#include <QStringList>
#include <iterator>
#include <random>

namespace zorvik::testing {

using namespace Qt::Literals::StringLiterals;

// A monitor list text of `count` random monitors of many plays, categories, conditions, plans,
// units, counts and odds, about `betting` percent of them betting automatically.
inline QString random_monitors(int count, unsigned seed, int betting)
{
    struct Play {
        const char16_t* positions;
        const char16_t* play;
        const char16_t* title;
        const char16_t* numbers;
    };
    static const Play plays[] = {
        {u"A", u"定位胆", u"前一(定位胆)", u"01234"},
        {u"ABC", u"直选复式", u"前三(直选复式)", u"0123456*0123456*0123456"},
        {u"CDE", u"组六复式", u"后三(组六复式)", u"012345"},
        {u"CDE", u"组三复式", u"后三(组三复式)", u"1234"},
        {u"BCD", u"不定位:二码", u"中三(不定位:二码)", u"12"},
        {u"ABC", u"不定位:一码", u"前三(不定位:一码)", u"7"},
        {u"ABC", u"直选单式", u"前三(直选单式)", u"123 456 789 012"},
        {u"DE", u"直选复式", u"后二(直选复式)", u" 0123*4567 "}, // blanks: the text rule
        {u"ABCDE", u"直选复式", u"五星(直选复式)", u"0123456789*0123456789*01234*0123*9"},
        // Hits that win several lines.
        {u"CDE", u"不定位:一码", u"后三(不定位:一码)", u"02468"},
        {u"ABC", u"不定位:二码", u"前三(不定位:二码)", u"01234"},
        {u"ABCDE", u"定位胆", u"五星(定位胆)", u"13579"},
        {u"CDE", u"定位胆", u"后三(定位胆)", u"01*23*4"},
        {u"DE", u"直选单式", u"后二(直选单式)", u"12 12 34"},
    };
    static const char16_t* plans[] = {u"1,2,4",   u"1,3,9,27", u"1",       u"2,x,8",
                                      u"1,2,4,8,16,32,64,128,256", u"5,10", u"0,1"};
    static const char16_t* infos[] = {u"0:0:0:1920", u"1:0:0:1920", u"3:0:0:1900", u"0:0:0:1800", u"7:0:0:x"};
    std::mt19937 random(seed);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    QString list;
    for (int i = 0; i < count; ++i) {
        const Play& p = plays[pick(int(std::size(plays)))];
        QString category, condition, initial;
        switch (pick(3)) {
        case 0:
            category = u"遗漏"_s;
            condition = QStringList{u"≥"_s, u"≤"_s, u"＝"_s}[pick(3)] + QString::number(pick(12));
            initial = u"0"_s;
            break;
        case 1:
            category = u"连中"_s;
            condition = QStringList{u"≥"_s, u"＝"_s}[pick(2)] + QString::number(1 + pick(3));
            initial = u"0"_s;
            break;
        default:
            category = u"形态"_s;
            condition = u"＝"_s + QStringList{u"挂挂"_s, u"中挂"_s, u"挂挂挂"_s}[pick(3)];
            break;
        }
        const QString numbers = QString::fromUtf16(p.numbers);
        list += u'|' + QStringList{QString::fromUtf16(p.positions), QString::fromUtf16(p.play),
                                   QString::fromUtf16(p.title), numbers, category, condition, QStringLiteral("条件"),
                                   initial, u"待监控"_s, QString(), u"0"_s, initial, u"0:0"_s,
                                   u"0:0:0:0"_s, pick(100) < betting ? u"1"_s : u"0"_s,
                                   QString::fromUtf16(plans[pick(int(std::size(plans)))]),
                                   QString::number(1 + pick(4)), u"false"_s, u"0"_s,
                                   QString::fromUtf16(infos[pick(int(std::size(infos)))]), u"0"_s}
                           .join(u'~');
    }
    return list;
}

} // namespace zorvik::testing
