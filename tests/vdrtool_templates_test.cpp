// vdrtool's template commands run as real processes: new, labels, both
// exports, import and sql, with the data files the build puts beside the tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/store_test_util.h"
#include "tests/tool_process.h"

using namespace testutil;

namespace {

using Result = ToolResult;

std::string FileText(const std::string& path) {
  auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class VdrtoolTemplates : public ::testing::Test {
 protected:
  // Runs vdrtool in the scratch folder.
  Result Run(const std::vector<std::string>& args) { return RunTool(args, dir_, dir_.Path("")); }
  std::string Ok(const std::vector<std::string>& args) {
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << "\nstderr: " << r.err;
    return r.out;
  }
  std::string Path(const std::string& name) { return dir_.Path(name); }
  void Write(const std::string& name, const std::string& text) {
    WriteBytes(Path(name), std::vector<uint8_t>(text.begin(), text.end()));
  }

  ScratchDir dir_;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

TEST_F(VdrtoolTemplates, NewMakesWhatCreateMakesWithTheTemplatesTypes) {
  // Books.xml beside the tool: its type codes, version 1.
  Ok({"new", Path("books.vdr"), "Books.xml", "My books"});
  Ok({"create", Path("same.vdr"), "13", "12", "12", "1", "11", "12", "1", "11", "11", "11", "12",
      "10", "0", "13", "--name", "My books"});
  // The same bytes, but for the template's file name remembered in the header.
  std::vector<uint8_t> books = ReadBytes(Path("books.vdr"));
  ASSERT_GT(books.size(), 1352u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(books.data() + 752)), "Books.xml");
  std::fill(books.begin() + 752, books.begin() + 1352, 0);
  EXPECT_EQ(books, ReadBytes(Path("same.vdr")));
  const std::string info = Ok({"info", Path("books.vdr")});
  EXPECT_EQ(info.substr(0, 38), "fields\t14\nslots\t10\nactive\t1\nrecordSize");
  EXPECT_NE(info.find("\ntemplate\tBooks.xml\n"), std::string::npos);

  // A template given by its path, its version stored, the default name.
  Write("t.xml",
        "<Veldrana version=\"1.0\"><StyleFile><Ver>9</Ver><Records>2</Records>"
        "<Rec1><Type>2</Type></Rec1><Rec2><Type>11</Type></Rec2></StyleFile>");
  Ok({"new", Path("t.vdr"), Path("t.xml")});
  auto bytes = ReadBytes(Path("t.vdr"));
  EXPECT_EQ(WordAt(bytes, 608), 9u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 8), "Veldrana");
  EXPECT_EQ(WordAt(bytes, 1356), 2u);
  EXPECT_EQ(WordAt(bytes, 1444), 2u);
  EXPECT_EQ(WordAt(bytes, 1452), 11u);
  // The template in the current folder, named without a folder.
  Ok({"new", Path("t2.vdr"), "t.xml", "Other"});
  EXPECT_EQ(WordAt(ReadBytes(Path("t2.vdr")), 608), 9u);
}

TEST_F(VdrtoolTemplates, NewRefuses) {
  Write("decl.xml", "<?xml version=\"1.0\"?><Veldrana version=\"1.0\"><StyleFile></StyleFile>");
  Write("huge.xml", "<Veldrana version=\"1.0\"><StyleFile><Records>5000</Records></StyleFile>");
  Write("exists.vdr", "x");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"new", Path("a.vdr"), "decl.xml"}, "Not a template: decl.xml\n"},
      {{"new", Path("a.vdr"), "NoSuchTemplate.xml"}, "Not a template: NoSuchTemplate.xml\n"},
      {{"new", Path("a.vdr"), "huge.xml"}, "Cannot make a database from huge.xml\n"},
      {{"new", Path("exists.vdr"), "Books.xml"}, nullptr},
  };
  for (const Case& c : cases) {
    Result r = Run(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.args[2];
    if (c.message != nullptr) {
      EXPECT_EQ(r.err, c.message);
    }
  }
  EXPECT_FALSE(platform::FileExists(Path("a.vdr").c_str()));
  EXPECT_EQ(FileText(Path("exists.vdr")), "x");
  EXPECT_EQ(Run({"new", Path("a.vdr")}).exitCode, 2);
}

