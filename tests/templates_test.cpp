// The StyleFile reader, the template list, template lookup, list columns and
// databases made from templates, and the data files shipped with the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/settings.h"
#include "data/sample_database.h"
#include "store/database_file.h"
#include "core/templates/style_file.h"
#include "core/templates/template_labels.h"
#include "core/templates/template_database.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

const std::string kDataDir = std::string(VELDRANA_SOURCE_DIR) + "/data/";

#ifdef _WIN32
const char kSeparator[] = "\\";
#else
const char kSeparator[] = "/";
#endif

const std::string kHead = "<Veldrana version=\"1.0\">\r\n";

struct StyleText {
  explicit StyleText(const std::string& text) : text(text) {
    file = OpenStyleText(this->text.data(), this->text.size());
  }
  ~StyleText() { CloseStyleFile(file); }
  std::string text;
  StyleFile* file;
};

// The value of a tag path, or "<absent>" when it is not found.
std::string Value(const std::string& text, const std::string& path) {
  StyleText style(text);
  if (style.file == nullptr) return "<not a template>";
  char value[kTagTextSize] = "<absent>";
  FindTagValue(style.file, path.c_str(), value, sizeof value);
  return value;
}

std::vector<std::string> Tags(const std::string& text) {
  // Read through a template whose version tag comes first.
  const std::string copy = kHead + text;
  StyleFile* file = OpenStyleText(copy.data(), copy.size());
  std::vector<std::string> tags;
  char tag[kTagTextSize];
  while (file != nullptr && ReadNextTag(file, tag, sizeof tag)) tags.push_back(tag);
  CloseStyleFile(file);
  return tags;
}

