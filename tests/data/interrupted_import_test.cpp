// An import or a switch of the current exam killed at any moment (power cut,
// task manager) must leave a database that opens, is intact, and holds the
// previous exam or the new one, never a mix; and the exam library must agree
// with it: the new exam listed once exactly when the database holds it. The
// work on 100,000 students runs in scorestat-cli and is killed with SIGKILL
// at seeded random moments. Slow: a minute or two.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/exam_library.h"
#include "engine/database.h"
#include "query_text.h"

namespace {

using data_test::QueryText;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs scorestat-cli with `args`, output discarded; returns the child's pid.
pid_t StartCli(const std::vector<std::string>& args) {
  std::fflush(stdout);  // the child's freopen would flush our buffer a second time
  pid_t pid = ::fork();
  if (pid == 0) {
    std::FILE* null = std::freopen("/dev/null", "w", stdout);
    null = std::freopen("/dev/null", "w", stderr);
    (void)null;
    std::vector<char*> argv;
    std::string cli = SCORESTAT_CLI;
    argv.push_back(cli.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(cli.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int RunCli(const std::vector<std::string>& args) {
  pid_t pid = StartCli(args);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What distinguishes one exam from another, and a finished import from a
// half-done one: the rows, the derived columns and ranks, the subject lines.
std::string Signature(const std::string& path) {
  engine::Database db = engine::Database::Open(path);
  return QueryText(db,
                   "SELECT count(*), sum(学号), sum(全科总分), sum(主科总分), sum(全科排名), "
                   "sum(主科排名), sum(全科及格数), count(全科排名) FROM 统计表") +
         QueryText(db, "SELECT count(*), sum(学号) FROM 成绩表") +
         QueryText(db, "SELECT count(*) FROM 教师表") + QueryText(db, "SELECT * FROM 三线表");
}

std::string IntegrityCheck(const std::string& path) {
  engine::Database db = engine::Database::Open(path);
  sqlite3* handle = db.handle();
  sqlite3_stmt* stmt = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &stmt, nullptr) != SQLITE_OK)
    return sqlite3_errmsg(handle);
  while (sqlite3_step(stmt) == SQLITE_ROW)
    out += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  sqlite3_finalize(stmt);
  return out;
}

// A database file with its exam library, copied so that a trial starts from
// the same state each time.
void CopyDatabase(const std::string& from, const std::string& to) {
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(to + suffix);
  fs::remove_all(data::LibraryFolder(to));
  fs::copy_file(from, to);
  if (fs::exists(data::LibraryFolder(from)))
    fs::copy(data::LibraryFolder(from), data::LibraryFolder(to), fs::copy_options::recursive);
}

// The ids of the listed exams, "1 2", with the current one marked "*".
std::string Listing(const std::string& path) {
  std::string out;
  const int current = data::CurrentExamId(path);
  for (const data::ExamInfo& e : data::ListExams(path))
    out += (out.empty() ? "" : " ") + std::to_string(e.id) + (e.id == current ? "*" : "");
  return out;
}

// Kills `args` at `trials` seeded moments over `full` (a little past its
// end), each time on a fresh copy of `start_db` at `work_db`; `check` judges
// what was left and returns "previous", "new" or what is wrong.
template <typename Check>
void KillTrials(const std::vector<std::string>& args, const std::string& start_db,
                const std::string& work_db, std::chrono::milliseconds full, int trials,
                unsigned seed, Check check) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<long long> moment(0, full.count() * 11 / 10);
  int kept_previous = 0, got_new = 0;
  for (int trial = 1; trial <= trials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    CopyDatabase(start_db, work_db);
    const long long delay = moment(rng);
    pid_t pid = StartCli(args);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const bool killed = WIFSIGNALED(status);

    ASSERT_EQ(IntegrityCheck(work_db), "ok");
    const std::string outcome = check();
    std::printf("kill trial %2d at %5lld ms of %lld: %s%s\n", trial, delay,
                static_cast<long long>(full.count()), outcome.c_str(),
                killed ? "" : " (finished first)");
    EXPECT_TRUE(outcome == "previous" || outcome == "new") << outcome;
    (outcome == "previous" ? kept_previous : got_new) += 1;
  }
  std::printf("kill trials: %d kept the previous exam, %d hold the new one\n", kept_previous,
              got_new);
}

TEST(InterruptedImport, KilledAtTwentyMomentsLeavesOneWholeExam) {
  const fs::path dir = fs::temp_directory_path() / ("scorestat_kill_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string big = (dir / "big.xlsx").string();
  const std::string small = (dir / "small.xlsx").string();
  const std::string previous_db = (dir / "previous.db").string();
  const std::string new_db = (dir / "new.db").string();
  const std::string work_db = (dir / "work.db").string();
  ASSERT_EQ(RunCli({"generate", big, "--students", "100000", "--seed", "7"}), 0);
  ASSERT_EQ(RunCli({"generate", small, "--students", "2000", "--seed", "3"}), 0);
  ASSERT_EQ(RunCli({"--db", previous_db, "repair"}), 0);
  ASSERT_EQ(RunCli({"--db", previous_db, "import", small}), 0);
  const std::string previous = Signature(previous_db);

  CopyDatabase(previous_db, new_db);
  const auto start = Clock::now();
  ASSERT_EQ(RunCli({"--db", new_db, "import", big}), 0);
  const auto full = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  const std::string fresh = Signature(new_db);
  ASSERT_NE(previous, fresh);

  const std::string listed_before = Listing(previous_db);
  const std::string listed_after = Listing(new_db);
  ASSERT_EQ(listed_before, "1*");
  ASSERT_EQ(listed_after, "1 2*");
  KillTrials({"--db", work_db, "import", big}, previous_db, work_db, full, 20, 20240607, [&] {
    const std::string now = Signature(work_db);
    const std::string listed = Listing(work_db);
    if (now == previous && listed == listed_before) return std::string("previous");
    // The new exam is kept whole in the library too.
    if (now == fresh && listed == listed_after &&
        Signature(data::ExamFilePath(work_db, 2)) == fresh)
      return std::string("new");
    return "MIXED: " + listed + "\n" + now;
  });
  fs::remove_all(dir);
}

TEST(InterruptedSwitch, KilledAtTenMomentsLeavesOneWholeExam) {
  const fs::path dir =
      fs::temp_directory_path() / ("scorestat_kill_switch_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string big = (dir / "big.xlsx").string();
  const std::string small = (dir / "small.xlsx").string();
  const std::string start_db = (dir / "start.db").string();
  const std::string switched_db = (dir / "switched.db").string();
  const std::string work_db = (dir / "work.db").string();
  ASSERT_EQ(RunCli({"generate", big, "--students", "100000", "--seed", "7"}), 0);
  ASSERT_EQ(RunCli({"generate", small, "--students", "2000", "--seed", "3"}), 0);
  ASSERT_EQ(RunCli({"--db", start_db, "import", big}), 0);
  ASSERT_EQ(RunCli({"--db", start_db, "import", small}), 0);
  const std::string small_exam = Signature(start_db);

  CopyDatabase(start_db, switched_db);
  const auto start = Clock::now();
  ASSERT_EQ(RunCli({"--db", switched_db, "exams", "use", "1"}), 0);
  const auto full = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  const std::string big_exam = Signature(switched_db);
  ASSERT_NE(small_exam, big_exam);
  ASSERT_EQ(Listing(start_db), "1 2*");
  ASSERT_EQ(Listing(switched_db), "1* 2");

  KillTrials({"--db", work_db, "exams", "use", "1"}, start_db, work_db, full, 10, 20240608, [&] {
    const std::string now = Signature(work_db);
    const std::string listed = Listing(work_db);
    if (now == small_exam && listed == "1 2*") return std::string("previous");
    if (now == big_exam && listed == "1* 2") return std::string("new");
    return "MIXED: " + listed + "\n" + now;
  });
  fs::remove_all(dir);
}

}  // namespace
