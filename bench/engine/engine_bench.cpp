// Per-class single-subject statistics of 语文 over a generated 成绩表:
// through the engine (translate + recordset walk) and the same SQLite text
// run directly. Usage: bench_engine [N ...] (default 10000 100000).
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/bench_util.h"
#include "engine/database.h"
#include "reports/stat_columns.h"

namespace {

// The per-class 语文 query exactly as the single-subject report builds it,
// with the default weights and lines and a full mark of 150.
std::string PerClassQuery() {
  data::SystemSettings weights;
  weights.AvgWeight = 40;
  weights.ExcellentWeight = weights.GoodWeight = weights.PassWeight = 20;
  const reports::StatLines lines{85, 75, 60};
  return "select 学校,班级," + reports::StatisticColumns("语文", lines, weights) +
         reports::SegmentColumns("语文", 150, 20) + " from 成绩表  GROUP BY 学校,班级";
}

void Generate(engine::Database& db, int n) {
  const char* subjects[] = {"语文", "数学", "英语", "物理", "化学", "生物", "政治", "历史", "地理"};
  std::string create =
      "CREATE TABLE 成绩表 (学校 text (20), 学号 DOUBLE, 班级 DOUBLE, 姓名 text (10)";
  std::vector<std::string> cols = {"学校", "学号", "班级", "姓名"};
  for (const char* s : subjects) {
    create += std::string(",") + s + " DOUBLE";
    cols.push_back(s);
  }
  db.Execute(create + ")");
  std::mt19937 rng(42);
  std::normal_distribution<double> score(90, 25);
  int i = 0;
  db.InsertRows("成绩表", cols, [&](std::vector<engine::Value>& row) {
    if (i == n) return false;
    int cls = i % 300;
    row[0] = engine::Value::Text("学校" + std::to_string(cls / 30));
    row[1] = engine::Value::Integer(i);
    row[2] = engine::Value::Integer(cls % 30 + 1);
    row[3] = engine::Value::Text("学生" + std::to_string(i));
    for (size_t k = 4; k < cols.size(); ++k) {
      double v = std::clamp(std::round(score(rng) * 2) / 2, 0.0, 150.0);
      row[k] = rng() % 50 == 0 ? engine::Value() : engine::Value::Real(v);
    }
    ++i;
    return true;
  });
}

template <typename F>
double BestOf5(F f) {
  double best = 1e9;
  for (int k = 0; k < 5; ++k) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, 1000 * bench::SecondsSince(t0));
  }
  return best;
}

void Run(int n) {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("bench_engine_" + std::to_string(::getpid()) + ".db"))
                         .string();
  std::filesystem::remove(path);
  engine::Database db = engine::Database::OpenOrCreate(path);
  Generate(db, n);
  std::string jet = PerClassQuery();
  std::string sqlite_text = engine::TranslateToSqlite(jet);
  size_t rows = 0;
  db.OpenRecordset("select count(*), sum(语文) from 成绩表").FieldValue(0);  // warm the cache
  double through_engine = BestOf5([&] {
    engine::Recordset rs = db.OpenRecordset(jet);
    rows = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
      for (int i = 0; i < rs.FieldCount(); ++i) rs.FieldValue(i);
      ++rows;
    }
  });
  double direct = BestOf5([&] {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db.handle(), sqlite_text.c_str(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) sqlite3_column_value(stmt, i);
    }
    sqlite3_finalize(stmt);
  });
  std::printf(
      "N=%d students x 9 subjects, 300 classes, file %.1f MB: engine %.1f ms, sqlite3 %.1f ms, "
      "ratio %.3f (%zu groups)\n",
      n, std::filesystem::file_size(path) / 1e6, through_engine, direct, through_engine / direct,
      rows);
  db.Close();
  std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("%s; SQLite %s\n", bench::MachineLine().c_str(), sqlite3_libversion());
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {10000, 100000};
  for (int n : sizes) Run(n);
  return 0;
}
