#pragma once
// The monitor editor as a record the window maps its boxes to, and the two conversions between
// that record and a Monitor.

#include "monitor/monitor.h"

#include <QString>
#include <array>
#include <variant>

namespace zorvik::monitor {

// The editor's initial plan and odds, and its save button's captions.
inline constexpr char16_t kDefaultPlan[] = u"1,2,4,8,16,32,64,128";
inline constexpr char16_t kDefaultOdds[] = u"1920";
inline constexpr char16_t kAddCaption[] = u"确定添加";
inline constexpr char16_t kModifyCaption[] = u"确定修改";

struct EditorRecord {
    int id = 0;                  // list position being modified; 0 while adding
    QString original;            // text of the record being modified, as it was loaded
    std::array<bool, 5> ticked{}; // position boxes 万 千 百 十 个
    QString play;
    QString numbers;
    QString category = QStringLiteral("遗漏");
    QString comparison = QStringLiteral("≥");
    QString threshold;
    QString initial_status;
    bool auto_bet = false;
    QString plan = QString::fromUtf16(kDefaultPlan);
    int unit_index = 2;
    QString odds = QString::fromUtf16(kDefaultOdds);
};

// Why a record could not be built: a message box, or the validation text of the error box.
struct MessageBox {
    QString text;
};
struct ErrorBox {
    QString text;
};
using BuildResult = std::variant<Monitor, MessageBox, ErrorBox>;

// The record the editor describes, with statistics and betting fields at their starting values.
// `numbers` of the editor is not changed; the record holds them normalised.
BuildResult build_monitor(const EditorRecord& editor, bool monitoring);

// The editor filled from a stored record for modifying it at `position`; boxes the record does
// not describe keep their content from `base`.
EditorRecord editor_from_monitor(int position, const Monitor& record, const EditorRecord& base);

} // namespace zorvik::monitor