TEST_F(VdrtoolTemplates, LabelsAsOpenGivesThem) {
  // 44 fields: the world table.
  const std::string sample = HostPath(VELDRANA_SAMPLE_DATABASE);
  std::string labels = Ok({"labels", sample});
  EXPECT_EQ(labels.substr(0, 52), "Index\nRecord \nRecStat\nCountry\nOfficial name\nCapital\n");
  EXPECT_EQ(std::count(labels.begin(), labels.end(), '\n'), 47);
  EXPECT_EQ(labels.substr(labels.size() - 18), "Memberships\nNotes\n");

  // Any other count: the spare template's generic labels, one per field.
  Ok({"create", Path("three.vdr"), "12", "2", "11"});
  labels = Ok({"labels", Path("three.vdr")});
  EXPECT_EQ(labels, Lines({"Index", "Record ", "RecStat", "Field 1", "Field 2", "Field 3"}));

  // A database made from a template keeps its labels.
  Ok({"new", Path("mine.vdr"), "Books.xml"});
  EXPECT_EQ(Ok({"labels", Path("mine.vdr")}).substr(0, 35), "Index\nRecord \nRecStat\nTitle\nAuthor\n");

  // No active records: Open gives the columns all the same.
  Ok({"delete", Path("three.vdr"), "1"});
  EXPECT_EQ(Ok({"labels", Path("three.vdr")}), labels);

  Write("not.vdr", "not a database");
  Result r = Run({"labels", Path("not.vdr")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Not a Veldrana file\n");
}

TEST_F(VdrtoolTemplates, Export) {
  Ok({"create", Path("e.vdr"), "12", "2", "0"});
  Ok({"set", Path("e.vdr"), "1", "1", "say \"hi\", then go"});
  Ok({"set", Path("e.vdr"), "1", "2", "3000000000"});
  Ok({"set", Path("e.vdr"), "1", "3", "7"});
  Ok({"add", Path("e.vdr")});
  Ok({"add", Path("e.vdr")});
  Ok({"delete", Path("e.vdr"), "2"});
  // Slots 0 to 2 as written, then an empty line for each further slot.
  const std::string info = Ok({"info", Path("e.vdr")});
  const size_t at = info.find("slots\t");
  ASSERT_NE(at, std::string::npos);
  const int slots = std::stoi(info.substr(at + 6));
  ASSERT_GE(slots, 3);
  const std::string expected =
      "\"say \"\"hi\"\", then go\", \"3000000000\", \"7\", \r\r\"\", \"0\", \"0\", \r" +
      std::string(slots - 3, '\r');
  // OUT defaults to Veldrana.CSV in the current folder.
  EXPECT_EQ(Ok({"export", Path("e.vdr")}), "");
  EXPECT_EQ(FileText(Path("Veldrana.CSV")), expected);
  EXPECT_EQ(Ok({"export", Path("e.vdr"), Path("other.csv")}), "");
  EXPECT_EQ(FileText(Path("other.csv")), expected);

  Result r = Run({"export", Path("e.vdr"), Path("missing/out.csv")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Cannot write"), std::string::npos);
  EXPECT_EQ(Run({"export", Path("none.vdr")}).exitCode, 1);
}

TEST_F(VdrtoolTemplates, ImportAndExportForSpreadsheets) {
  // A record, so that Open gives the spare template's labels.
  Ok({"create", Path("t.vdr"), "12", "2", "0"});
  Write("in.csv", "Field 1; field 2 ;FIELD 3\r\nZ\xC3\xBCrich;42;7\r\n\"a;b\";;\r\n");
  EXPECT_EQ(Ok({"import", Path("t.vdr"), Path("in.csv")}), "2\n");
  EXPECT_EQ(Ok({"list", Path("t.vdr")}), "0\t1\t10\t\t0\t0\n1\t2\t10\tZ\xFCrich\t42\t7\n2\t3\t10\ta;b\t0\t0\n");
  const auto before = ReadBytes(Path("t.vdr"));
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  } refused[] = {
      {{"import", Path("t.vdr"), Path("in.csv"), "--no-header"}, 1,
       "Not imported: line 1, field 2: not a whole number 0 - 4294967295\n"},
      {{"import", Path("t.vdr"), Path("none.csv")}, 1, nullptr},
      {{"import", Path("none.vdr"), Path("in.csv")}, 1, "Not a Veldrana file\n"},
      {{"import", Path("t.vdr"), Path("in.csv"), "--headers"}, 2, nullptr},
  };
  for (const auto& c : refused) {
    Result r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
    if (c.err != nullptr) {
      EXPECT_EQ(r.err, c.err);
    }
  }
  EXPECT_EQ(ReadBytes(Path("t.vdr")), before);
  EXPECT_FALSE(platform::FileExists(Path("t.vdr.vdrtool-tmp").c_str()));
  Write("no-names.csv", "x,1\n");
  EXPECT_EQ(Ok({"import", Path("t.vdr"), Path("no-names.csv"), "--header"}), "0\n");

  EXPECT_EQ(Ok({"export", Path("t.vdr"), Path("sheet.csv"), "--spreadsheet"}), "");
  EXPECT_EQ(FileText(Path("sheet.csv")),
            "\xEF\xBB\xBF" "Field 1,Field 2,Field 3\r\n,0,0\r\nZ\xC3\xBCrich,42,7\r\na;b,0,0\r\n");
  // Only the records a filter shows; the plain export has no filter.
  EXPECT_EQ(Ok({"export", Path("t.vdr"), Path("some.csv"), "--spreadsheet", "--filter", "RICH"}), "");
  EXPECT_EQ(FileText(Path("some.csv")), "\xEF\xBB\xBF" "Field 1,Field 2,Field 3\r\nZ\xC3\xBCrich,42,7\r\n");
  EXPECT_EQ(Run({"export", Path("t.vdr"), Path("all.csv"), "--filter", "x"}).exitCode, 2);
}

// The SQL script loaded into the sqlite3 shell holds the same table.
TEST_F(VdrtoolTemplates, SqlLoadsIntoTheSqliteShell) {
#ifdef _WIN32
  GTEST_SKIP() << "the sqlite3 shell is a program of the host; the native tree runs this";
#else
  if (std::system("sqlite3 -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no sqlite3 shell";
  Ok({"create", Path("books.vdr"), "12", "2", "0", "11"});
  const std::vector<std::vector<std::string>> rows = {
      {"O'Brien \"Q\"", "4294967295", "255", "Caf\xE9"}, {"gone", "1", "1", "x"}, {"two\nlines", "0", "0", ""}};
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r > 0) Ok({"add", Path("books.vdr")});
    for (size_t f = 0; f < 4; ++f)
      Ok({"set", Path("books.vdr"), std::to_string(r + 1), std::to_string(f + 1), rows[r][f]});
  }
  Ok({"delete", Path("books.vdr"), "2"});
  Write("books.sql", Ok({"sql", Path("books.vdr")}));
  Write("other.sql", Ok({"sql", Path("books.vdr"), "My \"table\""}));
  const std::string db = Path("books.sqlite");
  ASSERT_EQ(std::system(("sqlite3 '" + db + "' < '" + Path("books.sql") + "' && sqlite3 '" + db +
                         "' < '" + Path("other.sql") + "'").c_str()),
            0);
  auto query = [&](const std::string& sql) {
    std::string out;
    FILE* pipe = popen(("sqlite3 -separator '|' '" + db + "' '" + sql + "'").c_str(), "r");
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    if (pipe != nullptr) pclose(pipe);
    return out;
  };
  EXPECT_EQ(query("SELECT name, type FROM pragma_table_info(\"books\")"),
            "Field 1|TEXT\nField 2|BIGINT\nField 3|BIGINT\nField 4|TEXT\n");
  const std::string held = "O'Brien \"Q\"|4294967295|255|Caf\xC3\xA9\ntwo\nlines|0|0|\n";
  EXPECT_EQ(query("SELECT * FROM books ORDER BY rowid"), held);
  EXPECT_EQ(query("SELECT * FROM \"My \"\"table\"\"\" ORDER BY rowid"), held);
  EXPECT_EQ(query("SELECT typeof(\"Field 2\") FROM books LIMIT 1"), "integer\n");
#endif
}

}  // namespace
