// Record store benchmarks on tables of 10,000, 100,000 and 1,000,000 records
// (three text fields, each a kind of sort key, and a number), made once per
// run in a temporary folder; open and count, the first Add after Open and
// record-number lookups also on the world table's 44 fields (2 KB a record,
// 2.1 GB at 1,000,000 records).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/table_image.h"
#include "core/csv_import.h"
#include "core/history.h"
#include "core/templates/style_file.h"
#include "platform/platform.h"
#include "store/database_file.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSeed = 20261207;

// The run's folder, removed when the program ends.
class TempFolder {
 public:
  TempFolder() {
    dir_ = (fs::temp_directory_path() / ("vdr-bench-" + std::to_string(getpid()))).string();
    fs::create_directories(dir_);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

 private:
  std::string dir_;
};

TempFolder& Folder() {
  static TempFolder folder;
  return folder;
}

// The table of n records, made on first use.
const std::string& Table(uint32_t records) {
  static std::map<uint32_t, std::string> made;
  auto it = made.find(records);
  if (it != made.end()) return it->second;
  std::string path = Folder().Path("table-" + std::to_string(records) + ".vdr");
  if (!bench::WriteTable(path, records, kSeed, nullptr)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return made.emplace(records, path).first->second;
}

std::unique_ptr<DatabaseFile> NewDatabaseFile() { return std::unique_ptr<DatabaseFile>(new DatabaseFile()); }

// The world table of n records: the fields of WELT13.xml, every record
// active and empty, made on first use.
const std::string& WorldTable(uint32_t records) {
  static std::map<uint32_t, std::string> made;
  auto it = made.find(records);
  if (it != made.end()) return it->second;
  StyleFile* style = OpenStyleFile(VELDRANA_DATA_DIR "/WELT13.xml");
  std::vector<uint32_t> types;
  if (style != nullptr) {
    const uint32_t fields = FindTagNumber(style, "<StyleFile><Records>");
    for (uint32_t i = 1; i <= fields; ++i) {
      char tag[600];
      FieldTagPath(i, "<Type>", tag, sizeof tag);
      types.push_back(FindTagNumber(style, tag));
    }
    CloseStyleFile(style);
  }
  const std::string like = Folder().Path("world-like.vdr");
  const std::string path = Folder().Path("world-" + std::to_string(records) + ".vdr");
  auto db = NewDatabaseFile();
  const bool ok = !types.empty() &&
                  db->CreateWithFields(like.c_str(), types.data(), static_cast<uint32_t>(types.size()), "World", 1);
  db->Close();
  if (!ok || !bench::WriteTableLike(path, records, like)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return made.emplace(records, path).first->second;
}

const std::string& TableOfLayout(uint32_t records, int64_t layout) {
  return layout == 0 ? Table(records) : WorldTable(records);
}

bool OpenAt(DatabaseFile& db, const std::string& path, bool writable) {
  return db.OpenFile(path.c_str(), writable) == 1;
}

// Open counts every slot's RecStat once (layout 1: the world table's 2 KB
// records, a page each).
void BM_OpenAndCount(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string& path = TableOfLayout(records, state.range(1));
  auto db = NewDatabaseFile();
  for (auto _ : state) {
    if (!OpenAt(*db, path, false)) {
      state.SkipWithError("open failed");
      break;
    }
    uint32_t active = db->CountActive();
    benchmark::DoNotOptimize(active);
    db->Close();
    if (active != records) {
      state.SkipWithError("wrong count");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * records);
}

void BM_SearchFindsNothing(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  auto db = NewDatabaseFile();
  if (!OpenAt(*db, Table(records), false)) {
    state.SkipWithError("open failed");
    return;
  }
  std::snprintf(db->searchText, sizeof db->searchText, "zzqxj");
  for (auto _ : state) {
    int32_t found = db->SearchNext(-1);
    benchmark::DoNotOptimize(found);
    if (found != -1) {
      state.SkipWithError("found a record");
      break;
    }
  }
  db->Close();
  state.SetItemsProcessed(state.iterations() * records);
}

// Sorts a fresh copy of the unsorted table by one of its text fields each
// time (1 random words, 2 a common prefix, 3 5,000 words repeated); the copy
// and the open are not timed.
void BM_SortByText(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const uint32_t field = static_cast<uint32_t>(state.range(1));
  const std::string& pristine = Table(records);
  const std::string work = Folder().Path("sort-" + std::to_string(records) + ".vdr");
  auto db = NewDatabaseFile();
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = platform::CopyFileOver(pristine.c_str(), work.c_str()) && OpenAt(*db, work, true);
    state.ResumeTiming();
    if (!ready) {
      state.SkipWithError("copy or open failed");
      break;
    }
    int sorted = db->SortByField(field);
    state.PauseTiming();
    db->Close();
    state.ResumeTiming();
    if (sorted != 1) {
      state.SkipWithError("sort refused");
      break;
    }
  }
  platform::DeleteFileAt(work.c_str());
  state.SetItemsProcessed(state.iterations() * records);
}

// AddRecord in a row on a database just made the way New makes one.
void BM_AddRecords(benchmark::State& state) {
  const uint32_t count = static_cast<uint32_t>(state.range(0));
  const std::string path = Folder().Path("add-" + std::to_string(count) + ".vdr");
  auto db = NewDatabaseFile();
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = db->CreateEmpty(path.c_str(), bench::kTableTypes, bench::kTableFieldCount) == 1 &&
                 OpenAt(*db, path, true);
    state.ResumeTiming();
    if (!ready) {
      state.SkipWithError("create failed");
      break;
    }
    int32_t last = -1;
    for (uint32_t i = 0; i < count; ++i) last = db->AddRecord();
    if (last != static_cast<int32_t>(count - 1) || db->activeCount != count) {
      state.SkipWithError("AddRecord went wrong");
      break;
    }
  }
  db->Close();
  platform::DeleteFileAt(path.c_str());
  state.SetItemsProcessed(state.iterations() * count);
}

// Undo of one step made on a fresh copy of the table; the copy, the open,
// prepare and the step are not timed. The history's size is reported, and
// the step's own time beside the undo's as counter.
template <typename Prepare, typename Make>
void TimeUndo(benchmark::State& state, const char* file, StepKind kind, const char* counter, Prepare prepare,
              Make make, uint32_t added) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string work = Folder().Path(file + std::to_string(records) + ".vdr");
  auto db = NewDatabaseFile();
  History history;
  double stepSeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = platform::CopyFileOver(Table(records).c_str(), work.c_str()) && OpenAt(*db, work, true) &&
                 prepare(*db);
    history.Attach(db.get());
    const auto start = std::chrono::steady_clock::now();
    history.Begin(kind);
    ready = ready && make(*db);
    history.End(true, -1);
    stepSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["history_MB"] = static_cast<double>(history.Bytes()) / (1 << 20);
    ready = ready && db->activeCount == records + added;
    state.ResumeTiming();
    int32_t touched;
    if (!ready || !history.Undo(&touched) || db->activeCount != records) {
      state.SkipWithError("the step or its undo failed");
      break;
    }
    state.PauseTiming();
    history.Attach(nullptr);
    db->Close();
    state.ResumeTiming();
  }
  state.counters[counter] = stepSeconds * 1000;
  platform::DeleteFileAt(work.c_str());
}

