// vdr_make_table: writes a benchmark table as a database and as CSV, from
// the same random words, so that other programs can load the same rows.
//
//   vdr_make_table --records N [--seed S] --vdr FILE [--csv FILE] [--check]
//   vdr_make_table --records N --like DATABASE --vdr FILE
//
// --check opens the database with the store afterwards and compares its
// records with the rows again (every record up to 100000, a sample above).
// --like writes a table with the fields of DATABASE, its active records
// taken over and over.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/table_image.h"
#include "store/database_file.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vdr_make_table --records N [--seed S] --vdr FILE [--csv FILE] [--check]\n"
               "       vdr_make_table --records N --like DATABASE --vdr FILE\n");
  return 2;
}

bool Check(const std::string& path, uint32_t records, uint64_t seed) {
  std::unique_ptr<DatabaseFile> db(new DatabaseFile());
  if (!db->OpenFile(path.c_str(), false)) {
    std::fprintf(stderr, "check: %s does not open\n", path.c_str());
    return false;
  }
  bool ok = db->CountActive() == records && db->slotCount == bench::GrownSlotCount(records);
  if (!ok) std::fprintf(stderr, "check: %u active of %u slots\n", db->activeCount, db->slotCount);
  const uint32_t step = records > 100000 ? records / 100000 + 1 : 1;
  bench::RowSource rows(seed);
  bench::Row row;
  for (uint32_t s = 0; ok && s < records; ++s) {
    rows.Next(&row);
    if (s % step != 0) continue;
    const char* texts[3] = {row.a, row.b, row.c};
    for (uint32_t f = 1; f <= 3 && ok; ++f) {
      ok = db->ReadField(static_cast<int32_t>(s), f) == static_cast<int32_t>(bench::kTableTypes[f - 1]) &&
           std::strcmp(db->textValue, texts[f - 1]) == 0;
    }
    ok = ok && db->ReadField(static_cast<int32_t>(s), 4) == kNumber32 && db->numberValue == row.n;
    if (!ok) std::fprintf(stderr, "check: slot %u differs\n", s);
  }
  db->Close();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  long long records = -1;
  uint64_t seed = 1;
  std::string vdr, csv, like;
  bool check = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--records" && hasValue) records = std::atoll(argv[++i]);
    else if (arg == "--seed" && hasValue) seed = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--vdr" && hasValue) vdr = argv[++i];
    else if (arg == "--csv" && hasValue) csv = argv[++i];
    else if (arg == "--like" && hasValue) like = argv[++i];
    else if (arg == "--check") check = true;
    else return Usage();
  }
  if (records < 0 || records > 100000000 || vdr.empty()) return Usage();
  if (!like.empty()) {
    if (!csv.empty() || check) return Usage();
    if (bench::WriteTableLike(vdr, static_cast<uint32_t>(records), like)) return 0;
    std::fprintf(stderr, "vdr_make_table: writing %s like %s failed\n", vdr.c_str(), like.c_str());
    return 1;
  }

  std::FILE* csvFile = nullptr;
  if (!csv.empty() && (csvFile = std::fopen(csv.c_str(), "w")) == nullptr) {
    std::perror(csv.c_str());
    return 1;
  }
  bool ok = bench::WriteTable(vdr, static_cast<uint32_t>(records), seed, csvFile);
  if (csvFile != nullptr && std::fclose(csvFile) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "vdr_make_table: writing %s failed\n", vdr.c_str());
    return 1;
  }
  if (check && !Check(vdr, static_cast<uint32_t>(records), seed)) return 1;
  return 0;
}
