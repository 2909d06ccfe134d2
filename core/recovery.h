// The recovery record: a small file beside the working copy that says which
// database the working copy holds and whether it has changes the user has not
// saved. An orderly close removes it; one found at start-up means the program
// ended without closing its database (it was killed, or the PC lost power),
// and the working copy may hold work to give back.
//
// File: "VDRRECOV", a version word (1), a flags word (1 unsaved changes, 2 a
// file of the user's), the user's file name and the template's file name
// (each a length word and that many bytes, at most 599), and an FNV-1a
// checksum of everything before it. Words are little-endian. Anything else
// is no record.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char kRecoveryFileName[] = "Recovery.dat";
constexpr size_t kRecoveryTextSize = 600;

struct RecoveryRecord {
  bool unsaved = false;
  bool hasUserFile = false;
  char userFile[kRecoveryTextSize] = {};
  char templateName[kRecoveryTextSize] = {};
};

// Writes the record to dataFolder + name, beside it first and then in its
// place; false when it could not be written. The working copy's record is
// kRecoveryFileName; working copies kept aside have records of their own
// (core/working_copy.h).
bool WriteRecoveryRecord(const RecoveryRecord& record, const char* name = kRecoveryFileName);
// Reads and checks the record; false when there is none or it is damaged.
bool ReadRecoveryRecord(RecoveryRecord* record, const char* name = kRecoveryFileName);
void RemoveRecoveryRecord(const char* name = kRecoveryFileName);
