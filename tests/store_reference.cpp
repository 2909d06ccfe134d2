#include "tests/store_reference.h"

#include <cstring>

#include "platform/platform.h"
#include "store/field_type.h"
#include "store/text.h"

namespace reference {

namespace {

uint32_t Load(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

Image Image::FromBytes(std::vector<uint8_t> bytes) {
  Image image;
  image.bytes = std::move(bytes);
  image.fieldCount = Load(image.bytes.data() + 1356);
  image.slotCount = Load(image.bytes.data() + 1360);
  image.areaOffset = 1444 + 8 * image.fieldCount;
  image.recordSize = 4;
  for (uint32_t i = 1; i <= image.fieldCount; ++i) image.recordSize += FieldTypeWidth(image.TypeOf(i));
  return image;
}

uint8_t* Image::Slot(uint32_t slot) { return bytes.data() + areaOffset + size_t{slot} * recordSize; }
uint32_t Image::Status(uint32_t slot) { return Load(Slot(slot)); }
void Image::SetStatus(uint32_t slot, uint32_t value) { Store(Slot(slot), value); }
void Image::CopySlot(uint32_t from, uint32_t to) { std::memcpy(Slot(to), Slot(from), recordSize); }
uint32_t Image::TypeOf(uint32_t field) { return Load(bytes.data() + 1444 + 8 * (field - 1)); }

uint8_t* Image::Field(uint32_t slot, uint32_t field) {
  return bytes.data() + Load(bytes.data() + 1444 + 8 * (field - 1) + 4) + size_t{slot} * recordSize;
}

void Image::SetSlotCount(uint32_t count) {
  slotCount = count;
  Store(bytes.data() + 1360, count);
}

uint32_t Image::CountActive() {
  uint32_t n = 0;
  for (uint32_t s = 0; s < slotCount; ++s) n += Status(s) == 10;
  return n;
}

uint32_t Image::CountInUse() {
  uint32_t n = 0;
  for (uint32_t s = 0; s < slotCount; ++s) n += Status(s) > 9;
  return n;
}

namespace {

// One walk of the compaction scan from slot `from` with no free slot
// remembered; moves one record and returns its old slot, or -1 when the
// scan passes the last slot.
int64_t MoveOne(Image& image, uint32_t from) {
  int64_t remembered = -1;
  for (uint32_t s = from; s < image.slotCount; ++s) {
    const uint32_t status = image.Status(s);
    if (status < 10) {
      remembered = s;
    } else if (remembered >= 0) {
      image.CopySlot(s, static_cast<uint32_t>(remembered));
      image.SetStatus(static_cast<uint32_t>(remembered), status);
      image.SetStatus(s, 5);
      return s;
    }
  }
  return -1;
}

}  // namespace

int32_t Compact(Image& image) {
  if (image.CountActive() == 0) return kBudget;
  int32_t budget = kBudget;
  while (budget > 0 && MoveOne(image, 0) >= 0) --budget;
  return budget;
}

int32_t CompactQuick(Image& image, int64_t budget) {
  if (image.CountActive() == 0) return kBudget;
  int64_t from = 0;
  while (budget > 0) {
    int64_t moved = MoveOne(image, static_cast<uint32_t>(from));
    if (moved < 0) break;
    --budget;
    from = moved >= 2 ? moved - 2 : 0;
  }
  return static_cast<int32_t>(budget < kBudget ? budget : kBudget);
}

int32_t Allocate(Image& image, bool clearFields) {
  if (image.CountActive() != 0) {
    const uint32_t used = image.CountInUse();
    const uint32_t free = image.slotCount - used;
    const uint64_t percent = uint64_t{used} * 100 / image.slotCount;
    if (percent > 90 || free < 10) {
      uint32_t k = used / 16;
      if (k < 10) k = 10;
      image.bytes.resize(image.bytes.size() + size_t{k} * image.recordSize, 0);
      image.SetSlotCount(image.slotCount + k);
    } else if (percent < 70 && image.slotCount > 50 && CompactQuick(image) != 0) {
      const uint32_t k = image.slotCount > 100 ? image.slotCount * 3 / 16 : 10;
      image.SetSlotCount(image.slotCount - k);
      image.bytes.resize(image.areaOffset + size_t{image.slotCount} * image.recordSize);
    }
  }
  for (uint32_t s = 0; s < image.slotCount; ++s) {
    const uint32_t status = image.Status(s);
    if (status == 0 || status == 5) {
      image.SetStatus(s, 10);
      if (clearFields) std::memset(image.Slot(s) + 4, 0, image.recordSize - 4);
      return static_cast<int32_t>(s);
    }
  }
  return -1;
}

namespace {

uint32_t NumberAt(Image& image, uint32_t slot, uint32_t field) {
  const uint32_t code = image.TypeOf(field);
  const uint8_t* p = image.Field(slot, field);
  return code == 0 ? p[0] : code == 1 ? uint32_t{p[0]} | uint32_t{p[1]} << 8 : Load(p);
}

}  // namespace

std::string SortKey(Image& image, uint32_t slot, uint32_t field) {
  const uint32_t code = image.TypeOf(field);
  if (IsNumberType(code)) return std::to_string(NumberAt(image, slot, field));
  const uint32_t width = FieldTypeWidth(code);
  std::string text(reinterpret_cast<const char*>(image.Field(slot, field)), width - 1);
  return text.substr(0, text.find('\0'));
}

bool SortsAfter(Image& image, uint32_t a, uint32_t b, uint32_t field) {
  if (IsNumberType(image.TypeOf(field))) return NumberAt(image, a, field) > NumberAt(image, b, field);
  return platform::CompareText(SortKey(image, a, field).c_str(), SortKey(image, b, field).c_str()) > 0;
}

int Sort(Image& image, uint32_t field, uint32_t* passes) {
  if (image.slotCount <= 2 || field == 0 || field > image.fieldCount || image.CountActive() == 0)
    return 0;
  CompactQuick(image, INT64_MAX);
  std::vector<uint8_t> scratch(image.recordSize);
  uint32_t bound = image.slotCount - 1;
  uint32_t pass = 0;
  for (;;) {
    if (++pass > 2 * image.slotCount + 10) return -1;
    uint32_t lastSwap = 0;
    for (uint32_t s = 1; s <= bound; ++s) {
      const uint32_t first = image.Status(s - 1), second = image.Status(s);
      if (first <= 9 || second <= 9) continue;
      if (SortsAfter(image, s - 1, s, field)) {
        std::memcpy(scratch.data(), image.Slot(s - 1), image.recordSize);
        image.CopySlot(s, s - 1);
        image.SetStatus(s - 1, second);
        std::memcpy(image.Slot(s), scratch.data(), image.recordSize);
        image.SetStatus(s, first);
        lastSwap = s;
      }
    }
    if (lastSwap == 0) break;
    bound = lastSwap;
  }
  if (passes) *passes = pass;
  return 1;
}

}  // namespace reference