TEST(StyleReader, ReadNextTag) {
  struct Case {
    std::string text;
    std::vector<std::string> tags;
  } cases[] = {
      {"<a>x<b>", {"a", "b"}},
      {"text <Label>Name</Label>", {"Label", "Label"}},
      {"<Rec1/>", {"Rec1"}},
      {"<a/b/c>", {"abc"}},
      {"<>", {""}},
      {"<unfinished", {"unfinished"}},
      {"no tags at all", {}},
      {"<x y=\"1\">", {"x y=\"1\""}},
      {"<<a>", {"<a"}},
      {"<a\r\nb>", {"a\r\nb"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tags(c.text), c.tags) << c.text;
}

TEST(StyleReader, SplitTagPath) {
  struct Case {
    const char* path;
    int result;
    const char* first;
    const char* rest;
  } cases[] = {
      {"<StyleFile><Records>", 1, "StyleFile", "<Records>"},
      {"<Records>", 2, "Records", "<Records>"},
      {"<a><b><c>", 1, "a", "<b><c>"},
      {"<a", 0, "", "<a"},
      {"", 0, "", ""},
      {"<>", 2, "", "<>"},
      {"x>y", 1, "", "y"},  // the first character is skipped whatever it is
  };
  for (const Case& c : cases) {
    char path[kTagTextSize];
    std::strcpy(path, c.path);
    char first[kTagTextSize] = "";
    EXPECT_EQ(SplitTagPath(path, first, sizeof first), c.result) << c.path;
    if (c.result != 0) {
      EXPECT_STREQ(first, c.first) << c.path;
    }
    EXPECT_STREQ(path, c.rest) << c.path;
  }
}

TEST(StyleReader, FindTagValueQuirks) {
  const std::string fields =
      kHead +
      "<StyleFile>\r\n<LongName>My list</LongName>\r\n<Records>2</Records>\r\n"
      "<Rec1><Type>12</Type><Width>80</Width></Rec1>\r\n"
      "<Rec2><Label>Second</Label><Width> 80</Width></Rec2>\r\n</StyleFile>\r\n";
  struct Case {
    std::string text;
    std::string path;
    std::string value;
  } cases[] = {
      {fields, "<StyleFile><LongName>", "My list"},
      {fields, "<StyleFile><Records>", "2"},
      {fields, "<StyleFile><Rec1><Width>", "80"},
      // Rec1 has no Label: the search ends at </Rec1>, though Rec2 has one.
      {fields, "<StyleFile><Rec1><Label>", "<absent>"},
      {fields, "<StyleFile><Rec2><Label>", "Second"},
      // No trimming: the blank stays part of the value.
      {fields, "<StyleFile><Rec2><Width>", " 80"},
      {fields, "<StyleFile><Rec3><Width>", "<absent>"},
      {fields, "<StyleFile><Ver>", "<absent>"},
      {fields, "<StyleFile><Records", "<absent>"},
      // Values run to "<", CR, LF or the end of the file.
      {kHead + "<StyleFile><LongName>\r\nName on the next line</LongName>", "<StyleFile><LongName>", ""},
      {kHead + "<StyleFile><LongName>a\nb", "<StyleFile><LongName>", "a"},
      {kHead + "<StyleFile><LongName>  spaced out  ", "<StyleFile><LongName>", "  spaced out  "},
      {kHead + "<StyleFile><LongName>", "<StyleFile><LongName>", ""},
      // Rec01 is not Rec1.
      {kHead + "<StyleFile><Rec01><Width>5</Width></Rec01>", "<StyleFile><Rec1><Width>", "<absent>"},
      // Nesting is not tracked: the first tag of the name after the parent
      // matches at any depth.
      {kHead + "<StyleFile><Rec1><Extra><Width>7</Width></Extra></Rec1>", "<StyleFile><Rec1><Width>", "7"},
      // A closing tag is the same name: </Label> matches a search for Label.
      {kHead + "<StyleFile><Rec1></Label>late<Label>x</Label></Rec1>", "<StyleFile><Rec1><Label>", "late"},
      // Closing the parent before the child ends the search.
      {kHead + "<StyleFile></StyleFile><LongName>outside", "<StyleFile><LongName>", "<absent>"},
      // The version tag is the outermost parent: a closing tag of it ends
      // the search for StyleFile.
      {kHead + "</Veldrana version=\"1.0\"><StyleFile>", "<StyleFile>", "<absent>"},
      {kHead + "<stylefile><LongName>x", "<StyleFile><LongName>", "<absent>"},
      // Lookups are independent of order: every one starts at the top.
      {kHead + "<StyleFile><B>2</B><A>1</A>", "<StyleFile><A>", "1"},
      {kHead + "<StyleFile><B>2</B><A>1</A>", "<StyleFile><B>", "2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Value(c.text, c.path), c.value) << c.text << " " << c.path;
}

TEST(StyleReader, VersionTagMustComeFirst) {
  struct Case {
    std::string text;
    bool accepted;
  } cases[] = {
      {"<Veldrana version=\"1.0\">", true},
      {"<Veldrana version=\"1.0\"/>", true},  // "/" is dropped from every tag
      {"before <Veldrana version=\"1.0\">", true},
      {"<?xml version=\"1.0\"?>\r\n<Veldrana version=\"1.0\">", false},
      {"<Veldrana version='1.0'>", false},
      {"<Veldrana  version=\"1.0\">", false},
      {"<Veldrana version=\"1.0\" >", false},
      {"<veldrana version=\"1.0\">", false},
      {"<Veldrana version=\"1.1\">", false},
      {"", false},
      {"Veldrana version=\"1.0\"", false},
  };
  for (const Case& c : cases) {
    StyleText style(c.text);
    EXPECT_EQ(style.file != nullptr, c.accepted) << c.text;
  }
}

TEST(StyleReader, LongTextsAreCutToTheirBuffers) {
  const std::string longName(700, 'n');
  const std::string text = kHead + "<StyleFile><LongName>" + longName + "</LongName><" +
                           std::string(650, 't') + "><After>ok</After>";
  StyleText style(text);
  ASSERT_NE(style.file, nullptr);
  char value[kTagTextSize];
  ASSERT_TRUE(FindTagValue(style.file, "<StyleFile><LongName>", value, sizeof value));
  EXPECT_EQ(std::string(value), longName.substr(0, 599));
  // A long tag is read whole (its rest dropped), so the tags after it are found.
  ASSERT_TRUE(FindTagValue(style.file, "<StyleFile><After>", value, sizeof value));
  EXPECT_STREQ(value, "ok");
  char small[4] = "xyz";
  ASSERT_TRUE(FindTagValue(style.file, "<StyleFile><After>", small, sizeof small));
  EXPECT_STREQ(small, "ok");
  ASSERT_TRUE(FindTagValue(style.file, "<StyleFile><LongName>", small, sizeof small));
  EXPECT_STREQ(small, "nnn");

  // A tag name keeps its first 599 characters.
  std::vector<std::string> tags = Tags("<" + std::string(700, 'q') + ">");
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0], std::string(599, 'q'));
  char buffer[3];
  std::string text2 = kHead + "<abcdef>";
  StyleFile* file = OpenStyleText(text2.data(), text2.size());
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(ReadNextTag(file, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "ab");
  CloseStyleFile(file);
}

TEST(StyleReader, FindTagNumberAndPaths) {
  char path[kTagTextSize];
  FieldTagPath(12, "<Width>", path, sizeof path);
  EXPECT_STREQ(path, "<StyleFile><Rec12><Width>");
  const std::string text = kHead + "<StyleFile><Records>44</Records><Ver> 1</Ver><Odd>1a</Odd>";
  StyleText style(text);
  EXPECT_EQ(FindTagNumber(style.file, "<StyleFile><Records>"), 44u);
  EXPECT_EQ(FindTagNumber(style.file, "<StyleFile><Missing>"), 0u);
  // Every character counts as a digit: " 1" is ((32 - 48) mod 256) * 10 + 1.
  EXPECT_EQ(FindTagNumber(style.file, "<StyleFile><Ver>"), 2401u);
  EXPECT_EQ(FindTagNumber(style.file, "<StyleFile><Odd>"), 59u);
}

// A scratch folder pair for the lookup: data folder and program folder.
struct Folders {
  Folders() {
    data = dir.Path("data") + kSeparator;
    program = dir.Path("program") + kSeparator;
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(program);
    SetFolders(program.c_str(), data.c_str());
  }
  void Write(const std::string& folder, const std::string& name, const std::string& text) {
    WriteBytes(folder + name, std::vector<uint8_t>(text.begin(), text.end()));
  }
  ScratchDir dir;
  std::string data;
  std::string program;
};

TEST(StyleLookup, DataFolderFirstThenProgramFolder) {
  Folders folders;
  char path[kFolderSize];
  LocateDataFile("a.xml", path, sizeof path);
  EXPECT_EQ(std::string(path), folders.program + "a.xml");  // no test for the program folder
  folders.Write(folders.program, "a.xml", "p");
  LocateDataFile("a.xml", path, sizeof path);
  EXPECT_EQ(std::string(path), folders.program + "a.xml");
  folders.Write(folders.data, "a.xml", "d");
  LocateDataFile("a.xml", path, sizeof path);
  EXPECT_EQ(std::string(path), folders.data + "a.xml");
  EXPECT_EQ(std::string(workingCopyPath), folders.data + "Temp.dat");

  // A name that does not fit after the folder gives no path at all.
  std::string longName(kFolderSize, 'x');
  LocateDataFile(longName.c_str(), path, sizeof path);
  EXPECT_STREQ(path, "");
}

std::string Template(const std::string& body) {
  return kHead + "<StyleFile>\r\n" + body + "</StyleFile>\r\n";
}

class StyleColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&settings, 0, sizeof settings);
    SetDefaultSettings();
    settings.indexColumnWidth = 61;
    FreeColumnLabels();
    std::strcpy(sourceName, "previous");
    styleFieldCount = 77;
  }
  void TearDown() override { FreeColumnLabels(); }
  int Load(const std::string& text) {
    folders.Write(folders.program, "t.xml", text);
    std::strcpy(templateFileName, "t.xml");
    return ReadStyleColumns(&columns);
  }
  std::vector<std::pair<std::string, uint32_t>> Columns() const {
    std::vector<std::pair<std::string, uint32_t>> out;
    for (const ListColumn& c : columns) out.emplace_back(c.label, c.width);
    return out;
  }
  Folders folders;
  std::vector<ListColumn> columns;
};

