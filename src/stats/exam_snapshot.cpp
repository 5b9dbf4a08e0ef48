#include "stats/exam_snapshot.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

namespace stats {

std::strong_ordering KeyValue::operator<=>(const KeyValue& other) const {
  if (kind != other.kind) return kind <=> other.kind;
  if (kind == Kind::kText) return text <=> other.text;
  if (kind == Kind::kNumber) {
    if (number < other.number) return std::strong_ordering::less;
    if (number > other.number) return std::strong_ordering::greater;
  }
  return std::strong_ordering::equal;
}

namespace {

KeyValue KeyOf(const engine::Recordset& rs, int field) {
  const engine::Value v = rs.FieldValue(field);
  KeyValue key;
  if (v.IsNull()) return key;
  key.kind = v.IsNumber() ? KeyValue::Kind::kNumber : KeyValue::Kind::kText;
  key.number = v.IsNumber() ? v.AsDouble() : 0;
  key.text = v.AsText(rs.FieldTypeOf(field));
  return key;
}

std::string SelectText(const data::SubjectLines& lines) {
  std::string sql = "select 学校,学号,班级,姓名";
  for (const std::string& name : lines.SubjectName) sql += ",[" + name + "]";
  return sql + ",主科总分,全科总分,主科排名,全科排名 from 统计表";
}

constexpr int kKeyFields = 4;  // 学校, 学号, 班级, 姓名
constexpr int kProgressStep = 65536;

}  // namespace

// Reads the rows one by one, giving each (学校, 班级) pair an index in the
// order first seen; Finish renumbers the classes into report order.
class ExamSnapshot::Reader {
 public:
  // Columns sized for `students` at once: grown by doubling, a million
  // students would hold a third more memory than they need.
  Reader(ExamSnapshot& exam, std::size_t students) : exam_(exam) {
    for (std::vector<double>* column : {&exam.all_total_, &exam.main_total_})
      column->reserve(students);
    for (std::vector<double>& column : exam.scores_) column.reserve(students);
    exam.all_rank_.reserve(students);
    exam.main_rank_.reserve(students);
    exam.class_of_.reserve(students);
    exam.ends_.reserve(2 * students + 1);
  }

  void Row(const engine::Recordset& rs) {
    ExamSnapshot& e = exam_;
    std::pair<KeyValue, KeyValue> key{KeyOf(rs, 0), KeyOf(rs, 2)};
    // Students of a class usually follow one another: skip the lookup then.
    if (e.class_of_.empty() || key != last_key_) {
      last_class_ =
          classes_.emplace(key, static_cast<std::uint32_t>(classes_.size())).first->second;
      last_key_ = std::move(key);
    }
    e.class_of_.push_back(last_class_);
    e.texts_ += rs.FieldValue(1).AsText(rs.FieldTypeOf(1));
    e.ends_.push_back(e.texts_.size());
    e.texts_ += rs.FieldValue(3).AsText(rs.FieldTypeOf(3));
    e.ends_.push_back(e.texts_.size());
    const int n = static_cast<int>(e.subjects_.size());
    for (int s = 0; s < n; ++s) {
      const engine::Value v = rs.FieldValue(kKeyFields + s);
      e.scores_[static_cast<std::size_t>(s)].push_back(v.IsNull() ? kAbsent : v.AsDouble());
    }
    e.main_total_.push_back(rs.FieldValue(kKeyFields + n).AsDouble());
    e.all_total_.push_back(rs.FieldValue(kKeyFields + n + 1).AsDouble());
    e.main_rank_.push_back(
        static_cast<std::int32_t>(rs.FieldValue(kKeyFields + n + 2).AsInteger()));
    e.all_rank_.push_back(static_cast<std::int32_t>(rs.FieldValue(kKeyFields + n + 3).AsInteger()));
  }

