// vdr_fuzz_seeds: writes small valid databases into a folder, as seeds for
// store_fuzz. Each is made through the store the way the program makes its
// files, some then cut to the shortest length the store accepts.
//
//   vdr_fuzz_seeds FOLDER
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/database_file.h"

namespace fs = std::filesystem;

namespace {

struct Seed {
  const char* name;
  std::vector<uint32_t> types;
  uint32_t records;
  // RecStat words to lay over slots 0 onward after the records are added.
  std::vector<uint32_t> statuses;
  bool trim;        // cut the file to the length the header requires
  int64_t slots;    // when not -1, the slot count written into the header (with trim)
};

const char* const kWords[] = {"pear", "Banana", "apple", "12", "xABy", "aab", "\xC4pfel", "zebra", ""};

bool Make(const Seed& seed, const std::string& path) {
  std::unique_ptr<DatabaseFile> db(new DatabaseFile());
  if (!db->CreateEmpty(path.c_str(), seed.types.data(), static_cast<uint32_t>(seed.types.size())) ||
      !db->OpenFile(path.c_str(), true))
    return false;
  db->SetLongName(seed.name);
  uint32_t word = 0;
  for (uint32_t r = 0; r < seed.records; ++r) {
    const int32_t slot = db->AddRecord();
    if (slot < 0) return false;
    for (uint32_t f = 1; f <= db->fieldCount; ++f) {
      db->numberValue = r * 37 + f;
      std::snprintf(db->textValue, sizeof db->textValue, "%s",
                    kWords[word++ % (sizeof kWords / sizeof kWords[0])]);
      db->WriteField(slot, f);
    }
  }
  for (size_t s = 0; s < seed.statuses.size() && s < db->slotCount; ++s)
    db->SetRecStat(static_cast<int32_t>(s), seed.statuses[s]);
  const uint64_t required = db->recordAreaOffset + uint64_t{db->slotCount} * db->recordSize;
  const uint32_t recordSize = db->recordSize, areaOffset = db->recordAreaOffset;
  db->Close();
  if (seed.trim) {
    uint64_t length = required;
    if (seed.slots >= 0) {
      std::FILE* f = std::fopen(path.c_str(), "r+b");
      if (f == nullptr) return false;
      std::fseek(f, store::kSlotCountOffset, SEEK_SET);
      const uint32_t slots = static_cast<uint32_t>(seed.slots);
      std::fwrite(&slots, 4, 1, f);
      std::fclose(f);
      length = areaOffset + uint64_t{slots} * recordSize;
    }
    fs::resize_file(path, length);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vdr_fuzz_seeds FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  std::vector<uint32_t> everyType;
  for (uint32_t code = 0; code < 18; ++code) everyType.push_back(code);
  everyType.push_back(99);  // unknown codes read as 64-byte texts

  const Seed seeds[] = {
      {"new", {0, 12, 2}, 0, {}, false, -1},
      {"three", {0, 12, 2}, 3, {}, false, -1},
      {"three-trimmed", {0, 12, 2}, 3, {10, 5, 10}, true, -1},
      {"no-fields", {}, 12, {10, 0, 5, 10, 11, 10, 3}, true, -1},
      {"texts", {10, 11, 12, 16, 17}, 30, {10, 10, 5, 10, 0, 10}, true, -1},
      {"numbers", {0, 1, 2, 3, 4, 5}, 25, {}, true, -1},
      {"every-type", everyType, 1, {}, true, 2},
      {"scattered", {10, 2}, 100, {10, 5, 5, 10, 0, 0, 0, 10, 5, 10, 5, 5, 5, 5, 10}, true, -1},
      {"no-slots", {11, 1}, 0, {}, true, 0},
  };
  int failures = 0;
  for (const Seed& seed : seeds) {
    const std::string path = (folder / (std::string(seed.name) + ".vdr")).string();
    if (!Make(seed, path)) {
      std::fprintf(stderr, "vdr_fuzz_seeds: %s failed\n", path.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