using Cols = std::vector<std::pair<std::string, uint32_t>>;

TEST_F(StyleColumns, FixedColumnsThenOnePerField) {
  ASSERT_EQ(Load(Template("<LongName>Books</LongName><Records>2</Records>\r\n"
                          "<Rec2><Width>90</Width><Label>Author</Label></Rec2>\r\n"
                          "<Rec1><Label>Title</Label><Width>150</Width></Rec1>\r\n")),
            1);
  EXPECT_EQ(Columns(), (Cols{{"Index", 61}, {"Record ", 50}, {"RecStat", 50}, {"Title", 150},
                             {"Author", 90}}));
  EXPECT_STREQ(sourceName, "Books");
  EXPECT_EQ(styleFieldCount, 2u);
  EXPECT_EQ(columnLabelSlots, 3u);
  EXPECT_STREQ(FieldLabel(1), "Title");
  EXPECT_STREQ(FieldLabel(2), "Author");
  EXPECT_STREQ(FieldLabel(3), "");  // the spare slot
  EXPECT_EQ(FieldLabel(4), nullptr);
  EXPECT_EQ(FieldLabel(0), nullptr);
}

TEST_F(StyleColumns, AbsentValues) {
  // No LongName keeps the previous source; no Records reads as 0, and the
  // field loop still runs once; an absent Width is 0 and a Label empty.
  ASSERT_EQ(Load(Template("<Rec1><Label>Only</Label></Rec1>")), 1);
  EXPECT_STREQ(sourceName, "previous");
  EXPECT_EQ(styleFieldCount, 0u);
  EXPECT_EQ(Columns(), (Cols{{"Index", 61}, {"Record ", 50}, {"RecStat", 50}, {"Only", 0}}));
  EXPECT_EQ(columnLabelSlots, 1u);
  EXPECT_STREQ(FieldLabel(1), "Only");

  ASSERT_EQ(Load(Template("<Records>2</Records><Rec2><Width>5</Width></Rec2>")), 1);
  EXPECT_EQ(Columns(), (Cols{{"Index", 61}, {"Record ", 50}, {"RecStat", 50}, {"", 0}, {"", 5}}));
}

