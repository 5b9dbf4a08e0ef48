// The corners of the Jet dialect, each expected value as Jet documents it,
// run through the translator and SQLite. A case's `why` says where the
// value comes from, and is printed when it fails.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace engine {
namespace {

struct Case {
  const char* select;
  const char* expected;  // the record's values as texts, "|" between fields
  const char* why;
};

class DialectTest : public testing::TempDatabaseTest {
 protected:
  void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      std::string got;
      try {
        got = One(c.select);
      } catch (const Error& e) {
        got = std::string("<error> ") + e.what();
      }
      EXPECT_EQ(got, c.expected) << c.select << "\n  why: " << c.why;
    }
  }

  // The message of the engine::Error a statement raises, or "" for none.
  std::string ErrorOf(const std::string& sql) {
    try {
      if (sql.rfind("select", 0) == 0) {
        db_->OpenRecordset(sql);
      } else {
        db_->Execute(sql);
      }
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(DialectTest, OperatorsBindInJetsOrder) {
  // Jet: ^, negation, * /, \, Mod, + -, &, comparisons, Not, And, Or.
  Check({
      {"select 2+3*4, (2+3)*4", "14|20", "* before +"},
      {"select -2^2, (-2)^2, 2^-1", "-4|4|0.5", "^ before negation; a sign may follow ^"},
      {"select 2^3^2", "64", "^ groups from the left: (2^3)^2"},
      {"select 10 \\ 3 * 2, 7 mod 4 * 2", "1|7", "* before \\ and Mod: 10\\6, 7 mod 8"},
      {"select 10 mod 4 \\ 2, 1 + 10 mod 4", "0|3", "\\ before Mod, Mod before +"},
      {"select 8 - 3 - 2, 8 / 4 / 2", "3|1", "- and / group from the left"},
      {"select 1 + 2 & 3, 'a' & 2 * 3", "33|a6", "arithmetic before &"},
      {"select 'a' & 1 = 'a1', 1 + 1 = 2", "-1|-1", "& and + before comparison"},
      {"select not 1 = 2, not (1 = 1) or 1 = 1", "-1|-1", "comparison before Not, Not before Or"},
      {"select 1 = 1 or 1 = 2 and 1 = 2", "-1", "And before Or"},
  });
}

// Jet's True is -1, and a truth can be used as a number: -(a>=60)-(b>=60)
// counts the passes. SQLite's comparisons give 1.
TEST_F(DialectTest, TruthIsMinusOneWhereverItIsAValue) {
  db_->Execute("CREATE TABLE t (x DOUBLE)");
  for (const char* v : {"1", "2", "3", "Null"}) {
    db_->Execute(std::string("INSERT INTO t (x) VALUES (") + v + ")");
  }
  Check({
      {"select 3 > 2, 3 < 2, (3 > 2) + 1", "-1|0|0", "True is -1, so True + 1 is 0"},
      {"select 3 between 1 and 5, 'ab' like 'a*', 1 in (1, 2), 5 not in (1, 2)", "-1|-1|-1|-1",
       "Between, Like and In are truths too"},
      {"select IsNull(Null), Null is null, 1 is not null", "-1|-1|-1",
       "Is Null agrees with IsNull"},
      {"select not (1 = 1), not (1 = 2), not Null", "0|-1|", "Not True is False; Not Null is Null"},
      {"select Null and (1 = 2), Null or (1 = 1), Null and (1 = 1)", "0|-1|",
       "Null And False is False, Null Or True is True, otherwise Null"},
      {"select -sum(x >= 2), count(iif(x >= 2, 1, Null)) from t", "2|2",
       "a sum of truths counts them, negated"},
      {"select count(*) from t where x > 1 and not x = 3", "1",
       "a WHERE clause still tests its truths"},
      {"select count(*) from t where x", "3", "any non-zero number is true; Null is not"},
      {"select iif(x > 1, 'y', 'n') from t where x = 2", "y", "IIf tests its condition"},
  });
  db_->Execute("CREATE TABLE f (passed SHORT)");
  db_->Execute("INSERT INTO f (passed) VALUES (2 > 1)");
  EXPECT_EQ(One("select passed from f"), "-1") << "a stored truth is -1 as well";
}

TEST_F(DialectTest, ConcatenationTreatsNullAsEmpty) {
  Check({
      {"select 'a' & Null, Null & 'b', Null & ''", "a|b|", "Null on one side counts as empty"},
      {"select IsNull(Null & Null), IsNull(Null & '')", "-1|0", "only Null & Null is Null"},
      {"select 1 & 2, 2.5 & '', -3 & 'x'", "12|2.5|-3x", "numbers join as their text"},
      {"select 0.1 + 0.2 & '', 1e20 & '', 1/3 & ''", "0.3|1E+20|0.333333333333333",
       "15 significant digits, as Jet's text of a Double"},
      {"select Len(Null & Null), Len('' & '')", "|0", "Len keeps the difference"},
  });
}

// Integer division and Mod round both sides to whole numbers (half to
// even); the division truncates toward zero, Mod takes the left's sign.
TEST_F(DialectTest, IntegerDivisionAndModWithNegatives) {
  Check({
      {"select 7 \\ 2, -7 \\ 2, 7 \\ -2, -7 \\ -2", "3|-3|-3|3", "\\ truncates toward zero"},
      {"select 7 mod 3, -7 mod 3, 7 mod -3, -7 mod -3", "1|-1|1|-1", "Mod has the left's sign"},
      {"select 7.5 \\ 2, 6.5 \\ 2, -7.5 \\ 2", "4|3|-4", "7.5 rounds to 8, 6.5 to 6, -7.5 to -8"},
      {"select 7.5 mod 2, -2.5 mod 2, 6.5 mod 2.5", "0|0|0", "8 mod 2, -2 mod 2, 6 mod 2"},
      {"select 5 \\ 0.4, 5 mod 0.5", "|", "0.4 and 0.5 round to 0: #Error in Jet, Null here"},
      {"select Null \\ 2, 5 mod Null, '7' \\ 2", "||3", "Null in, Null out; text by its number"},
  });
}

TEST_F(DialectTest, StringFunctionsCountCharactersNotBytes) {
  Check({
      {"select Len('语文ab'), Left('语文ab', 1), Right('语文ab', 3), Mid('语文数学', 2, 2)",
       "4|语|文ab|文数", "a Chinese character is one character"},
      {"select Left('abc', 0), Left('abc', 9), Right('abc', 9), Mid('abc', 4), Mid('abc', 2, 9)",
       "|abc|abc||bc", "lengths past the end stop at the end"},
      {"select Mid('abc', 2, 1e30), Left('abc', 1e30)", "bc|abc",
       "a huge length is still just past the end"},
      {"select IsNull(Left('abc', -1)), IsNull(Mid('abc', 0)), IsNull(Mid('abc', 1, -1))",
       "-1|-1|-1", "invalid calls: #Error in Jet, Null here"},
      {"select IsNull(Left(Null, 1)), IsNull(Len(Null)), IsNull(Trim(Null))", "-1|-1|-1",
       "Null in, Null out"},
      {"select Len(123.5), Left(12345, 2), Len(2.0)", "5|12|1", "a number counts as its text"},
      {"select '[' & Trim('  a b  ') & ']' & LTrim('  x') & RTrim('y  ') & '.'", "[a b]xy.",
       "Trim removes spaces at the ends only"},
      {"select InStr('abcabc', 'c'), InStr(4, 'abcabc', 'c'), InStr('abc', 'd')", "3|6|0",
       "the 1-based position, 0 when absent"},
      {"select InStr('ABC', 'b'), InStr('语文数学', '数学'), InStr(2, 'abc', '')", "2|3|2",
       "case does not matter; characters, not bytes; an empty text is found at start"},
      {"select InStr('', ''), InStr(5, 'abc', 'a'), IsNull(InStr(Null, 'a'))", "0|0|-1",
       "an empty text holds nothing; a start past the end finds nothing"},
      {"select Val(' 1 2 3'), Val('85分'), Val('-.5'), Val('1e3'), Val('abc')",
       "123|85|-0.5|1000|0",
       "Val skips blanks anywhere and stops at the first character no number has"},
      {"select Str(5), Str(-5), CStr(2.50), UCase('abc语'), LCase('ABC')", " 5|-5|2.5|ABC语|abc",
       "Str keeps room for the sign"},
      {"select Chr(65) & Chr(20013), Len(Chr(0))", "A中|1", "Chr takes a Unicode code point"},
  });
}

// Jet's Like: * and ? as wildcards, # a digit, [a-c] and [!a-c] one
// character; % and _ are ordinary characters; case does not matter.
TEST_F(DialectTest, LikeUsesJetsWildcards) {
  Check({
      {"select 'abc' like 'a*', 'abc' like 'a?c', 'abc' like '*c', 'abc' like 'b*'", "-1|-1|-1|0",
       "* any run, ? one character"},
      {"select 'ABC' like 'a*', '语文' like '语?', '语文成绩' like '*成*'", "-1|-1|-1",
       "case-blind; a Chinese character is one character"},
      {"select 'a1' like 'a#', 'ab' like 'a#', '2024' like '####'", "-1|0|-1", "# is one digit"},
      {"select 'b' like '[a-c]', 'd' like '[a-c]', 'd' like '[!a-c]', 'B' like '[a-c]'",
       "-1|0|-1|-1", "a list or range of characters, or its complement"},
      {"select 'a*c' like 'a[*]c', 'abc' like 'a[*]c', 'a?' like 'a[?]'", "-1|0|-1",
       "a wildcard in brackets is itself"},
      {"select 'a_c' like 'a_c', 'abc' like 'a_c', '100%' like '100%', '1000' like '100%'",
       "-1|0|-1|0", "% and _ are ordinary characters to Jet"},
      {"select 'abc' not like 'a*', IsNull(Null like 'a*'), IsNull('a' like Null)", "0|-1|-1",
       "Not Like; Null on either side is Null"},
      {"select 'aaab' like '*a*a*b', 'ab' like '*a*a*b', '' like '*', '' like '?'", "-1|0|-1|0",
       "stars backtrack"},
      {"select IsNull('a' like '[a')", "-1", "an unclosed bracket is #Error in Jet"},
  });
  db_->Execute("CREATE TABLE n (姓名 text (10), 前缀 text (10))");
  db_->Execute("INSERT INTO n (姓名, 前缀) VALUES ('张三', '张')");
  db_->Execute("INSERT INTO n (姓名, 前缀) VALUES ('李四', '王')");
  EXPECT_EQ(Rows("select 姓名 from n where 姓名 like 前缀 & '*'"), std::vector<std::string>{"张三"})
      << "a pattern built in the statement uses Jet's wildcards too";
}

// A date is a Double: the days since 30 December 1899, the time as the
// fraction (so an imported sheet's date column is already one).
TEST_F(DialectTest, DatesAreSerialNumbers) {
  Check({
      {"select #1899-12-30#, #1900-01-01#, #2024-06-01#", "0|2|45444", "Jet's and Excel's serials"},
      {"select #6/1/2024#, #2024/6/1#, #6/1/24#, #6/1/1999#", "45444|45444|45444|36312",
       "m/d/y; a four-digit first part is the year; 24 is 2024"},
      {"select #1/1/29#, #1/1/30#", "47119|10959", "two-digit years: 00-29 are 2000s, 30-99 1900s"},
      {"select #2024-06-01 18:00#, #2024-06-01 6:00 PM#, #12:00 AM#, #6:30#",
       "45444.75|45444.75|0|0.270833333333333", "the time is the fraction of a day"},
      {"select #12/29/1899 6:00#", "-1.25", "before 1900 the fraction still counts forward"},
      {"select Year(#2024-06-01#), Month(#2024-06-01#), Day(#2024-06-01#)", "2024|6|1", ""},
      {"select Year(45444.75), Day(-1.25), Month('2024-06-01'), IsNull(Year(Null))", "2024|29|6|-1",
       "numbers and date texts are dates; Null stays Null"},
      {"select Weekday(#2024-06-01#), Weekday(#2024-06-02#), Weekday(#2024-06-03#, 2)", "7|1|1",
       "1 June 2024 was a Saturday; Sunday is day 1 unless another first day is given"},
      {"select DateSerial(2024, 6, 1), DateSerial(2024, 13, 1), DateSerial(2024, 3, 0)",
       "45444|45658|45351", "month 13 is next January, day 0 the last day of the month before"},
      {"select DateSerial(24, 1, 1) = #1/1/2024#, DateSerial(2024, 1, -30)", "-1|45261",
       "two-digit years as in literals; days count back past the start of the month"},
      {"select #2024-06-02# - #2024-06-01#, #2024-06-01# + 30 = #2024-07-01#", "1|-1",
       "dates subtract and add as days"},
      {"select Date() = Int(Now()), Date() > #2024-01-01#", "-1|-1", "today, and now with time"},
      {"select IsNull(Year('abc')), IsNull(DateSerial(10000, 1, 1))", "-1|-1",
       "no date: #Error in Jet, Null here; Jet keeps the years 100 to 9999"},
  });
  db_->Execute("CREATE TABLE s (姓名 text (10), 生日 DOUBLE)");
  db_->Execute("INSERT INTO s (姓名, 生日) VALUES ('甲', 39083)");  // as imported: 2007-01-01
  db_->Execute("INSERT INTO s (姓名, 生日) VALUES ('乙', #2008-03-15#)");
  EXPECT_EQ(Rows("select 姓名 from s where 生日 >= #1/1/2008#"), std::vector<std::string>{"乙"});
  EXPECT_EQ(Rows("select Year(生日) from s order by 生日"),
            (std::vector<std::string>{"2007", "2008"}));
}

// Names in brackets may hold spaces, quotes and reserved words; the
// translation quotes every name, so SQLite sees each as one name.
TEST_F(DialectTest, BracketedNamesMayHoldAnything) {
  db_->Execute(
      "CREATE TABLE [成绩 表] ([总 分] DOUBLE, [it's] text (10), [say \"hi\"] text (10), "
      "[select] LONG, [Left] DOUBLE, [Order] text (5), [a.b] LONG)");
  db_->Execute(
      "INSERT INTO [成绩 表] ([总 分], [it's], [say \"hi\"], [select], [Left], [Order], [a.b]) "
      "VALUES (1.5, 'x''y', 'q\"', 7, 8, 'o', 9)");
  Check({
      {"select [总 分], [it's], [say \"hi\"], [select], [Left], [Order], [a.b] from [成绩 表]",
       "1.5|x'y|q\"|7|8|o|9", "every name reads back"},
      {"select [成绩 表].[总 分] * 2 as [两 倍], t.[Left] from [成绩 表] as t, [成绩 表]", "3|8",
       "qualified names, and an alias with a space"},
      {"select count(*) from [成绩 表] where [select] = 7 and [Order] = 'o' group by [Left] "
       "order by [Left]",
       "1", "reserved words in brackets work in every clause"},
  });
  Recordset rs = db_->OpenRecordset("select [总 分] as [平均 分], Left([it's], 1) from [成绩 表]");
  EXPECT_EQ(rs.FieldName(0), "平均 分");
  EXPECT_EQ(rs.FieldValue(1), Value::Text("x")) << "Left( is still the function";
  rs.Close();
  EXPECT_EQ(db_->ColumnNames("成绩 表").front(), "总 分");
  db_->Execute("UPDATE [成绩 表] SET [总 分] = [总 分] + 1, [Left] = 0 WHERE [it's] = 'x''y'");
  EXPECT_EQ(One("select [总 分], [Left] from [成绩 表]"), "2.5|0");
}

// A subject named like a reserved word ("Left", "Order") cannot stand bare
// in a statement: the message must name it, so the user can rename it.
TEST_F(DialectTest, ReservedWordsNeedBracketsOthersDoNot) {
  db_->Execute("CREATE TABLE t ([Left] DOUBLE, [order] DOUBLE, [Select] DOUBLE)");
  const std::pair<const char*, const char*> refused[] = {
      {"select Left from t", "“Left”"},
      {"select order from t", "“order”"},
      {"select 1 from t where Select > 1", "“Select”"},
      {"CREATE TABLE u (from DOUBLE)", "“from”"},
  };
  for (const auto& [sql, token] : refused) {
    std::string got = ErrorOf(sql);
    EXPECT_NE(got.find("SQL 语句有误"), std::string::npos) << sql << "\n" << got;
    EXPECT_NE(got.find(token), std::string::npos) << sql << "\n" << got;
  }
  // Words SQLite reserves but Jet does not are plain names here.
  db_->Execute(
      "CREATE TABLE k (key LONG, limit LONG, replace LONG, index LONG, default LONG, glob LONG, "
      "offset LONG, view LONG, window LONG, 语文 DOUBLE)");
  db_->Execute(
      "INSERT INTO k (key, limit, replace, index, default, glob, offset, view, window, 语文) "
      "VALUES (1, 2, 3, 4, 5, 6, 7, 8, 9, 90)");
  EXPECT_EQ(One("select key, limit, replace, index, default, glob, offset, view, window from k "
                "where key = 1 order by limit"),
            "1|2|3|4|5|6|7|8|9");
  EXPECT_EQ(One("select k.key + k.window as total from k"), "10");
}

// Saved queries: stored under their names as Jet stores them, replaced,
// opened and joined by name, and kept when the statement they came from had
// a PROCEDURE clause with parameters or a trailing semicolon.
TEST_F(DialectTest, SavedQueriesRoundTrip) {
  db_->Execute("CREATE TABLE 成绩表 (学校 text (20), 班级 DOUBLE, 语文 DOUBLE)");
  for (const char* r : {"'一中', 1, 90", "'一中', 2, 70", "'二中', 1, 80", "'二中', 1, Null"}) {
    db_->Execute(std::string("INSERT INTO 成绩表 (学校, 班级, 语文) VALUES (") + r + ")");
  }
  db_->CreateQuery("NewQry1",
                   "PROCEDURE qname [lo] Long, [hi] Long; select 学校, 语文 from "
                   "成绩表 where 语文 >= 80 order by 语文 desc;");
  EXPECT_EQ(Rows("NewQry1"), (std::vector<std::string>{"一中|90", "二中|80"}))
      << "the PROCEDURE clause and its parameters are dropped, the ORDER BY kept";
  EXPECT_EQ(Rows("select * from newqry1 where 学校 = '二中'"), std::vector<std::string>{"二中|80"})
      << "names are found whatever their case";

  db_->CreateQuery("newqry1", "select 学校, avg(语文) as 平均 from 成绩表 group by 学校");
  EXPECT_EQ(db_->ColumnNames("NewQry1"), (std::vector<std::string>{"学校", "平均"}))
      << "creating a query under an existing name, in another case, replaces it";
  db_->CreateQuery("我的 查询", "select 学校 from NewQry1 where 平均 = 80 order by 学校");
  EXPECT_EQ(Rows("select * from [我的 查询]"), (std::vector<std::string>{"一中", "二中"}))
      << "a query over a query; a name with a space; both averages are 80";
  db_->CreateQuery("NewQry1", "select 学校, max(语文) as 平均 from 成绩表 group by 学校");
  EXPECT_EQ(Rows("我的 查询"), std::vector<std::string>{"二中"})
      << "a dependent query sees the replaced one (maxima 90 and 80), as Jet binds names when "
         "it runs";

  db_->DeleteQuery("NEWQRY1");
  EXPECT_FALSE(db_->QueryExists("NewQry1"));
  EXPECT_NE(ErrorOf("select * from [我的 查询]"), "") << "its dependent now fails";
  db_->CreateQuery("NewQry1", "select 学校, 80 as 平均 from 成绩表");
  EXPECT_EQ(Rows("我的 查询").size(), 4u) << "and works again once it is back";
  EXPECT_NE(ErrorOf("select * from NewQry9"), "");
  EXPECT_THROW(db_->CreateQuery("成绩表", "select 1"), Error) << "a table keeps its name";
  EXPECT_THROW(db_->CreateQuery("q", "DELETE FROM 成绩表"), Error) << "only a SELECT is a query";
  EXPECT_EQ(One("select count(*) from 成绩表"), "4");
}

}  // namespace
}  // namespace engine
