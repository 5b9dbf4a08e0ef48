#include "data/xls_isolated.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace data {
namespace {

std::string Fixture(const std::string& name) {
  return std::string(SCORESTAT_SOURCE_DIR) + "/tests/fixtures/" + name;
}

// A reader that crashes, as the .xls library has on damaged files, is only
// a message when it runs in the child.
TEST(XlsIsolated, ACrashInTheReaderBecomesAMessage) {
  for (auto crash : {+[] { std::abort(); }, +[] { std::raise(SIGSEGV); }, +[] { ::_exit(7); }}) {
    try {
      ReadIsolated(
          [crash]() -> Workbook {
            crash();
            return {};
          },
          "damaged.xls");
      FAIL() << "a crashed read gave a workbook";
    } catch (const WorkbookError& e) {
      EXPECT_EQ(e.kind(), WorkbookError::Kind::kCorrupt);
      EXPECT_NE(std::string(e.what()).find("工作簿已损坏"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("damaged.xls"), std::string::npos);
    }
  }
  // A file found by fuzzing that once crashed the library in a free().
  EXPECT_THROW(ReadWorkbook(Fixture("xls_crashes_reader.xls")), WorkbookError);
}

// The child's answer is the same workbook, and its errors come back as they are.
TEST(XlsIsolated, SameWorkbookAndErrorsAsInProcess) {
  ReadOptions in_process;
  in_process.isolate_xls = false;
  const std::string sample = std::string(SCORESTAT_SOURCE_DIR) + "/examples/sample.xls";
  const Workbook a = ReadWorkbook(sample);
  const Workbook b = ReadWorkbook(sample, in_process);
  ASSERT_EQ(a.sheets().size(), b.sheets().size());
  for (size_t s = 0; s < a.sheets().size(); ++s) {
    const Sheet& x = a.sheets()[s];
    const Sheet& y = b.sheets()[s];
    EXPECT_EQ(x.name(), y.name());
    ASSERT_EQ(x.rows(), y.rows());
    ASSERT_EQ(x.cols(), y.cols());
    for (size_t r = 0; r < x.rows(); ++r)
      for (size_t c = 0; c < x.cols(); ++c) ASSERT_EQ(x.At(r, c), y.At(r, c)) << r << "," << c;
  }
  try {
    ReadXlsIsolated(Fixture("hostile/encrypted.xls"), {});
    FAIL() << "an encrypted file was read";
  } catch (const WorkbookError& e) {
    EXPECT_EQ(e.kind(), WorkbookError::Kind::kPassword);
  }
}

}  // namespace
}  // namespace data