TEST_F(StyleColumns, LabelsAreCutTo99Characters) {
  const std::string label(150, 'L');
  ASSERT_EQ(Load(Template("<Records>1</Records><Rec1><Label>" + label + "</Label></Rec1>")), 1);
  EXPECT_EQ(std::string(FieldLabel(1)), label.substr(0, 99));
  EXPECT_EQ(std::string(columns[3].label), label.substr(0, 99));
}

TEST_F(StyleColumns, UnreadableTemplatesChangeNothing) {
  ASSERT_EQ(Load(Template("<LongName>First</LongName><Records>1</Records>")), 1);
  const char* block = columnLabels;
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"an XML declaration first", "<?xml version=\"1.0\"?>" + Template("<Records>1</Records>")},
      {"more fields than a database may have",
       Template("<LongName>Huge</LongName><Records>4097</Records>")},
      {"a count that wraps", Template("<LongName>Huge</LongName><Records>99999999999</Records>")},
      {"an empty file", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.text), 0) << c.what;
    EXPECT_TRUE(columns.empty()) << c.what;
    EXPECT_STREQ(sourceName, "First") << c.what;
    EXPECT_EQ(styleFieldCount, 1u) << c.what;
    EXPECT_EQ(columnLabels, block) << c.what;
  }
  std::strcpy(templateFileName, "missing.xml");
  EXPECT_EQ(ReadStyleColumns(&columns), 0);
  EXPECT_EQ(columnLabels, block);
  // The largest count a database may have is accepted.
  EXPECT_EQ(Load(Template("<Records>4096</Records>")), 1);
  EXPECT_EQ(columns.size(), 4099u);
}

