#include "tests/store_test_util.h"

#include "store/store_inside.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace testutil {

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  for (char& c : name)
    if (c == '/') c = '_';
  fs::path dir = fs::temp_directory_path() /
                 ("vdr-" + name + "-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  dir_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::string ScratchDir::Path(const std::string& name) const {
  return (fs::path(dir_) / name).string();
}

Db::Db() : db(new DatabaseFile()) { std::memset(static_cast<void*>(db.get()), 0, sizeof *db); }
Db::~Db() { db->Close(); }

bool CreateDatabase(DatabaseFile& db, const std::string& path, const std::vector<uint32_t>& types) {
  return db.CreateEmpty(path.c_str(), types.data(), static_cast<uint32_t>(types.size())) == 1;
}

bool OpenDatabase(DatabaseFile& db, const std::string& path, bool writable) {
  return db.OpenFile(path.c_str(), writable) == 1;
}

bool CreateAndOpen(DatabaseFile& db, const std::string& path, const std::vector<uint32_t>& types) {
  return CreateDatabase(db, path, types) && OpenDatabase(db, path) && db.AllocateSlot() == 0;
}

bool WriteDatabase(const std::string& path, const std::vector<uint32_t>& types, uint32_t slotCount,
                   const std::vector<uint32_t>& statuses, const SlotFiller& fill) {
  {
    Db made;
    if (!CreateDatabase(*made, path, types)) return false;
  }
  auto bytes = ReadBytes(path);
  const size_t area = 1444 + 8 * types.size();
  uint32_t r = 4;
  for (uint32_t t : types) r += FieldTypeWidth(t);
  bytes.resize(area + size_t{slotCount} * r, 0);
  PutWord(bytes, 1360, slotCount);
  for (uint32_t s = 0; s < slotCount; ++s) {
    uint8_t* slot = bytes.data() + area + size_t{s} * r;
    PutWord(bytes, area + size_t{s} * r, s < statuses.size() ? statuses[s] : kRecEmpty);
    if (fill) fill(s, slot + 4, r - 4);
  }
  WriteBytes(path, bytes);
  return true;
}

std::vector<uint8_t> ViewBytes(const DatabaseFile& db) {
  if (db.view == nullptr) return {};
  return std::vector<uint8_t>(db.view, db.view + StoreInside::MappedSize(db));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

void SetText(DatabaseFile& db, int32_t slot, uint32_t field, const std::string& text) {
  std::snprintf(db.textValue, sizeof db.textValue, "%s", text.c_str());
  db.WriteField(slot, field);
}

std::string GetText(DatabaseFile& db, int32_t slot, uint32_t field) {
  db.ReadField(slot, field);
  return db.textValue;
}

void SetNumber(DatabaseFile& db, int32_t slot, uint32_t field, uint32_t value) {
  db.numberValue = value;
  db.WriteField(slot, field);
}

uint32_t GetNumber(DatabaseFile& db, int32_t slot, uint32_t field) {
  db.ReadField(slot, field);
  return db.numberValue;
}

void SetStatuses(DatabaseFile& db, const std::vector<uint32_t>& statuses) {
  while (db.slotCount < statuses.size()) {
    // Grow through the store itself: fill every free slot, then allocate.
    for (uint32_t s = 0; s < db.slotCount; ++s) db.SetRecStat(static_cast<int32_t>(s), kRecActive);
    db.AllocateSlot();
  }
  for (size_t s = 0; s < db.slotCount; ++s)
    db.SetRecStat(static_cast<int32_t>(s), s < statuses.size() ? statuses[s] : kRecEmpty);
}

std::vector<uint32_t> Statuses(DatabaseFile& db) {
  std::vector<uint32_t> out;
  for (uint32_t s = 0; s < db.slotCount; ++s) out.push_back(StoreInside::RecStatAt(db, s));
  return out;
}

}  // namespace testutil
