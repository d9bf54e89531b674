// Stored queries written back as SQL: one query of each kind, the texts as
// the desktop program shows them in its SQL view.
#include <gtest/gtest.h>

#include "engine/mdb/MdbCorpus.h"
#include "engine/mdb/MdbStorage.h"
#include "engine/mdb/QueryText.h"

namespace telvarn::test {
namespace {

using mdb::MdbStorage;
using mdb::QueryRow;

std::string sqlOf(MdbStorage& storage, const std::string& name) {
  const auto query = storage.findQuery(name);
  return query ? query->sql : "<missing>";
}

TEST(MdbQueryText, EachKindOfQueryReadsBackAsSql) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage db(corpusFile("queryTestV2000.mdb"));
  EXPECT_EQ(sqlOf(db, "SelectQuery"),
            "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
            "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
            "(Table3.col1 = Table2.col1) AND (Table3.col1 = Table2.col2)\r\n"
            "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
            "ORDER BY Table2.col1;");
  EXPECT_EQ(sqlOf(db, "UpdateQuery"),
            "PARAMETERS [User Name] Text ( 255 );\r\n"
            "UPDATE Table1 SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], "
            "[Table2].[col1] = [User Name]\r\n"
            "WHERE ((([Table2].[col1]) Is Not Null));");
  EXPECT_EQ(sqlOf(db, "AppendQuery"),
            "INSERT INTO Table3 ( col2, col2, col3 )\r\n"
            "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
            "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];");
  EXPECT_EQ(sqlOf(db, "DeleteQuery"),
            "DELETE Table1.col1, Table1.col2, Table1.col3\r\n"
            "FROM Table1\r\n"
            "WHERE (((Table1.col1)>\"blah\"));");
  EXPECT_EQ(sqlOf(db, "MakeTableQuery"),
            "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
            "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
            "Table1.col2 = Table3.col3\r\n"
            "GROUP BY Table2.col2, Table3.col2\r\n"
            "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));");
  EXPECT_EQ(sqlOf(db, "CrosstabQuery"),
            "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
            "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
            "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 "
            "AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
            "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
            "((Avg(Table2_1.col2))>\"10\"))\r\n"
            "GROUP BY Table2_1.col1, [Table2].[col3]\r\n"
            "ORDER BY [Table2].[col3]\r\n"
            "PIVOT [Table1].[col1];");
  // A union keeps the text of each part; the parts are joined by the
  // operator the query's options give, on a line of its own even where a
  // part's text ends with a line break.
  EXPECT_EQ(sqlOf(db, "UnionQuery"),
            "Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
            "Select Table2.col1, Table2.col2\r\n"
            "UNION ALL Select Table3.col1, Table3.col2\r\nwhere Table3.col3 > \"blah\";");
  EXPECT_EQ(sqlOf(db, "PassthroughQuery"), "ALTER TABLE Table4 DROP COLUMN col5;");
  EXPECT_EQ(sqlOf(db, "DataDefinitionQuery"), "CREATE TABLE Table5 (col1 CHAR, col2 CHAR);");
}

// Northwind's queries as its SQL view shows them.
TEST(MdbQueryText, ParametersAndUnionsOfTheSampleDatabase) {
  SKIP_WITHOUT_CORPUS();
  MdbStorage db(corpusFile("Northwind_Access2000.mdb"));
  const std::string sales = sqlOf(db, "Employee Sales by Country");
  EXPECT_EQ(sales.substr(0, sales.find("\r\n")),
            "PARAMETERS [Beginning Date] DateTime, [Ending Date] DateTime;");
  const std::string byYear = sqlOf(db, "Sales by Year");
  EXPECT_EQ(byYear.substr(0, byYear.find("\r\n")),
            "PARAMETERS [Forms]![Sales by Year Dialog]![BeginningDate] DateTime, "
            "[Forms]![Sales by Year Dialog]![EndingDate] DateTime;");
  EXPECT_EQ(sqlOf(db, "Customers and Suppliers by City"),
            "SELECT City, CompanyName, ContactName, \"Customers\" AS [Relationship] \r\n"
            "FROM Customers\r\n"
            "UNION SELECT City, CompanyName, ContactName, \"Suppliers\"\r\n"
            "FROM Suppliers\r\n"
            "ORDER BY City, CompanyName;");
}

QueryRow row(int part, int flag, std::string name1, std::string name2, std::string expression,
             int extra = 0) {
  return {part, flag, std::move(name1), std::move(name2), std::move(expression), extra};
}

TEST(MdbQueryText, TextParametersKeepTheirSize) {
  using namespace mdb::QueryPart;
  const std::vector<QueryRow> rows = {row(Kind, 1, "", "", ""),
                                      row(Parameter, 10, "Town", "", "", 50),
                                      row(Parameter, 10, "Initial", "", "", 1),
                                      row(Parameter, 10, "Any Text", "", ""),
                                      row(Parameter, 4, "[Count]", "", ""),
                                      row(Table, 0, "T", "", ""),
                                      row(Column, 0, "", "", "T.Name")};
  EXPECT_EQ(mdb::querySql(rows),
            "PARAMETERS Town Text ( 50 ), Initial Text ( 1 ), [Any Text] Text ( 255 ), "
            "[Count] Long;\r\n"
            "SELECT T.Name\r\nFROM T;");
}

TEST(MdbQueryText, OptionsAliasesAndDescendingOrder) {
  using namespace mdb::QueryPart;
  const std::vector<QueryRow> rows = {row(Kind, 1, "", "", ""),
                                      row(Options, 0x10 | 0x20, "25", "", ""),
                                      row(Table, 0, "Order Details", "od", ""),
                                      row(Column, 0, "Total", "", "Sum(od.Qty)"),
                                      row(OrderBy, 0, "D", "", "Sum(od.Qty)"),
                                      row(OrderBy, 0, "", "", "od.ID")};
  EXPECT_EQ(mdb::querySql(rows),
            "SELECT TOP 25 PERCENT Sum(od.Qty) AS Total\r\n"
            "FROM [Order Details] AS od\r\n"
            "ORDER BY Sum(od.Qty) DESC, od.ID;");
  const std::vector<QueryRow> star = {row(Kind, 1, "", "", ""),
                                      row(Options, 0x01 | 0x08 | 0x04, "", "", ""),
                                      row(Table, 0, "T", "", "")};
  EXPECT_EQ(mdb::querySql(star), "SELECT DISTINCTROW *\r\nFROM T\r\nWITH OWNERACCESS OPTION;");
}

}  // namespace
}  // namespace telvarn::test