// --- StyleLst.txt ---

struct ListResult {
  std::vector<std::string> names;
  std::vector<std::string> files;
};

ListResult ParseList(const std::string& text, size_t piece = 0) {
  auto list = std::make_unique<TemplateList>();
  TemplateListReader reader;
  StartTemplateList(&reader, list.get());
  if (piece == 0) piece = text.size() + 1;
  for (size_t i = 0; i < text.size(); i += piece)
    FeedTemplateList(&reader, text.data() + i, std::min(piece, text.size() - i));
  ListResult result;
  for (uint32_t i = 0; i < list->nameCount; ++i) result.names.push_back(list->names[i]);
  for (uint32_t i = 0; i < list->fileCount; ++i) result.files.push_back(list->files[i]);
  return result;
}

using Strings = std::vector<std::string>;

TEST(TemplateList, Rules) {
  struct Case {
    const char* what;
    std::string text;
    Strings names;
    Strings files;
  } cases[] = {
      {"pairs", "Books\rBooks.xml\rAddresses\rAdr.xml\r", {"Books", "Addresses"}, {"Books.xml", "Adr.xml"}},
      {"CR LF line ends", "Books\r\nBooks.xml\r\n", {"Books"}, {"Books.xml"}},
      {"LF anywhere is ignored", "Bo\nok\ns\rBooks.\nxml\r", {"Books"}, {"Books.xml"}},
      {"LF-only line ends", "Books\nBooks.xml\n", {}, {}},
      {"unterminated last line", "Books\rBooks.xml", {"Books"}, {}},
      {"blank and short lines between pairs", "\r\rAb\rBooks\r12\rBooks.xml\r  \r", {"Books"}, {"Books.xml"}},
      {"three characters count", "abc\rdef\r", {"abc"}, {"def"}},
      {"a name without a file", "A list\rA.xml\rLonely\r", {"A list", "Lonely"}, {"A.xml"}},
      {"empty", "", {}, {}},
      {"blanks are characters", "   \r   \r", {"   "}, {"   "}},
  };
  for (const Case& c : cases) {
    for (size_t piece : {size_t{0}, size_t{1}, size_t{3}}) {
      ListResult r = ParseList(c.text, piece);
      EXPECT_EQ(r.names, c.names) << c.what << " piece " << piece;
      EXPECT_EQ(r.files, c.files) << c.what << " piece " << piece;
    }
  }
}

TEST(TemplateList, Limits) {
  // A line over 599 characters keeps its first 599; the pairing goes on.
  const std::string longLine(1000, 'x');
  ListResult r = ParseList(longLine + "\r" + longLine + "y\rNext\rNext.xml\r");
  ASSERT_EQ(r.names.size(), 2u);
  EXPECT_EQ(r.names[0], longLine.substr(0, 599));
  EXPECT_EQ(r.files[0], longLine.substr(0, 599));
  EXPECT_EQ(r.names[1], "Next");
  EXPECT_EQ(r.files[1], "Next.xml");

  // At most 100 entries: the 101st pair is ignored.
  std::string many;
  for (int i = 0; i < 101; ++i) many += "Name " + std::to_string(i) + "\rFile" + std::to_string(i) + ".xml\r";
  r = ParseList(many);
  ASSERT_EQ(r.names.size(), 100u);
  ASSERT_EQ(r.files.size(), 100u);
  EXPECT_EQ(r.names[99], "Name 99");
  EXPECT_EQ(r.files[99], "File99.xml");
}

