// The file format: the image of a new file, validation on open, field values.
#include <gtest/gtest.h>

#include "store/database_file.h"
#include "tests/store_test_util.h"

using namespace testutil;

namespace {

TEST(Format, NewFileImage) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("new.vdr");
  ASSERT_TRUE(CreateDatabase(*db, path, {0, 12, 2}));
  auto bytes = ReadBytes(path);
  const uint32_t r = 4 + 1 + 64 + 4;
  ASSERT_EQ(bytes.size(), std::max<size_t>(1444 + 5000, 1468 + 15 * r));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "DATA1000");
  EXPECT_EQ(WordAt(bytes, 608), 1u);
  EXPECT_EQ(WordAt(bytes, 1352), 2u);
  EXPECT_EQ(WordAt(bytes, 1356), 3u);
  EXPECT_EQ(WordAt(bytes, 1360), 10u);
  EXPECT_EQ(WordAt(bytes, 1364), 2u);
  EXPECT_EQ(WordAt(bytes, 1444), 0u);
  EXPECT_EQ(WordAt(bytes, 1448), 1472u);
  EXPECT_EQ(WordAt(bytes, 1452), 12u);
  EXPECT_EQ(WordAt(bytes, 1456), 1473u);
  EXPECT_EQ(WordAt(bytes, 1460), 2u);
  EXPECT_EQ(WordAt(bytes, 1464), 1537u);
  for (size_t i = 8; i < 608; ++i) ASSERT_EQ(bytes[i], 0) << i;
  for (size_t i = 1468; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;

  ASSERT_TRUE(OpenDatabase(*db, path));
  EXPECT_EQ(db->recordSize, r);
  EXPECT_EQ(db->recordAreaOffset, 1468u);
  EXPECT_EQ(db->slotCount, 10u);
  EXPECT_EQ(db->activeCount, 0u);
  EXPECT_EQ(db->AllocateSlot(), 0);
  EXPECT_EQ(db->activeCount, 1u);
  EXPECT_EQ(db->slotCount, 10u);  // nothing was active, so no resize
}

TEST(Format, NoFieldsMeansFourByteSlots) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("empty.vdr"), {}));
  EXPECT_EQ(db->recordSize, 4u);
  EXPECT_EQ(db->recordAreaOffset, 1444u);
}

TEST(Format, ValidationRejectsBadFiles) {
  ScratchDir dir;
  Db db;
  std::string good = dir.Path("good.vdr");
  ASSERT_TRUE(CreateDatabase(*db, good, {11, 1}));
  const auto image = ReadBytes(good);
  const uint32_t r = 4 + 16 + 2;
  const size_t required = 1444 + 16 + 10 * r;

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool accepted;
  };
  auto with = [&](auto change) {
    auto b = image;
    change(b);
    return b;
  };
  std::vector<Case> cases = {
      {"as created", image, true},
      {"empty", {}, false},
      {"DATA0000", with([](auto& b) { b[4] = b[5] = b[6] = b[7] = '0'; }), false},
      {"lower-case data", with([](auto& b) { b[0] = 'd'; b[1] = 'a'; b[2] = 't'; b[3] = 'a'; }), false},
      {"exactly the required size", with([&](auto& b) { b.resize(required); }), true},
      {"one byte short", with([&](auto& b) { b.resize(required - 1); }), false},
      {"header only", with([](auto& b) { b.resize(1444); }), false},
      {"shorter than the header", with([](auto& b) { b.resize(1000); }), false},
      {"huge field count", with([](auto& b) { PutWord(b, 1356, 0xFFFFFFFFu); }), false},
      {"field count over the bound", with([](auto& b) { PutWord(b, 1356, store::kMaxFieldCount + 1); }), false},
      {"slot count overflowing", with([](auto& b) { PutWord(b, 1360, 0x40000000u); }), false},
      {"value offset outside the file", with([](auto& b) { PutWord(b, 1448, 0x7FFFFFF0u); }), false},
      {"value offset past the end in the last slot",
       with([&](auto& b) { b.resize(required); PutWord(b, 1456, static_cast<uint32_t>(required - 9 * r - 1)); }), false},
      {"value offset disagreeing but inside", with([](auto& b) { PutWord(b, 1448, 1444); }), true},
      {"unknown type code reads as 64 bytes", with([&](auto& b) { PutWord(b, 1444, 200); b.resize(1444 + 16 + 10 * (4 + 64 + 2)); }), true},
  };
  for (const auto& c : cases) {
    std::string path = dir.Path("case.vdr");
    WriteBytes(path, c.bytes);
    EXPECT_EQ(OpenDatabase(*db, path), c.accepted) << c.name;
    EXPECT_EQ(db->openOk, c.accepted ? 1u : 0u) << c.name;
    db->Close();
    // A rejected file is left with no handle open: it can be removed at once.
    EXPECT_TRUE(platform::DeleteFileAt(path.c_str())) << c.name;
  }
}

