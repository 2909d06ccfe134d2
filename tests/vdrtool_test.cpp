// vdrtool run as a real process: what it prints, its exit status and the
// files it leaves. In the Windows tree the test and vdrtool.exe both run
// under Wine, and the tool is started as a Windows process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "store/database_file.h"
#include "store/store_inside.h"
#include "tests/store_test_util.h"
#include "tests/tool_process.h"

using namespace testutil;

namespace {

using Result = ToolResult;

class Vdrtool : public ::testing::Test {
 protected:
  // Runs vdrtool with these arguments.
  Result Run(const std::vector<std::string>& args) { return RunTool(args, dir_); }

  // Runs it and expects success; returns what it printed.
  std::string Ok(const std::vector<std::string>& args) {
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << Join(args) << "\nstderr: " << r.err;
    return r.out;
  }

  static std::string Join(const std::vector<std::string>& args) {
    std::string s = "vdrtool";
    for (const auto& a : args) s += " " + a;
    return s;
  }

  std::string Path(const std::string& name) { return dir_.Path(name); }

  ScratchDir dir_;
};

TEST_F(Vdrtool, CreateMakesTheFileNewMakes) {
  const std::string file = Path("made.vdr");
  EXPECT_EQ(Ok({"create", file, "0", "12", "2", "--name", "Club members"}), "");

  // The same database made through the store, step by step as New does.
  const std::string reference = Path("reference.vdr");
  {
    Db db;
    ASSERT_TRUE(CreateAndOpen(*db, reference, {0, 12, 2}));
    ASSERT_EQ(db->SetLongName("Club members"), 1);
    ASSERT_EQ(db->SetTemplateVersion(1), 1);
  }
  const auto bytes = ReadBytes(file);
  EXPECT_EQ(bytes, ReadBytes(reference));
  ASSERT_EQ(bytes.size(), 6444u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "DATA1000");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 8)), "Club members");
  EXPECT_EQ(WordAt(bytes, 1356), 3u);
  EXPECT_EQ(WordAt(bytes, 1360), 10u);
  EXPECT_EQ(WordAt(bytes, 1468), 10u);       // slot 0 active
  EXPECT_EQ(WordAt(bytes, 1468 + 73), 0u);   // slot 1 empty
  EXPECT_FALSE(platform::FileExists((file + ".vdrtool-tmp").c_str()));

  EXPECT_EQ(Ok({"info", file}),
            "fields\t3\nslots\t10\nactive\t1\nrecordSize\t73\nname\tClub members\n"
            "template\tSpare.xml\n"
            "field\t1\t0\tNumber (0 - 255)\t1472\n"
            "field\t2\t12\tText, 64 Chars\t1473\n"
            "field\t3\t2\tNumber (0 - 4294 Mil)\t1537\n");
  EXPECT_EQ(Ok({"list", file}), "0\t1\t10\t0\t\t0\n");

  // An existing file is never overwritten.
  Result again = Run({"create", file, "11"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(ReadBytes(file), bytes);

  // Long names are cut to 299 characters, as the New dialog cuts them.
  const std::string longName(350, 'n');
  Ok({"create", Path("long.vdr"), "16", "--name", longName});
  EXPECT_EQ(Ok({"name", Path("long.vdr")}), longName.substr(0, 299) + "\n");
  Ok({"name", Path("long.vdr"), "Renamed base"});
  EXPECT_EQ(Ok({"name", Path("long.vdr")}), "Renamed base\n");
}

TEST_F(Vdrtool, UsageErrorsExitTwo) {
  const std::string file = Path("u.vdr");
  Ok({"create", file, "12", "0"});
  const auto before = ReadBytes(file);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", file},
      {"create", Path("n.vdr")},
      {"create", Path("n.vdr"), "18"},
      {"create", Path("n.vdr"), "-1"},
      {"create", Path("n.vdr"), "12", "--name"},
      {"info"},
      {"list", file, file},
      {"set", file, "1", "1"},
      {"set", file, "one", "1", "x"},
      {"set", file, "1", "1x", "x"},
      {"copy", file, "-2"},
      {"search", file, ""},
      {"search", file, "abc", "--after"},
      {"search", file, "abc", "--sideways", "3"},
      {"search", file, "abc", "--before", "x"},
      {"goto", file},
  };
  for (const auto& args : cases) {
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << Join(args);
    EXPECT_NE(r.err.find("usage: vdrtool"), std::string::npos) << Join(args) << "\n" << r.err;
    EXPECT_EQ(r.out, "") << Join(args);
  }
  EXPECT_FALSE(platform::FileExists(Path("n.vdr").c_str()));
  EXPECT_EQ(ReadBytes(file), before);
  Result help = Run({"help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("search FILE TEXT"), std::string::npos);
}

TEST_F(Vdrtool, SetStoresTypedValuesAsTheFormDoes) {
  const std::string file = Path("s.vdr");
  // Text 64, number 8-bit, number 16-bit, text 16, number 32-bit, text 4.
  Ok({"create", file, "12", "0", "1", "11", "2", "10"});
  const struct {
    const char* field;
    const char* value;
  } sets[] = {
      {"1", "Alice Smith"}, {"2", "255"}, {"3", " 65535 "},
      {"4", "a text longer than fifteen"}, {"5", "4294967295"},
      {"6", "Oslo"},  // three characters fit
  };
  for (const auto& s : sets) Ok({"set", file, "1", s.field, s.value});
  EXPECT_EQ(Ok({"add", file}), "1\n");
  Ok({"set", file, "2", "1", "Bob"});
  // A number the field cannot hold is refused, naming what it can hold.
  const struct {
    const char* field;
    const char* value;
    const char* message;
  } refused[] = {
      {"2", "300", "Enter a whole number from 0 to 255.\n"},
      {"3", "70000", "Enter a whole number from 0 to 65535.\n"},
      {"5", "-1", "Enter a whole number from 0 to 4294967295.\n"},
      {"5", "1a", "Enter a whole number from 0 to 4294967295.\n"},
  };
  for (const auto& r : refused) {
    Result result = Run({"set", file, "2", r.field, r.value});
    EXPECT_EQ(result.exitCode, 1) << r.value;
    EXPECT_EQ(result.err, r.message) << r.value;
  }
  EXPECT_EQ(Ok({"list", file}),
            "0\t1\t10\tAlice Smith\t255\t65535\ta text longer t\t4294967295\tOsl\n"
            "1\t2\t10\tBob\t0\t0\t\t0\t\n");
}

TEST_F(Vdrtool, AddCopyDeleteKeepRecordNumbers) {
  const std::string file = Path("r.vdr");
  Ok({"create", file, "12", "2"});
  Ok({"set", file, "1", "1", "Ann"});
  Ok({"set", file, "1", "2", "1"});
  EXPECT_EQ(Ok({"add", file}), "1\n");
  Ok({"set", file, "2", "1", "Ben"});
  EXPECT_EQ(Ok({"add", file}), "2\n");
  Ok({"set", file, "3", "1", "Cid"});
  Ok({"set", file, "3", "2", "3"});

  Ok({"delete", file, "2"});
  EXPECT_EQ(Ok({"list", file}), "0\t1\t10\tAnn\t1\n2\t2\t10\tCid\t3\n");
  EXPECT_EQ(Ok({"goto", file, "2"}), "2\n");

  // The copy reuses the deleted slot 1, in front of its source: record 2
  // (Cid) must still be what is copied, though it is record 3 afterwards.
  EXPECT_EQ(Ok({"copy", file, "2"}), "1\n");
  EXPECT_EQ(Ok({"list", file}),
            "0\t1\t10\tAnn\t1\n1\t2\t10\tCid\t3\n2\t3\t10\tCid\t3\n");
  {
    Db db;
    ASSERT_TRUE(OpenDatabase(*db, file, false));
    EXPECT_EQ(db->slotCount, 20u);  // grown: fewer than 10 slots were free
    EXPECT_EQ(std::memcmp(StoreInside::SlotAt(*db, 1), StoreInside::SlotAt(*db, 2), db->recordSize), 0);
  }
  // A copy that lands behind its source.
  EXPECT_EQ(Ok({"copy", file, "1"}), "3\n");
  EXPECT_EQ(Ok({"list", file}),
            "0\t1\t10\tAnn\t1\n1\t2\t10\tCid\t3\n2\t3\t10\tCid\t3\n3\t4\t10\tAnn\t1\n");
  EXPECT_EQ(Ok({"info", file}).substr(0, 33), "fields\t2\nslots\t20\nactive\t4\nrecord");
}

TEST_F(Vdrtool, CopyFollowsARecordThatCompactionMoved) {
  // 120 slots, every second one in use (60, half of them): the next
  // allocation compacts the records into slots 0 to 59 and shrinks the area.
  const std::string file = Path("c.vdr");
  {
    Db db;
    ASSERT_TRUE(CreateAndOpen(*db, file, {12, 2}));
    std::vector<uint32_t> statuses(120, kRecDeleted);
    for (size_t s = 0; s < statuses.size(); s += 2) statuses[s] = kRecActive;
    SetStatuses(*db, statuses);
    ASSERT_EQ(db->slotCount, 120u);
    for (int32_t s = 0; s < 120; s += 2) {
      SetText(*db, s, 1, "record " + std::to_string(s / 2 + 1));
      SetNumber(*db, s, 2, static_cast<uint32_t>(1000 + s));
    }
  }
  // Record 40 sits in slot 78 before the copy and in slot 39 after it.
  EXPECT_EQ(Ok({"copy", file, "40"}), "60\n");
  Db db;
  ASSERT_TRUE(OpenDatabase(*db, file, false));
  EXPECT_EQ(db->slotCount, 98u);
  EXPECT_EQ(db->activeCount, 61u);
  EXPECT_EQ(GetText(*db, 39, 1), "record 40");
  EXPECT_EQ(GetText(*db, 60, 1), "record 40");
  EXPECT_EQ(GetNumber(*db, 60, 2), 1078u);
  EXPECT_EQ(std::memcmp(StoreInside::SlotAt(*db, 39), StoreInside::SlotAt(*db, 60), db->recordSize), 0);
}

TEST_F(Vdrtool, SortOrdersTextsByLocaleAndNumbersByValue) {
  const std::string file = Path("o.vdr");
  Ok({"create", file, "12", "2"});
  const struct {
    const char* name;
    const char* number;
  } rows[] = {{"pear", "3"}, {"Banana", "100"}, {"apple", "20"}};
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    if (i > 0) Ok({"add", file});
    Ok({"set", file, n, "1", rows[i].name});
    Ok({"set", file, n, "2", rows[i].number});
  }
  Ok({"sort", file, "1"});
  EXPECT_EQ(Ok({"list", file}),
            "0\t1\t10\tapple\t20\n1\t2\t10\tBanana\t100\n2\t3\t10\tpear\t3\n");
  Ok({"sort", file, "2"});
  EXPECT_EQ(Ok({"list", file}),
            "0\t1\t10\tpear\t3\n1\t2\t10\tapple\t20\n2\t3\t10\tBanana\t100\n");
}

TEST_F(Vdrtool, SearchAndGoto) {
  const std::string file = Path("f.vdr");
  Ok({"create", file, "12", "2"});
  const std::string thirty = "The quick brown fox jumps over";
  const std::string texts[] = {"cab", "aab", "xaBy", "nothing", thirty + " the lazy dog"};
  for (int i = 0; i < 5; ++i) {
    const std::string n = std::to_string(i + 1);
    if (i > 0) Ok({"add", file});
    Ok({"set", file, n, "1", texts[i]});
  }
  Ok({"set", file, "4", "2", "12"});
  const struct {
    std::vector<std::string> extra;
    std::string text;
    int exitCode;
    const char* out;
  } cases[] = {
      {{}, "ab", 0, "0\n"},                      // found in slot 0
      {{"--after", "0"}, "ab", 0, "1\n"},        // aab matches too
      {{"--after", "2"}, "ab", 1, ""},           // no wrap round
      {{"--before", "2"}, "AB", 0, "1\n"},
      {{"--before", "0"}, "ab", 1, ""},
      {{}, "12", 0, "3\n"},                      // the number field
      {{}, "0", 0, "0\n"},                       // 0 is a number: the empty field 2
      {{}, "12x", 1, ""},                        // no number, and no such text
      {{}, thirty + "IGNORED", 0, "4\n"},        // only 30 characters count
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"search", file, c.text};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << Join(args);
    EXPECT_EQ(r.out, c.out) << Join(args);
    if (c.exitCode == 1) {
      EXPECT_EQ(r.err, "No Match Found\n") << Join(args);
    }
  }
  EXPECT_EQ(Ok({"goto", file, "5"}), "4\n");
  EXPECT_EQ(Ok({"goto", file, "3 "}), "2\n");  // blanks around the number are ignored
  for (const char* n : {"0", "6", "x", "1x", "-1"}) {
    Result r = Run({"goto", file, n});
    EXPECT_EQ(r.exitCode, 1) << n;
    EXPECT_EQ(r.out, "") << n;
  }
}