TEST(TemplateList, ReadFromTheFolders) {
  Folders folders;
  auto list = std::make_unique<TemplateList>();
  EXPECT_EQ(ReadTemplateList(list.get()), 0);
  EXPECT_EQ(list->nameCount, 0u);
  folders.Write(folders.program, "StyleLst.txt", "Program\rP.xml\r");
  EXPECT_EQ(ReadTemplateList(list.get()), 1);
  ASSERT_EQ(list->fileCount, 1u);
  EXPECT_STREQ(list->files[0], "P.xml");
  folders.Write(folders.data, "StyleLst.txt", "Data\rD.xml\rMore\rM.xml\r");
  EXPECT_EQ(ReadTemplateList(list.get()), 1);
  ASSERT_EQ(list->fileCount, 2u);
  EXPECT_STREQ(list->names[0], "Data");
  EXPECT_STREQ(list->files[1], "M.xml");
}

// The template a database remembers gives it its labels only when it is a
// plain file name, found, and of the database's field count; anything else
// falls back to the template by field count.
TEST_F(StyleColumns, TheRememberedTemplateOrTheFallback) {
  folders.Write(folders.data, "Two.xml", Template("<Records>2</Records><Rec1><Label>A</Label></Rec1>"));
  folders.Write(folders.data, "Three.xml", Template("<Records>3</Records>"));
  const std::string outside = Template("<Records>2</Records>");
  WriteBytes(folders.dir.Path("x.xml"), std::vector<uint8_t>(outside.begin(), outside.end()));
  const std::string area(store::kTemplateNameSize, 'n');
  const struct {
    std::string name;
    const char* used;
  } cases[] = {
      {"Two.xml", "Two.xml"},
      {"", "Spare.xml"},              // files made elsewhere hold zeros
      {"Missing.xml", "Spare.xml"},
      {"Three.xml", "Spare.xml"},     // another field count
      {"../x.xml", "Spare.xml"},      // never a way out of the folder
      {"..\\x.xml", "Spare.xml"},
      {folders.dir.Path("x.xml"), "Spare.xml"},
      {"C:x.xml", "Spare.xml"},
      {std::string(257, 'a') + ".xml", "Spare.xml"},  // more than 260 bytes
      {area, "Spare.xml"},            // no terminator inside the area
  };
  ScratchDir dbs;
  Db db;
  const uint32_t types[] = {12, 2};
  for (const auto& c : cases) {
    ASSERT_EQ(db->CreateWithFields(dbs.Path("t.vdr").c_str(), types, 2, "t", 0), 1);
    std::memcpy(db->view + store::kTemplateNameOffset, c.name.data(),
                std::min(c.name.size(), size_t{store::kTemplateNameSize}));
    UseTemplateOfDatabase(*db);
    EXPECT_STREQ(templateFileName, c.used) << c.name.substr(0, 40);
    db->Close();
  }
  // 44 fields and nothing remembered: the world table.
  const std::vector<uint32_t> world(44, 12);
  ASSERT_EQ(db->CreateWithFields(dbs.Path("w.vdr").c_str(), world.data(), 44, "w", 0), 1);
  UseTemplateOfDatabase(*db);
  EXPECT_STREQ(templateFileName, "WELT13.xml");
}

// The list has a column for each field the database has: the template's
// first ones, and the field's number where the template has no label.
TEST_F(StyleColumns, OneColumnPerFieldOfTheDatabase) {
  folders.Write(folders.program, "t.xml",
                Template("<Records>3</Records><Rec1><Label>A</Label></Rec1>"
                         "<Rec2><Label>B</Label></Rec2><Rec3><Label>C</Label><Width>70</Width></Rec3>"));
  std::strcpy(templateFileName, "t.xml");
  ASSERT_EQ(ReadListColumns(2, &columns), 1);
  EXPECT_EQ(Columns(), (Cols{{"Index", 61}, {"Record ", 50}, {"RecStat", 50}, {"A", 0}, {"B", 0}}));
  ASSERT_EQ(ReadListColumns(5, &columns), 1);
  EXPECT_EQ(Columns(), (Cols{{"Index", 61}, {"Record ", 50}, {"RecStat", 50}, {"A", 0}, {"B", 0},
                             {"C", 70}, {"4", 70}, {"5", 70}}));
}

