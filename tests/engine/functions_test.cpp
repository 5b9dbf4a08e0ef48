// Jet's expression semantics as SQLite runs them after translation.
#include <gtest/gtest.h>

#include "engine_test_util.h"

namespace engine {
namespace {

class JetFunctionsTest : public testing::TempDatabaseTest {};

struct Case {
  const char* select;
  const char* expected;
};

TEST_F(JetFunctionsTest, ExpressionsGiveJetResults) {
  db_->Execute("CREATE TABLE t (x DOUBLE)");
  for (const char* v : {"1", "2", "3", "4"}) {
    db_->Execute(std::string("INSERT INTO t (x) VALUES (") + v + ")");
  }
  const Case cases[] = {
      {"select cint(2.5), cint(3.5), cint(-2.5), 7/2", "2|4|-2|3.5"},
      {"select cint(0.5), cint(1.5), CINT(Null), cint(123456.5)", "0|2||123456"},
      {"select Int(-8.4), Fix(-8.4), Int(Null), 7\\2, 7 mod 3", "-9|-8||3|1"},
      {"select 1/0, 5\\0, 5 mod 0, 2^3, -2^2", "|||8|-4"},
      {"select iif(Null>=85,1,0), IIf(3>2,'yes',1/0), iif(0,1,2)", "0|yes|2"},
      {"select IsNull(Null), ISNULL(3), isnull('')", "-1|0|0"},
      {"select 'a' & Null & 1, Null & Null, 2.0 & 'x', 1e20 & ''", "a1||2x|1E+20"},
      {"select Chr(65) & Chr(20013), Len('语文ab'), Left('语文ab',1), Right('abc',2)",
       "A中|4|语|bc"},
      {"select Mid('abcdef',2,3), Mid('abcdef',5), Trim('  a  '), Val('85分')", "bcd|ef|a|85"},
      {"select Str(5), CStr(2.5), CDbl('3'), CLng(2.5), Abs(-3), Sqr(16), Round(0.125,2), "
       "Round(2.5)",
       " 5|2.5|3|2|3|4|0.12|2"},
      {"select Nz(Null, 7), Nz(3), True, False, 3 between 1 and 5, 'ab' like 'a*'",
       "7|3|-1|0|-1|-1"},  // Between and Like are truths, and Jet's True is -1
      {"select StDev(x), StDevP(x), count(x), avg(x), sum(x) from t",
       "1.29099444873581|1.11803398874989|4|2.5|10"},
      {"select StDev(x) from t where x=1", ""},
      {"select count(*), count(x), max(x), min(x), StDev(x) from t where x>10", "0|0|||"},
      {"select 'it''s', \"say \"\"hi\"\"\", [x] from t where x in (2)", "it's|say \"hi\"|2"},
  };
  for (const Case& c : cases) EXPECT_EQ(One(c.select), c.expected) << c.select;
}

TEST_F(JetFunctionsTest, RatesRoundLikeTheReports) {
  db_->Execute("CREATE TABLE s (语文 DOUBLE)");
  for (const char* v : {"90", "86", "40", "Null"}) {
    db_->Execute(std::string("INSERT INTO s (语文) VALUES (") + v + ")");
  }
  EXPECT_EQ(One("select cint(count(iif([语文]>=85,1,null))*10000/count(语文))/100 from s"),
            "66.67");
  EXPECT_EQ(One("select count(iif([语文]>=85,1,null))*10000/count(语文) from s"),
            "6666.66666666667");
  EXPECT_EQ(One("select cint(count(iif([语文]>=85,1,null))*10000/count(语文))/100 from s "
                "where 语文 is null"),
            "");
}

}  // namespace
}  // namespace engine