// Undo of a sort of the whole table by its first text field: the order it
// replaced is put back.
void BM_UndoSort(benchmark::State& state) {
  TimeUndo(
      state, "undo-sort-", StepKind::kSort, "sort_ms", [](DatabaseFile&) { return true; },
      [](DatabaseFile& db) { return db.SortByField(1) == 1; }, 0);
}

// Undo of an import of 100,000 records (a CSV file read by CsvImport, as
// File > Import does) into the table: the records it added go, and the
// compaction or growth it made is taken back.
void BM_UndoImport(benchmark::State& state) {
  constexpr uint32_t kImported = 100000;
  const std::string csv = Folder().Path("import.csv");
  {
    std::string text;
    for (uint32_t i = 0; i < kImported; ++i)
      text += "imported " + std::to_string(i) + ",prefix " + std::to_string(i % 977) + ",w" +
              std::to_string(i % 5000) + "," + std::to_string(i) + "\n";
    FILE* file = std::fopen(csv.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      state.SkipWithError("cannot write the CSV file");
      if (file) std::fclose(file);
      return;
    }
    std::fclose(file);
  }
  std::unique_ptr<CsvImport> import;
  TimeUndo(
      state, "undo-import-", StepKind::kImport, "import_ms",
      [&](DatabaseFile& db) {
        ImportProblem problem;
        import = std::make_unique<CsvImport>();
        return import->Open(csv.c_str()) && import->Check(db, false, &problem);
      },
      [&](DatabaseFile& db) { return import->Add(&db); }, kImported);
}