TEST(Format, FieldValuesKeepTheirWidths) {
  ScratchDir dir;
  Db db;
  ASSERT_TRUE(CreateAndOpen(*db, dir.Path("v.vdr"), {0, 1, 10, 11, 16, 2, 15}));
  SetNumber(*db, 0, 1, 300);
  EXPECT_EQ(GetNumber(*db, 0, 1), 44u);
  SetNumber(*db, 0, 2, 70000);
  EXPECT_EQ(GetNumber(*db, 0, 2), 70000u & 0xFFFF);
  SetNumber(*db, 0, 1, 200);
  SetNumber(*db, 0, 2, 0xFFFF);
  EXPECT_EQ(GetNumber(*db, 0, 1), 200u);  // the next field does not leak in
  SetText(*db, 0, 3, "abcdefghij");
  EXPECT_EQ(GetText(*db, 0, 3), "abc");
  EXPECT_EQ(db->textValue[0], 'a');
  SetText(*db, 0, 4, std::string(20, 'q'));
  EXPECT_EQ(GetText(*db, 0, 4), std::string(15, 'q'));
  SetText(*db, 0, 5, std::string(100, 'z'));
  EXPECT_EQ(GetText(*db, 0, 5), std::string(63, 'z'));
  SetNumber(*db, 0, 6, 3000000000u);
  EXPECT_EQ(GetNumber(*db, 0, 6), 3000000000u);
  SetText(*db, 0, 7, std::string(6000, 'w'));
  EXPECT_EQ(GetText(*db, 0, 7), std::string(4999, 'w'));
  // WriteField empties textValue after a text write.
  std::snprintf(db->textValue, sizeof db->textValue, "x");
  EXPECT_EQ(db->WriteField(0, 3), 10);
  EXPECT_EQ(db->textValue[0], 0);

  EXPECT_EQ(db->ReadField(0, 0), -1);
  EXPECT_EQ(db->ReadField(0, 8), -1);  // past the last field
  EXPECT_EQ(db->ReadField(static_cast<int32_t>(db->slotCount), 1), -1);
  EXPECT_EQ(db->GetRecStat(static_cast<int32_t>(db->slotCount)), -1);
  EXPECT_EQ(db->GetRecStat(0), 10);
}

TEST(Format, LongName) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("n.vdr");
  ASSERT_TRUE(CreateAndOpen(*db, path, {11}));
  ASSERT_EQ(db->SetLongName("Addresses"), 1);
  ASSERT_EQ(db->ReadLongName(), 1);
  EXPECT_STREQ(db->textValue, "Addresses");
  ASSERT_EQ(db->SetTemplateVersion(7), 1);
  db->Close();
  auto bytes = ReadBytes(path);
  EXPECT_EQ(WordAt(bytes, 608), 7u);
  for (int i = 0; i < 300; ++i) bytes[8 + i] = static_cast<uint8_t>('A' + i % 26);
  WriteBytes(path, bytes);
  ASSERT_TRUE(OpenDatabase(*db, path, false));
  ASSERT_EQ(db->ReadLongName(), 1);
  EXPECT_EQ(std::string(db->textValue).size(), 300u);
  EXPECT_EQ(db->SetLongName("x"), 0);  // read-only
}

}  // namespace

namespace {

// A directory may place a field over the header or the directory itself; the
// file still opens and reads, but writing that field would rewrite the
// layout, so it is refused.
TEST(Format, FieldOverTheDirectoryIsNeverWritten) {
  ScratchDir dir;
  Db db;
  std::string path = dir.Path("over.vdr");
  ASSERT_TRUE(CreateAndOpen(*db, path, {12, 11}));
  db->Close();
  auto bytes = ReadBytes(path);
  PutWord(bytes, 1448, 1444);  // field 1 now starts on the directory
  WriteBytes(path, bytes);
  ASSERT_TRUE(OpenDatabase(*db, path));
  std::snprintf(db->textValue, sizeof db->textValue, "%s", "AAAAAAAAAAAAAAAA");
  EXPECT_EQ(db->WriteField(0, 1), -1);
  EXPECT_GE(db->ReadField(0, 1), 0);  // reading it is harmless
  SetText(*db, 0, 2, "still fine");
  EXPECT_EQ(GetText(*db, 0, 2), "still fine");
  db->Close();
  auto after = ReadBytes(path);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1460, after.begin()));
  ASSERT_TRUE(OpenDatabase(*db, path));
}

}  // namespace
