#include "core/csv_import.h"

#include <cstring>

#include "core/column_names.h"
#include "core/history.h"
#include "core/typed_number.h"
#include "store/field_type.h"
#include "store/text.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
// Progress is looked at every so many lines.
constexpr uint32_t kProgressLines = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value without the blanks around it.
CsvValue Trimmed(const char* text, size_t length) {
  while (length > 0 && IsBlank(*text)) ++text, --length;
  while (length > 0 && IsBlank(text[length - 1])) --length;
  return {text, length};
}

bool SameIgnoringCase(const CsvValue& a, const std::string& b) {
  if (a.length != b.size()) return false;
  for (size_t i = 0; i < a.length; ++i) {
    char x = a.text[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string Reason(const char* before, uint64_t number, const char* after) {
  return before + std::to_string(number) + after;
}

}  // namespace

std::string ImportProblemPlace(const ImportProblem& problem) {
  std::string place = "Not imported: line " + std::to_string(problem.line);
  if (problem.field > 0) place += ", field " + std::to_string(problem.field);
  return place;
}

CsvImport::~CsvImport() {
  platform::Unmap(&mapping_);
  platform::CloseFile(file_);
}

bool CsvImport::Open(const char* path) {
  file_ = platform::OpenExisting(path, false);
  uint64_t size = 0;
  if (file_ == platform::kNoFile || !platform::GetSize(file_, &size)) return false;
  if (size > 0) {
    if (size > SIZE_MAX || !platform::MapWholeFile(file_, false, &mapping_)) return false;
    text_ = reinterpret_cast<const char*>(mapping_.view);
    size_ = static_cast<size_t>(size);
  }
  bool nonAscii = false;
  if (IsUtf8(text_, size_, &nonAscii) && nonAscii) {
    utf8_ = true;
    if (size_ >= 3 && std::memcmp(text_, kByteOrderMark, 3) == 0) {
      text_ += 3;
      size_ -= 3;
    }
  }
  separator_ = DetectSeparator(text_, size_);
  CsvReader reader(text_, size_, separator_);
  std::vector<CsvValue> values;
  if (reader.Next(&values)) {
    for (const CsvValue& value : values) {
      CsvValue shown;
      if (InCodePage(value, &shown)) {
        firstLine_.emplace_back(shown.text, shown.length);
        continue;
      }
      // What the code page cannot show shows as a question mark.
      std::string text;
      for (size_t i = 0; i < value.length; ++i) {
        const unsigned char c = static_cast<unsigned char>(value.text[i]);
        if (c < 0x80) text += static_cast<char>(c);
        else if (c >= 0xC0) text += '?';
      }
      firstLine_.push_back(text);
    }
  }
  return true;
}

bool CsvImport::InCodePage(const CsvValue& value, CsvValue* converted) {
  *converted = value;
  if (!utf8_) return true;
  size_t i = 0;
  while (i < value.length && static_cast<unsigned char>(value.text[i]) < 0x80) ++i;
  if (i == value.length) return true;
  scratch_.clear();
  if (!platform::AppendCodePageFromUtf8(value.text, value.length, &scratch_)) return false;
  *converted = {scratch_.data(), scratch_.size()};
  return true;
}

bool CsvImport::FirstLineNamesColumns(const DatabaseFile& db) const {
  if (firstLine_.empty() || firstLine_.size() > db.fieldCount) return false;
  for (size_t i = 0; i < firstLine_.size(); ++i) {
    const std::string name = ColumnName(static_cast<uint32_t>(i + 1));
    const CsvValue trimmedName = Trimmed(name.data(), name.size());
    const CsvValue value = Trimmed(firstLine_[i].data(), firstLine_[i].size());
    if (!SameIgnoringCase(value, std::string(trimmedName.text, trimmedName.length))) return false;
  }
  return true;
}

std::string CsvImport::FirstLineText(size_t maxLength) const {
  std::string text;
  for (const std::string& value : firstLine_) {
    if (!text.empty()) text += ", ";
    text += value;
  }
  if (text.size() > maxLength)
    text = text.substr(0, FitText(text.data(), text.size(), maxLength < 3 ? 0 : maxLength - 3)) + "...";
  return text;
}

void CsvImport::Report(const ImportProgress& progress, bool adding, const CsvReader& reader) {
  if (!progress) return;
  const int percent = size_ == 0 ? 100 : static_cast<int>(uint64_t{reader.position()} * 100 / size_);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  progress(adding, static_cast<uint32_t>(percent));
}

bool CsvImport::Check(const DatabaseFile& db, bool header, ImportProblem* problem,
                      const ImportProgress& progress) {
  header_ = header;
  records_ = 0;
  lastPercent_ = -1;
  std::vector<uint32_t> types(db.fieldCount);
  for (uint32_t f = 0; f < db.fieldCount; ++f) types[f] = db.FieldTypeOf(f + 1);
  CsvReader reader(text_, size_, separator_);
  auto fail = [&](uint32_t field, std::string reason) {
    problem->line = reader.line();
    problem->field = field;
    problem->reason = std::move(reason);
    return false;
  };
  std::vector<CsvValue> values;
  bool first = true;
  while (reader.Next(&values)) {
    if (first && header) {
      first = false;
      continue;
    }
    first = false;
    if (values.size() > types.size()) {
      return fail(static_cast<uint32_t>(types.size() + 1),
                  Reason("the database has only ", types.size(), types.size() == 1 ? " field" : " fields"));
    }
    for (size_t i = 0; i < values.size(); ++i) {
      const uint32_t field = static_cast<uint32_t>(i + 1);
      if (std::memchr(values[i].text, 0, values[i].length) != nullptr)
        return fail(field, "a zero byte: not a text file");
      CsvValue value;
      if (!InCodePage(values[i], &value)) return fail(field, "a character Veldrana cannot store");
      const uint32_t code = types[i];
      if (IsNumberType(code)) {
        uint32_t number = 0;
        const uint32_t largest = FieldTypeMaximum(code);
        if (Trimmed(value.text, value.length).length > 0 &&
            !ParseWholeNumber(value.text, value.length, largest, &number))
          return fail(field, Reason("not a whole number 0 - ", largest, ""));
      } else if (value.length > FieldTypeWidth(code) - 1) {
        return fail(field, Reason("longer than ", FieldTypeWidth(code) - 1, " characters"));
      }
    }
    if (++records_ % kProgressLines == 0) Report(progress, false, reader);
  }
  switch (reader.problem()) {
    case CsvProblem::kUnclosedQuote:
      return fail(reader.problemField(), "a quoted value has no closing quote");
    case CsvProblem::kTextAfterQuote:
      return fail(reader.problemField(), "text after a closing quote");
    case CsvProblem::kNone:
      break;
  }
  return true;
}

bool CsvImport::Add(DatabaseFile* db, const ImportProgress& progress) {
  if (records_ == 0) return true;
  // With nobody recording the store's changes, a history of its own takes
  // the records back when one cannot be added: the adds may compact the
  // records on the way, so their slots alone would not tell which they are.
  History own;
  const bool takeBackHere = db->journal == nullptr;
  if (takeBackHere) {
    own.Attach(db);
    own.Begin(StepKind::kImport);
  }
  const bool added = AddAll(db, progress);
  if (takeBackHere) {
    if (!added) own.End(false, -1);
    own.Attach(nullptr);
  }
  return added;
}

bool CsvImport::AddAll(DatabaseFile* db, const ImportProgress& progress) {
  if (!db->ReserveForAdds(records_)) return false;
  lastPercent_ = -1;
  std::vector<uint32_t> types(db->fieldCount);
  for (uint32_t f = 0; f < db->fieldCount; ++f) types[f] = db->FieldTypeOf(f + 1);
  uint32_t added = 0;
  CsvReader reader(text_, size_, separator_);
  std::vector<CsvValue> values;
  bool first = true;
  while (added < records_ && reader.Next(&values)) {
    if (first && header_) {
      first = false;
      continue;
    }
    first = false;
    const int32_t slot = db->AddRecord();
    if (slot < 0) return false;
    ++added;
    for (size_t i = 0; i < values.size(); ++i) {
      const uint32_t field = static_cast<uint32_t>(i + 1);
      CsvValue value;
      InCodePage(values[i], &value);
      const uint32_t code = types[i];
      if (IsNumberType(code)) {
        uint32_t number = 0;
        ParseWholeNumber(value.text, value.length, FieldTypeMaximum(code), &number);
        db->numberValue = number;
      } else {
        CopyBytes(value.text, db->textValue, sizeof db->textValue, value.length);
      }
      db->WriteField(slot, field);
    }
    if (added % kProgressLines == 0) Report(progress, true, reader);
  }
  return true;
}
