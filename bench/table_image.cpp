#include "bench/table_image.h"

#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "store/database_file.h"

namespace bench {
namespace {

const char kConsonants[] = "bcdfghklmnprstvw";
const char kVowels[] = "aeiou";

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void StoreU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// The header and field directory of a new database with the table's fields,
// exactly as the store creates it; the file is made at path and read back.
bool NewHeader(const std::string& path, std::vector<uint8_t>* header) {
  std::unique_ptr<DatabaseFile> db(new DatabaseFile());
  if (!db->CreateEmpty(path.c_str(), kTableTypes, kTableFieldCount)) return false;
  header->assign(store::kHeaderSize + store::kFieldDefSize * kTableFieldCount, 0);
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return false;
  const bool ok = std::fread(header->data(), 1, header->size(), in) == header->size();
  std::fclose(in);
  return ok;
}

}  // namespace

uint64_t RowSource::Random() {
  // splitmix64
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

void RowSource::Word(char* text, size_t size, size_t* length) {
  const uint32_t syllables = 2 + Below(3);
  const bool capital = Below(4) == 0;
  for (uint32_t i = 0; i < syllables && *length + 2 < size; ++i) {
    char c = kConsonants[Below(sizeof kConsonants - 1)];
    if (i == 0 && capital) c = static_cast<char>(c - 'a' + 'A');
    text[(*length)++] = c;
    text[(*length)++] = kVowels[Below(sizeof kVowels - 1)];
  }
  text[*length] = 0;
}

RowSource::RowSource(uint64_t seed) : state_(seed) {
  // The repeated words come from a stream of their own, so that the other
  // columns do not depend on how many draws made them distinct.
  RowSource words(~seed, 0);
  std::set<std::string> seen;
  char word[16];
  while (repeated_.size() < kRepeatedWords) {
    size_t n = 0;
    words.Word(word, sizeof word, &n);
    if (seen.insert(word).second) repeated_.push_back(word);
  }
}

void RowSource::Next(Row* row) {
  size_t n = 0;
  Word(row->a, sizeof row->a, &n);
  std::memcpy(row->b, kCommonPrefix, sizeof kCommonPrefix);
  n = sizeof kCommonPrefix - 1;
  const uint32_t words = 1 + Below(3);
  for (uint32_t i = 0; i < words; ++i) {
    if (i > 0) row->b[n++] = ' ';
    Word(row->b, sizeof row->b, &n);
  }
  const std::string& repeated = repeated_[Below(kRepeatedWords)];
  std::memcpy(row->c, repeated.c_str(), repeated.size() + 1);
  row->n = Below(1000000);
}

uint32_t GrownSlotCount(uint32_t records) {
  uint32_t spare = records / 16;
  if (spare < 10) spare = 10;
  return records + spare;
}

bool WriteTable(const std::string& path, uint32_t records, uint64_t seed, std::FILE* csv) {
  std::vector<uint8_t> header;
  if (!NewHeader(path, &header)) return false;
  const uint32_t slots = GrownSlotCount(records);
  StoreU32(header.data() + store::kSlotCountOffset, slots);
  std::snprintf(reinterpret_cast<char*>(header.data() + store::kLongNameOffset),
                store::kLongNameSize, "Benchmark table of %u records", records);

  // Where each field lies inside a slot, from the directory the store wrote.
  const uint32_t areaOffset = static_cast<uint32_t>(header.size());
  uint32_t recordSize = 4;
  uint32_t at[kTableFieldCount];
  for (uint32_t i = 0; i < kTableFieldCount; ++i) {
    const uint8_t* def = header.data() + store::kHeaderSize + store::kFieldDefSize * i;
    at[i] = LoadU32(def + 4) - areaOffset;
    recordSize += FieldTypeWidth(LoadU32(def));
  }

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();

  // Slots go out in batches of about a megabyte.
  const uint32_t batch = 1 + (1u << 20) / recordSize;
  std::vector<uint8_t> buffer(size_t{batch} * recordSize);
  RowSource rows(seed);
  Row row;
  for (uint32_t first = 0; ok && first < slots; first += batch) {
    const uint32_t count = slots - first < batch ? slots - first : batch;
    std::memset(buffer.data(), 0, buffer.size());
    for (uint32_t i = 0; i < count && first + i < records; ++i) {
      uint8_t* slot = buffer.data() + size_t{i} * recordSize;
      rows.Next(&row);
      StoreU32(slot, kRecActive);
      std::memcpy(slot + at[0], row.a, std::strlen(row.a));
      std::memcpy(slot + at[1], row.b, std::strlen(row.b));
      std::memcpy(slot + at[2], row.c, std::strlen(row.c));
      StoreU32(slot + at[3], row.n);
      if (csv != nullptr && std::fprintf(csv, "%s,%s,%s,%u\n", row.a, row.b, row.c, row.n) < 0) ok = false;
    }
    ok = ok && std::fwrite(buffer.data(), recordSize, count, out) == count;
  }
  if (std::fclose(out) != 0) ok = false;
  return ok;
}

bool WriteTableLike(const std::string& path, uint32_t records, const std::string& like) {
  std::unique_ptr<DatabaseFile> db(new DatabaseFile());
  if (!db->OpenFile(like.c_str(), false)) return false;
  std::vector<uint8_t> header(db->view, db->view + db->recordAreaOffset);
  const uint32_t recordSize = db->recordSize;
  std::vector<uint8_t> sample;
  for (int32_t s = db->FindRecStat(kRecActive, 0); s >= 0;) {
    const uint8_t* slot = db->view + db->recordAreaOffset + size_t{static_cast<uint32_t>(s)} * recordSize;
    sample.insert(sample.end(), slot, slot + recordSize);
    const int32_t next = db->NextActive(s);
    if (next == s) break;
    s = next;
  }
  db->Close();
  const uint32_t kinds = static_cast<uint32_t>(sample.size() / recordSize);
  if (kinds == 0) return false;
  const uint32_t slots = GrownSlotCount(records);
  StoreU32(header.data() + store::kSlotCountOffset, slots);
  std::memset(header.data() + store::kLongNameOffset, 0, store::kLongNameSize);
  std::snprintf(reinterpret_cast<char*>(header.data() + store::kLongNameOffset), store::kLongNameSize,
                "Benchmark table of %u records", records);

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
  const uint32_t batch = 1 + (1u << 20) / recordSize;
  std::vector<uint8_t> buffer(size_t{batch} * recordSize);
  for (uint32_t first = 0; ok && first < slots; first += batch) {
    const uint32_t count = slots - first < batch ? slots - first : batch;
    std::memset(buffer.data(), 0, buffer.size());
    for (uint32_t i = 0; i < count && first + i < records; ++i)
      std::memcpy(buffer.data() + size_t{i} * recordSize, sample.data() + size_t{(first + i) % kinds} * recordSize,
                  recordSize);
    ok = std::fwrite(buffer.data(), recordSize, count, out) == count;
  }
  if (std::fclose(out) != 0) ok = false;
  return ok;
}

}  // namespace bench
