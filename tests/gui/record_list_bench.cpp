// Times the record list on a large database; not a test. Makes a database of
// N records (100000 unless given) by copying the records of the sample
// database, opens it in the real main window, and prints how long opening
// (copy, columns and rows), a rebuild of the rows, a sort and closing take.
//
//   wine explorer /desktop=bench,1024x768 record_list_bench.exe [N]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/folders.h"
#include "app/shell.h"
#include "store/database_file.h"
#include "store/text.h"
#include "core/working_copy.h"
#include "ui/main/file_menu.h"
#include "ui/main/main_window.h"
#include "ui/main/record_list.h"

namespace {

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool MakeLargeDatabase(const std::string& path, uint32_t records) {
  if (!CopyFileA(VELDRANA_SAMPLE_DATABASE, path.c_str(), FALSE)) return false;
  DatabaseFile& db = databaseFile;
  ResetDatabaseFile(&db);
  if (db.OpenFile(path.c_str(), true) != 1) return false;
  const uint32_t sample = db.activeCount;
  db.holdRecount = 1;
  for (uint32_t i = sample; i < records; ++i) {
    const int32_t slot = db.AllocateSlot();
    if (slot < 0 || !db.CopySlot(static_cast<int32_t>(i % sample), slot)) return false;
  }
  db.holdRecount = 0;
  db.CountActive();
  db.Close();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t records = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 100000;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "veldrana-bench\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"WELT13.xml", "Spare.xml"})
    CopyFileA((std::string(VELDRANA_SOURCE_DIR) + "/data/" + name).c_str(), (folder + name).c_str(),
              FALSE);
  const std::string database = folder + "Large.vdr";
  double start = Seconds();
  if (!MakeLargeDatabase(database, records)) {
    std::printf("could not make %s\n", database.c_str());
    return 1;
  }
  std::printf("made %u records in %.2f s\n", records, Seconds() - start);

  StartOptions options;
  options.programFolder = folder.c_str();
  options.dataFolder = folder.c_str();
  options.mutexName = "Veldrana.exe bench";
  options.commandLine = "Veldrana.exe";
  if (StartProgram(options) != StartResult::kStarted) return 1;

  start = Seconds();
  OpenDatabase(database.c_str());
  const double opened = Seconds() - start;
  const LRESULT rows = SendMessageA(recordList, LVM_GETITEMCOUNT, 0, 0);
  std::printf("open: %ld rows of %u fields in %.2f s\n", static_cast<long>(rows),
              databaseFile.fieldCount, opened);

  start = Seconds();
  SendMessageA(recordList, LVM_DELETEALLITEMS, 0, 0);
  RebuildRecordList();
  std::printf("rebuild: %.2f s\n", Seconds() - start);

  start = Seconds();
  UpdateWindow(mainWindow);
  std::printf("first paint: %.3f s\n", Seconds() - start);

  start = Seconds();
  databaseChanged = 0;
  CloseDatabase();
  std::printf("close: %.2f s\n", Seconds() - start);
  DestroyWindow(mainWindow);
  DeleteFileA(database.c_str());
  DeleteFileA((folder + "Temp.dat").c_str());
  return 0;
}
