#pragma once
// The eight lotteries the program follows, with their platform, draw source and codes.

#include <QString>
#include <QVector>

namespace zorvik::feed {

enum class SourceKind { Public, Hele, Datacenter };

struct Lottery {
    QString name;
    QString plt; // "hele", "ucai" or "jw"
    SourceKind source_kind;
    QString cz_code;
    QString site_code; // Hele games only
    QString plt_page;  // empty when the platform offers no betting page
    int ucai_game = 0; // UCai games only
};

inline constexpr char16_t kNoLottery[] = u"--选择彩种--";

const QVector<Lottery>& catalogue();
// The entry of that exact name, or nothing.
const Lottery* find_lottery(const QString& name);
// The lottery box's list: "--选择彩种--" and the eight names, "|" between them.
QString lottery_list();

} // namespace zorvik::feed