// --- New from a template ---

TEST(TemplateDatabase, MadeAsNewMakesIt) {
  ScratchDir dir;
  const std::string tpl = dir.Path("t.xml");
  const std::string text = Template(
      "<LongName>Small</LongName><Ver>7</Ver><Records>3</Records>"
      "<Rec1><Type>12</Type></Rec1><Rec2><Type>2</Type></Rec2><Rec3></Rec3>");
  WriteBytes(tpl, std::vector<uint8_t>(text.begin(), text.end()));
  Db db;
  const std::string path = dir.Path("new.vdr");
  ASSERT_EQ(CreateDatabaseFromTemplate(&*db, tpl.c_str(), path.c_str(), "My things"), 1);
  EXPECT_EQ(db->fieldCount, 3u);
  EXPECT_EQ(db->activeCount, 1u);
  EXPECT_EQ(db->FieldTypeOf(1), 12u);
  EXPECT_EQ(db->FieldTypeOf(2), 2u);
  EXPECT_EQ(db->FieldTypeOf(3), 0u);  // no Type: 0
  EXPECT_EQ(GetText(*db, 0, 1), "");
  EXPECT_EQ(GetNumber(*db, 0, 2), 0u);
  db->ReadLongName();
  EXPECT_STREQ(db->textValue, "My things");
  db->Close();
  auto bytes = ReadBytes(path);
  EXPECT_EQ(WordAt(bytes, store::kTemplateVersionOffset), 7u);

  // A name of 300 characters or more keeps its first 299, with a terminator.
  const std::string longName(400, 'n');
  ASSERT_EQ(CreateDatabaseFromTemplate(&*db, tpl.c_str(), path.c_str(), longName.c_str()), 1);
  db->ReadLongName();
  EXPECT_EQ(std::string(db->textValue), longName.substr(0, 299));

  // No Ver: version 0.
  const std::string plain = Template("<Records>1</Records><Rec1><Type>11</Type></Rec1>");
  WriteBytes(tpl, std::vector<uint8_t>(plain.begin(), plain.end()));
  ASSERT_EQ(CreateDatabaseFromTemplate(&*db, tpl.c_str(), path.c_str(), "x"), 1);
  db->Close();
  EXPECT_EQ(WordAt(ReadBytes(path), store::kTemplateVersionOffset), 0u);

  // Unreadable templates make nothing.
  const std::string bad = dir.Path("bad.xml");
  const std::string huge = Template("<Records>5000</Records>");
  WriteBytes(bad, std::vector<uint8_t>(huge.begin(), huge.end()));
  const std::string other = dir.Path("other.vdr");
  EXPECT_EQ(CreateDatabaseFromTemplate(&*db, bad.c_str(), other.c_str(), "x"), 0);
  EXPECT_EQ(CreateDatabaseFromTemplate(&*db, dir.Path("none.xml").c_str(), other.c_str(), "x"), 0);
  EXPECT_FALSE(std::filesystem::exists(other));
}

// --- The shipped data files ---

// A copy of the shipped data folder. The program opens a template with no
// sharing, so opening the originals could meet a program test copying them
// at the same moment, in another process.
std::string DataCopy(const ScratchDir& dir) {
  std::filesystem::copy(std::filesystem::path(kDataDir).parent_path(), dir.Path("data"));
  return dir.Path("data") + "/";
}

