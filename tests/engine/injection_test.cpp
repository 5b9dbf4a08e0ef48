// Statements typed by the user (scorestat-cli sql) or built from workbook
// texts reach the Jet-dialect parser; however they are shaped, they must fail
// with a Chinese message rather than exhaust the stack.
#include <gtest/gtest.h>

#include <string>

#include "engine/database.h"

namespace engine {
namespace {

std::string Repeat(const std::string& piece, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

// Regression: 923 nested parentheses overflowed the stack (found by fuzzing).
TEST(DeepStatements, NestingBeyondTheLimitIsAParseError) {
  const int kDeep = 100000;
  const std::string cases[] = {
      "select " + Repeat("(", kDeep) + "1" + Repeat(")", kDeep) + " from 成绩表",
      "select * from 成绩表 where " + Repeat("not ", kDeep) + "语文 > 1",
      "select " + Repeat("-", kDeep) + "1 from 成绩表",
      "select * from " + Repeat("(select * from ", kDeep) + "成绩表" + Repeat(")", kDeep),
  };
  for (const std::string& sql : cases) {
    SCOPED_TRACE(sql.substr(0, 40));
    try {
      TranslateToSqlite(sql);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), Error::Kind::kParse);
      EXPECT_NE(std::string(e.what()).find("嵌套太深"), std::string::npos) << e.what();
    }
  }
}

TEST(DeepStatements, NestingThatRealReportsUseStillTranslates) {
  EXPECT_NO_THROW(
      TranslateToSqlite("select " + Repeat("(", 60) + "语文" + Repeat(")", 60) + " from 成绩表"));
  EXPECT_NO_THROW(TranslateToSqlite("select " + Repeat("iif(语文>1,", 40) + "0" +
                                    Repeat(",1)", 40) + " from 成绩表"));
}

// A chain (a+b+c…) leans left, one level per operator: a total over every
// subject a sheet can hold still translates, a crafted one is refused.
TEST(DeepStatements, OperatorChainsAreBoundedToo) {
  EXPECT_NO_THROW(TranslateToSqlite("select 1" + Repeat("+语文", 900) + " from 成绩表"));
  EXPECT_NO_THROW(
      TranslateToSqlite("select " + Repeat("iif(语文>=90,1,0)+", 245) + "0 from 成绩表"));
  for (const char* op : {"+", " and ", " or ", "^", "&", "=", "*"}) {
    SCOPED_TRACE(op);
    try {
      TranslateToSqlite("select 1" + Repeat(std::string(op) + "1", 100000) + " from 成绩表");
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("嵌套太深"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace engine