// count and list, with and without a filter: the matching records, each
// with its own record number.
TEST_F(Vdrtool, CountAndListTheRecordsAFilterShows) {
  const std::string file = Path("f.vdr");
  Ok({"create", file, "12", "2"});
  const char* cities[] = {"Lyon", "Paris", "lyonnais", "Nice"};
  for (int i = 0; i < 4; ++i) {
    if (i > 0) Ok({"add", file});
    Ok({"set", file, std::to_string(i + 1), "1", cities[i]});
  }
  Ok({"set", file, "4", "2", "7"});
  Ok({"delete", file, "2"});
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* out;
  } cases[] = {
      {{"count", file}, 0, "3\n"},
      {{"count", file, "--filter", "LYON"}, 0, "2\n"},
      {{"count", file, "--filter", "7"}, 0, "1\n"},
      {{"count", file, "--filter", "paris"}, 0, "0\n"},  // deleted
      {{"list", file, "--filter", "lyon"}, 0, "0\t1\t10\tLyon\t0\n2\t2\t10\tlyonnais\t0\n"},
      {{"list", file, "--filter", "7"}, 0, "3\t3\t10\tNice\t7\n"},
      {{"list", file, "--filter"}, 2, ""},
      {{"count", file, "--filter", "a", "--filter", "b"}, 2, ""},
  };
  for (const auto& c : cases) {
    Result r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << Join(c.args);
    EXPECT_EQ(r.out, c.out) << Join(c.args);
  }
}