// The first AddRecord after Open, on a fresh copy of a table whose slots are
// in use but for the sixteenth the growth left free, so that the add grows
// the file (layout 0 the four fields, 1 the world table's 44). The copy and
// the open are not timed.
void BM_FirstAddAfterOpen(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string& pristine = TableOfLayout(records, state.range(1));
  const std::string work = Folder().Path("first-add.vdr");
  auto db = NewDatabaseFile();
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = platform::CopyFileOver(pristine.c_str(), work.c_str()) && OpenAt(*db, work, true);
    state.ResumeTiming();
    if (!ready) {
      state.SkipWithError("copy or open failed");
      break;
    }
    const int32_t slot = db->AddRecord();
    state.PauseTiming();
    db->Close();
    state.ResumeTiming();
    if (slot != static_cast<int32_t>(records)) {
      state.SkipWithError("AddRecord went wrong");
      break;
    }
  }
  platform::DeleteFileAt(work.c_str());
}

// What the record form's status line, Goto, Next and Previous ask: the
// record number of a slot and the slot of a record number, at places spread
// over the file, with every eighth record deleted.
void BM_RecordNumberLookups(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string work = Folder().Path("lookups.vdr");
  auto db = NewDatabaseFile();
  if (!platform::CopyFileOver(TableOfLayout(records, state.range(1)).c_str(), work.c_str()) ||
      !OpenAt(*db, work, true)) {
    state.SkipWithError("copy or open failed");
    return;
  }
  for (uint32_t s = 0; s < records; s += 8) db->SetRecStat(static_cast<int32_t>(s), kRecDeleted);
  uint32_t step = 0;
  for (auto _ : state) {
    const uint32_t slot = static_cast<uint32_t>((uint64_t{step} * 2654435761u) % records) | 1;
    const int32_t number = db->RecordNumberOf(static_cast<int32_t>(slot));
    const int32_t back = db->SlotOfRecordNumber(static_cast<uint32_t>(number));
    const int32_t next = db->NextActive(back), previous = db->PreviousActive(back);
    benchmark::DoNotOptimize(next + previous);
    if (back != static_cast<int32_t>(slot)) {
      state.SkipWithError("the lookups disagree");
      break;
    }
    ++step;
  }
  db->Close();
  platform::DeleteFileAt(work.c_str());
}

BENCHMARK(BM_OpenAndCount)
    ->ArgsProduct({{10000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"records", "world"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFindsNothing)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByText)
    ->ArgsProduct({{10000, 100000, 1000000}, {1, 2, 3}})
    ->ArgNames({"records", "field"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddRecords)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UndoImport)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FirstAddAfterOpen)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"records", "world"})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordNumberLookups)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"records", "world"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
