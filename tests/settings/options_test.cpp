#include <gtest/gtest.h>

#include "../reports/score_fixture.h"
#include "settings/options_model.h"

namespace {

class OptionsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::Database db = temp_.Open();
    reports_test::CreateSmallExam(db);
  }
  std::string Setting(const std::string& sql) {
    engine::Database db = temp_.Open();
    return db.OpenRecordset(sql).FieldValue(0).AsText();
  }
  reports_test::TempDatabase temp_;
};

TEST_F(OptionsStore, WeightsNotAddingUpToHundredAsk) {
  settings::SegmentPage page;
  page.texts = {"40", "20", "20", "10", "15", "25"};
  std::string asked;
  const auto no = [&](const std::string& text, const std::string&) {
    asked = text;
    return false;
  };
  EXPECT_FALSE(settings::StoreSegmentPage(page, temp_.state, no));
  EXPECT_EQ(asked, "计算综合分的四项之和不是100%，要这样设置吗？");
  EXPECT_EQ(Setting("select 数值 from xtsztable where 项目='及格'"), "20") << "nothing stored";

  EXPECT_TRUE(settings::StoreSegmentPage(page, temp_.state, [](auto&, auto&) { return true; }));
  EXPECT_EQ(Setting("select 数值 from xtsztable where 项目='及格'"), "10");
  EXPECT_EQ(Setting("select 数值 from xtsztable where 项目='总分段'"), "25");

  page.texts[3] = "20";
  asked.clear();
  EXPECT_TRUE(settings::StoreSegmentPage(page, temp_.state, no));
  EXPECT_EQ(asked, "") << "100 is not asked about";
}

// The check box 三线按满分折算 is stored as 三线折算, also in a database made
// before the setting existed (its row is added), and read back by the loader.
TEST_F(OptionsStore, ScalingTheLinesIsStoredEvenWithoutItsRow) {
  {
    engine::Database db = temp_.Open();
    db.Execute("DELETE FROM xtsztable WHERE 项目='三线折算'");
  }
  settings::SegmentPage page;
  page.scale_lines = 1;
  const auto no = [](auto&, auto&) { return false; };
  ASSERT_TRUE(settings::StoreSegmentPage(page, temp_.state, no));
  data::LoadSystemSettings(temp_.state);
  EXPECT_EQ(temp_.state.system_settings.ScaleLinesByFullMark, 1);
  EXPECT_EQ(settings::LoadOptionsModel(temp_.state, nullptr, settings::OptionsMode::kSegments)
                .segments.scale_lines,
            1);
  page.scale_lines = 0;
  ASSERT_TRUE(settings::StoreSegmentPage(page, temp_.state, no));
  data::LoadSystemSettings(temp_.state);
  EXPECT_EQ(temp_.state.system_settings.ScaleLinesByFullMark, 0);
}

TEST_F(OptionsStore, FullMarkSummaries) {
  {
    engine::Database db = temp_.Open();
    db.Execute("UPDATE 三线表 SET 数学 = 50 where 项目='权重'");
  }
  const settings::OptionsModel dialog =
      settings::LoadOptionsModel(temp_.state, nullptr, settings::OptionsMode::kSegments);
  // 100 × 100% + 150 × 50%; 庚 has 50 + 15 = 65, 壬 nothing and is left out.
  EXPECT_EQ(dialog.all_total_label, "全科总分满分 175 最高分 165  ,最低分 40");
  EXPECT_EQ(dialog.main_total_label, "主科总分满分 175 最高分 165  ,最低分 40");
  EXPECT_EQ(dialog.segments.texts[0], "40");
}

}  // namespace
