#include <gtest/gtest.h>

#include <regex>

#include "reports/comprehensive_stats.h"

namespace {

std::vector<std::string> SegmentNames(const std::string& sql) {
  std::vector<std::string> names;
  static const std::regex kName("as (分[0-9]+_[0-9]+段)");
  for (std::sregex_iterator it(sql.begin(), sql.end(), kName), end; it != end; ++it)
    names.push_back((*it)[1]);
  return names;
}

TEST(BuildSegmentColumns, SubjectExample) {
  const std::string sql = reports::BuildSegmentColumns(150, 142, 35, 20, "语文");
  EXPECT_EQ(SegmentNames(sql),
            (std::vector<std::string>{"分0_29段", "分30_49段", "分50_69段", "分70_89段",
                                      "分90_109段", "分110_129段", "分130_150段"}));
}

TEST(BuildSegmentColumns, TotalExample) {
  std::vector<std::string> expected = {"分0_99段"};
  for (int low = 100; low <= 640; low += 20)
    expected.push_back("分" + std::to_string(low) + "_" + std::to_string(low + 19) + "段");
  expected.push_back("分660_750段");
  EXPECT_EQ(SegmentNames(reports::BuildSegmentColumns(750, 650, 120, 20, "全科总分")), expected);
}

TEST(BuildSegmentColumns, BottomOfTheRange) {
  // L = 20 is not above the width: no bottom column, the first starts at L.
  const std::string from_l = reports::BuildSegmentColumns(100, 90, 25, 20, "语文");
  EXPECT_EQ(from_l.rfind(",Count(iif([语文]>=20 And [语文]<=39, 1, Null)) as 分20_39段", 0), 0u);
  // L = 0: the first segment leaves zeros (absent scores) out.
  const std::string from_zero = reports::BuildSegmentColumns(100, 90, 5, 20, "语文");
  EXPECT_EQ(from_zero.rfind(",Count(iif([语文]>0 And [语文]<=19, 1, Null)) as 分0_19段", 0), 0u);
  EXPECT_EQ(reports::BuildSegmentColumns(100, 90, 5, 0, "语文"), "");
}

}  // namespace