  void Finish() {
    ExamSnapshot& e = exam_;
    std::vector<std::uint32_t> renumbered(classes_.size());
    // The map holds the pairs in report order already.
    for (const auto& [key, first_seen] : classes_) {
      if (e.schools_.empty() || e.schools_.back() != key.first) e.schools_.push_back(key.first);
      renumbered[first_seen] = static_cast<std::uint32_t>(e.classes_.size());
      e.classes_.push_back({static_cast<int>(e.schools_.size() - 1), key.second});
    }
    for (std::uint32_t& c : e.class_of_) c = renumbered[c];
    e.texts_.shrink_to_fit();  // the one column whose size was not known ahead
  }

 private:
  ExamSnapshot& exam_;
  std::map<std::pair<KeyValue, KeyValue>, std::uint32_t> classes_;
  std::pair<KeyValue, KeyValue> last_key_;
  std::uint32_t last_class_ = 0;
};

ExamSnapshot ExamSnapshot::WithoutStudents(const data::SubjectLines& lines) {
  ExamSnapshot exam;
  for (int i = 0; i < lines.Count(); ++i) {
    exam.subjects_.push_back({lines.SubjectName[i],
                              lines.FullMark[i],
                              {data::LineScore(lines.FullMark[i], lines.ExcellentPct[i]),
                               data::LineScore(lines.FullMark[i], lines.GoodPct[i]),
                               data::LineScore(lines.FullMark[i], lines.PassPct[i])},
                              lines.IsMain(i)});
  }
  exam.scores_.resize(exam.subjects_.size());
  return exam;
}

ExamSnapshot ExamSnapshot::Read(engine::Database& db, const data::SubjectLines& lines,
                                common::ProgressSink& progress) {
  ExamSnapshot exam = WithoutStudents(lines);
  engine::Recordset rs = db.OpenRecordset(SelectText(lines));
  const std::int64_t total = rs.Eof() ? 0 : rs.RecordCount();
  Reader reader(exam, static_cast<std::size_t>(total));
  std::int64_t done = 0;
  for (; !rs.Eof(); rs.MoveNext()) {
    reader.Row(rs);
    if (++done % kProgressStep == 0) progress.Report(done, total, "正在读取统计表……");
  }
  reader.Finish();
  return exam;
}

int ExamSnapshot::SubjectIndex(std::string_view name) const {
  for (std::size_t i = 0; i < subjects_.size(); ++i)
    if (subjects_[i].name == name) return static_cast<int>(i);
  return -1;
}

std::span<const double> ExamSnapshot::Scores(int subject) const {
  return scores_.at(static_cast<std::size_t>(subject));
}

const KeyValue& ExamSnapshot::SchoolOf(std::size_t student) const {
  return schools_[static_cast<std::size_t>(classes_[class_of_[student]].school)];
}

std::string_view ExamSnapshot::StudentNumber(std::size_t student) const {
  return std::string_view(texts_).substr(ends_[2 * student],
                                         ends_[2 * student + 1] - ends_[2 * student]);
}

std::string_view ExamSnapshot::Name(std::size_t student) const {
  return std::string_view(texts_).substr(ends_[2 * student + 1],
                                         ends_[2 * student + 2] - ends_[2 * student + 1]);
}

std::vector<std::string> ReadClassTeachers(engine::Database& db, const ExamSnapshot& exam,
                                           const std::string& subject) {
  std::map<std::pair<std::string, std::string>, std::string> teacher_of;
  engine::Recordset rs = db.OpenRecordset("select 学校,班级,[" + subject + "] from 教师表");
  for (; !rs.Eof(); rs.MoveNext()) {
    std::string name = rs.FieldValue(2).AsText(rs.FieldTypeOf(2));
    // The first row of a class counts, as a lookup by 学校 and 班级 finds it.
    teacher_of.emplace(std::pair{KeyOf(rs, 0).text, KeyOf(rs, 1).text}, std::move(name));
  }
  std::vector<std::string> teachers;
  teachers.reserve(exam.Classes().size());
  for (const ExamClass& c : exam.Classes()) {
    auto it =
        teacher_of.find({exam.Schools()[static_cast<std::size_t>(c.school)].text, c.key.text});
    teachers.push_back(it == teacher_of.end() ? std::string() : it->second);
  }
  return teachers;
}

}  // namespace stats