TEST(DataFiles, EveryListedTemplateLoads) {
  ScratchDir dir;
  const std::string data = DataCopy(dir);
  SetFolders(data.c_str(), data.c_str());
  std::memset(&settings, 0, sizeof settings);
  SetDefaultSettings();
  auto list = std::make_unique<TemplateList>();
  ASSERT_EQ(ReadTemplateList(list.get()), 1);
  ASSERT_GE(list->fileCount, 5u);
  EXPECT_EQ(list->nameCount, list->fileCount);
  for (uint32_t k = 0; k < list->fileCount; ++k) {
    SCOPED_TRACE(list->files[k]);
    std::strcpy(templateFileName, list->files[k]);
    std::vector<ListColumn> columns;
    ASSERT_EQ(ReadStyleColumns(&columns), 1);
    ASSERT_GE(styleFieldCount, 3u);
    ASSERT_EQ(columns.size(), styleFieldCount + 3);
    EXPECT_STRNE(sourceName, "");
    for (uint32_t i = 1; i <= styleFieldCount; ++i) {
      EXPECT_STRNE(FieldLabel(i), "") << i;
      EXPECT_GE(columns[i + 2].width, 40u) << i;
      EXPECT_LE(columns[i + 2].width, 300u) << i;
    }
    // And New makes a database of it with the template's types.
    char path[kFolderSize];
    LocateDataFile(list->files[k], path, sizeof path);
    Db db;
    const std::string vdr = dir.Path("db" + std::to_string(k) + ".vdr");
    ASSERT_EQ(CreateDatabaseFromTemplate(&*db, path, vdr.c_str(), list->names[k]), 1);
    EXPECT_EQ(db->fieldCount, styleFieldCount);
    StyleFile* file = OpenStyleFile(path);
    ASSERT_NE(file, nullptr);
    for (uint32_t i = 1; i <= styleFieldCount; ++i) {
      char tagPath[kTagTextSize];
      FieldTagPath(i, "<Type>", tagPath, sizeof tagPath);
      char type[kTagTextSize] = "";
      ASSERT_TRUE(FindTagValue(file, tagPath, type, sizeof type)) << i;
      EXPECT_LE(db->FieldTypeOf(i), 15u) << i;
      EXPECT_EQ(std::to_string(db->FieldTypeOf(i)), type) << i;
    }
    CloseStyleFile(file);
  }
  FreeColumnLabels();
}

// The build's sample database is made by a native program; this build makes
// it again. Equal bytes mean every build (32-bit, 64-bit, native) writes the
// same file and reads what the others wrote.
TEST(DataFiles, EveryBuildMakesTheSameSampleBytes) {
  ScratchDir dir;
  const std::string data = DataCopy(dir);
  const std::string made = dir.Path("Sample.vdr");
  std::string error;
  ASSERT_TRUE(MakeSampleDatabase((data + "WELT13.xml").c_str(),
                                 (data + "sample_countries.txt").c_str(), made.c_str(),
                                 "World countries", &error))
      << error;
  const std::vector<uint8_t> bytes = ReadBytes(made);
  ASSERT_GT(bytes.size(), store::kHeaderSize);
  EXPECT_TRUE(bytes == ReadBytes(VELDRANA_SAMPLE_DATABASE)) << "differs from " VELDRANA_SAMPLE_DATABASE;
  Db db;
  ASSERT_TRUE(OpenDatabase(*db, VELDRANA_SAMPLE_DATABASE, false));
  EXPECT_EQ(db->fieldCount, 44u);
  EXPECT_GT(db->activeCount, 30u);
}

TEST(DataFiles, TheTemplatesOpenUses) {
  ScratchDir dir;
  const std::string data = DataCopy(dir);
  SetFolders(data.c_str(), data.c_str());
  std::vector<ListColumn> columns;
  std::strcpy(templateFileName, "WELT13.xml");
  ASSERT_EQ(ReadStyleColumns(&columns), 1);
  EXPECT_EQ(styleFieldCount, 44u);
  EXPECT_STREQ(FieldLabel(1), "Country");
  std::strcpy(templateFileName, "Spare.xml");
  ASSERT_EQ(ReadStyleColumns(&columns), 1);
  EXPECT_GE(styleFieldCount, 40u);
  for (uint32_t i = 1; i <= styleFieldCount; ++i) EXPECT_EQ(FieldLabel(i), "Field " + std::to_string(i));
  FreeColumnLabels();

  // StyleLst.txt ends its lines with CR alone.
  auto bytes = ReadBytes(kDataDir + "StyleLst.txt");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.back(), '\r');
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 0);
}

}  // namespace
