// What a list may show beyond the class teacher: names masked, ranks left
// out. Applied once to every report a kind makes (MakeReport in the
// catalog), so no report masks or drops ranks on its own.
//
// Masking keeps a name's first and last characters and puts one "*" for
// whatever lies between, so the mask does not tell the name's length:
// 张三 → 张*, 张小三 → 张*三, 张小三丰 → 张*丰. A compound surname (欧阳,
// 司马, 诸葛, …) is kept whole and the given name after it is masked like
// a two-character name's: 欧阳华 → 欧阳*, 欧阳小华 → 欧阳*华. A one-character
// name becomes "*", since keeping it would keep everything. 学号 keeps its
// last four characters, each one before them becoming "*".
#pragma once

#include <string>
#include <string_view>

#include "data/app_state.h"
#include "output/document.h"

namespace reports {

std::string MaskName(std::string_view name);
std::string MaskStudentNumber(std::string_view number);

// True for a column heading that holds ranks: 全科排名, 语文名次, 段名, 班名, 排名.
bool IsRankHeading(std::string_view heading);

// Applies `privacy` to a finished report. Masking touches the cells under
// the headings 姓名 and 学号 (a repeated heading row is left as it is).
// Leaving ranks out deletes every rank column and, when the rows were
// ordered by one, puts them back in the order of 学校, 班级 and 学号. A
// ranking report (`internal_ranking`) keeps its ranks instead and says in
// its title that it is for internal use.
void ApplyPrivacy(output::Document& doc, const data::PrivacySettings& privacy,
                  bool internal_ranking);

// "（仅供内部使用）": the note a ranking report's title carries in no-rank mode.
inline constexpr std::string_view kInternalUseNote = "（仅供内部使用）";

}  // namespace reports
