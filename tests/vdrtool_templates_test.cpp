// vdrtool's template commands run as real processes: new, labels and export,
// with the data files the build puts beside the tool.
#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