TEST_F(Vdrtool, FilesThatAreNotDatabasesAreRefused) {
  const std::string text = Path("notes.txt");
  WriteBytes(text, std::vector<uint8_t>(8000, 'x'));
  const auto before = ReadBytes(text);
  const std::vector<std::vector<std::string>> cases = {
      {"check", text}, {"info", text}, {"list", text},         {"set", text, "1", "1", "v"},
      {"add", text},   {"sort", text, "1"}, {"check", Path("missing.vdr")},
      {"delete", Path("missing.vdr"), "1"},
  };
  for (const auto& args : cases) {
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << Join(args);
    EXPECT_EQ(r.err, "Not a Veldrana file\n") << Join(args);
    EXPECT_EQ(r.out, "") << Join(args);
  }
  EXPECT_EQ(ReadBytes(text), before);
  EXPECT_FALSE(platform::FileExists((text + ".vdrtool-tmp").c_str()));
  EXPECT_FALSE(platform::FileExists(Path("missing.vdr").c_str()));

  Ok({"create", Path("good.vdr"), "11"});
  EXPECT_EQ(Ok({"check", Path("good.vdr")}), "OK\n");
}

TEST_F(Vdrtool, FailedChangesLeaveTheFileAsItWas) {
  const std::string file = Path("k.vdr");
  Ok({"create", file, "12", "2", "--name", "Kept"});
  Ok({"set", file, "1", "1", "first"});
  Ok({"add", file});
  Ok({"delete", file, "2"});
  // A stale copy from an earlier run is no obstacle.
  WriteBytes(file + ".vdrtool-tmp", {'o', 'l', 'd'});
  const auto before = ReadBytes(file);
  const std::vector<std::vector<std::string>> cases = {
      {"set", file, "1", "3", "x"},  {"set", file, "1", "0", "x"}, {"set", file, "2", "1", "x"},
      {"copy", file, "2"},           {"copy", file, "0"},          {"delete", file, "5"},
      {"sort", file, "3"},
  };
  for (const auto& args : cases) {
    Result r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << Join(args);
    EXPECT_NE(r.err, "") << Join(args);
    EXPECT_EQ(r.out, "") << Join(args);
    EXPECT_EQ(ReadBytes(file), before) << Join(args);
    EXPECT_FALSE(platform::FileExists((file + ".vdrtool-tmp").c_str())) << Join(args);
  }
}

}  // namespace
