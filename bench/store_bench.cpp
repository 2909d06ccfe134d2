// Record store benchmarks on tables of 10,000, 100,000 and 1,000,000 records
// (three text fields, each a kind of sort key, and a number), made once per
// run in a temporary folder.
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

#include "bench/table_image.h"
#include "core/csv_import.h"
#include "core/history.h"
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

bool OpenAt(DatabaseFile& db, const std::string& path, bool writable) {
  return db.OpenFile(path.c_str(), writable) == 1;
}

void BM_OpenAndCount(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string& path = Table(records);
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

// Undo of a sort of the whole table by its first text field: the order it
// replaced is put back; the copy, the open and the sort are not timed. The
// history's size is reported, and the sort's own time beside the undo's.
void BM_UndoSort(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
  const std::string work = Folder().Path("undo-sort-" + std::to_string(records) + ".vdr");
  auto db = NewDatabaseFile();
  History history;
  double sortSeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = platform::CopyFileOver(Table(records).c_str(), work.c_str()) && OpenAt(*db, work, true);
    history.Attach(db.get());
    const auto start = std::chrono::steady_clock::now();
    history.Begin(StepKind::kSort);
    ready = ready && db->SortByField(1) == 1;
    history.End(true, -1);
    sortSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["history_MB"] = static_cast<double>(history.Bytes()) / (1 << 20);
    state.ResumeTiming();
    int32_t touched;
    if (!ready || !history.Undo(&touched)) {
      state.SkipWithError("sort or undo failed");
      break;
    }
    state.PauseTiming();
    history.Attach(nullptr);
    db->Close();
    state.ResumeTiming();
  }
  state.counters["sort_ms"] = sortSeconds * 1000;
  platform::DeleteFileAt(work.c_str());
}

// Undo of an import of 100,000 records (a CSV file read by CsvImport, as
// File > Import does) into the table: the records it added go, and the
// compaction or growth it made is taken back. Reported beside it: the
// import's own time and the history's size.
void BM_UndoImport(benchmark::State& state) {
  const uint32_t records = static_cast<uint32_t>(state.range(0));
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
  const std::string work = Folder().Path("undo-import-" + std::to_string(records) + ".vdr");
  auto db = NewDatabaseFile();
  History history;
  double importSeconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bool ready = platform::CopyFileOver(Table(records).c_str(), work.c_str()) && OpenAt(*db, work, true);
    CsvImport import;
    ImportProblem problem;
    ready = ready && import.Open(csv.c_str()) && import.Check(*db, false, &problem);
    history.Attach(db.get());
    const auto start = std::chrono::steady_clock::now();
    history.Begin(StepKind::kImport);
    ready = ready && import.Add(db.get());
    history.End(true, -1);
    importSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["history_MB"] = static_cast<double>(history.Bytes()) / (1 << 20);
    ready = ready && db->activeCount == records + kImported;
    state.ResumeTiming();
    int32_t touched;
    if (!ready || !history.Undo(&touched) || db->activeCount != records) {
      state.SkipWithError("import or undo failed");
      break;
    }
    state.PauseTiming();
    history.Attach(nullptr);
    db->Close();
    state.ResumeTiming();
  }
  state.counters["import_ms"] = importSeconds * 1000;
  platform::DeleteFileAt(work.c_str());
}

BENCHMARK(BM_OpenAndCount)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFindsNothing)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByText)
    ->ArgsProduct({{10000, 100000, 1000000}, {1, 2, 3}})
    ->ArgNames({"records", "field"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddRecords)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSort)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UndoImport)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
