// 按班输出: folder names any system accepts, and a pack of the hand-worked
// exam with every class and every file in its place.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "../scratch_dir.h"
#include "analysis_fixture.h"
#include "data/score_database.h"
#include "data/workbook.h"
#include "reports/class_pack.h"

namespace reports {
namespace {

namespace fs = std::filesystem;

TEST(ClassPackTest, NamesAreSafeAsFileNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"一中", "一中"},
      {"高一(1)班", "高一（1）班"},  // shells and some tools trip on ( )
      {"城区/实验", "城区-实验"},    // not a sub-folder
      {"a\\b", "a-b"},
      {"8:00班", "8：00班"},  // not allowed on Windows
      {"a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
      {" .hidden. ", "hidden"},  // no hidden or trailing-dot names
      {"..", "_"},
      {"", "_"},
  };
  for (const auto& [text, safe] : cases) EXPECT_EQ(SafeFileName(text), safe) << text;
}

TEST(ClassPackTest, EveryClassGetsItsFourFiles) {
  analysis_test::ExamDatabase exam;
  data::LoadStartupSettings(exam.state);
  const test_support::ScratchDir scratch("scorestat_pack");
  const fs::path dir = scratch.path() / "pack";
  std::map<std::string, std::size_t> pdfs;  // path: number of strips
  std::mutex mutex;                         // the classes are written on several threads
  const PdfWriter pdf = [&](std::span<const PdfJob> jobs) {
    const std::lock_guard lock(mutex);
    for (const PdfJob& job : jobs) pdfs.emplace(job.path, job.doc->strips.size());
    return grid::Status::Ok();
  };
  common::NullProgress progress;
  const PackResult result = WriteClassPacks(exam.state, dir.string(), pdf, progress,
                                            output::Date{std::chrono::year{2024} / 7 / 1});
  EXPECT_EQ(result.classes, 3);  // 一中 1, 一中 2, 二中 1
  EXPECT_FALSE(result.cancelled);
  ASSERT_EQ(pdfs.size(), 6u);
  // 一中 class 1 holds 丙, 丁 and 庚: three slips, three letters; 二中 1 two.
  EXPECT_EQ(pdfs[(dir / "一中" / "1" / "成绩条.pdf").string()], 3u);
  EXPECT_EQ(pdfs[(dir / "一中" / "1" / "家长告知书.pdf").string()], 3u);
  EXPECT_EQ(pdfs[(dir / "二中" / "1" / "家长告知书.pdf").string()], 2u);
  for (const char* klass : {"一中/1", "一中/2", "二中/1"}) {
    const data::Workbook stats = data::ReadWorkbook((dir / klass / "单科统计.xlsx").string());
    ASSERT_EQ(stats.sheets().size(), 3u) << "a sheet per subject";
    const data::Workbook list = data::ReadWorkbook((dir / klass / "学生名单.xlsx").string());
    ASSERT_EQ(list.sheets().size(), 1u);
  }
  // Cancelled before the first class, nothing is written.
  const PackResult none =
      WriteClassPacks(exam.state, (dir / "again").string(), pdf, progress,
                      output::Date{std::chrono::year{2024} / 7 / 1}, [] { return true; });
  EXPECT_TRUE(none.cancelled);
  EXPECT_EQ(none.classes, 0);
}

// A cancel between two runs of classes leaves whole folders only: every
// folder written holds its two workbooks, and the renderer got both its PDFs.
TEST(ClassPackTest, CancelLeavesOnlyWholeFolders) {
  analysis_test::ExamDatabase exam;
  data::LoadStartupSettings(exam.state);
  const test_support::ScratchDir scratch("scorestat_pack_cancel");
  const fs::path dir = scratch.path() / "pack";
  std::set<std::string> pdfs;
  std::mutex mutex;
  const PdfWriter pdf = [&](std::span<const PdfJob> jobs) {
    const std::lock_guard lock(mutex);
    for (const PdfJob& job : jobs) pdfs.insert(job.path);
    return grid::Status::Ok();
  };
  common::NullProgress progress;
  int asked = 0;
  const PackResult result = WriteClassPacks(exam.state, dir.string(), pdf, progress,
                                            output::Date{std::chrono::year{2024} / 7 / 1},
                                            [&asked] { return ++asked > 1; });
  EXPECT_TRUE(result.cancelled);
  int folders = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!fs::exists(entry.path() / "学生名单.xlsx") && !fs::exists(entry.path() / "单科统计.xlsx"))
      continue;
    ++folders;
    EXPECT_TRUE(fs::exists(entry.path() / "学生名单.xlsx")) << entry.path();
    EXPECT_TRUE(fs::exists(entry.path() / "单科统计.xlsx")) << entry.path();
    EXPECT_TRUE(pdfs.contains((entry.path() / "成绩条.pdf").string())) << entry.path();
    EXPECT_TRUE(pdfs.contains((entry.path() / "家长告知书.pdf").string())) << entry.path();
  }
  EXPECT_EQ(folders, result.classes);
  EXPECT_GE(result.classes, 1);
  EXPECT_EQ(pdfs.size(), 2u * static_cast<std::size_t>(result.classes));
}

}  // namespace
}  // namespace reports
