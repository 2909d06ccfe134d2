// The one-line description of the operating system that the About box shows
// on its "Diagnostics" page and puts into the support mail, for example
// "Windows 7 Professional, Service Pack 1".
//
// DescribeOs is a pure function of a small version record and two system
// metrics, so every row of its table can be tried with made-up systems; the
// About box fills the record from the running system (ReadOsVersion,
// about_box.h).
#pragma once

#include <cstddef>
#include <cstdint>

// The system's platform id of the NT family (VER_PLATFORM_WIN32_NT).
constexpr uint32_t kPlatformNt = 2;
// Product types of the extended version record.
constexpr uint8_t kProductWorkstation = 1;       // VER_NT_WORKSTATION
constexpr uint8_t kProductDomainController = 2;  // VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t kProductServer = 3;            // VER_NT_SERVER
// Suite mask bit of the home editions (VER_SUITE_PERSONAL).
constexpr uint16_t kSuitePersonal = 0x200;

// What the system says about itself: the fields of its version record that
// the description uses.
struct OsVersionRecord {
  // The extended record was read; without it the product type and suite mask
  // are unknown and no edition is named.
  bool extended = false;
  uint32_t platformId = 0;
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint8_t productType = 0;
  uint16_t suiteMask = 0;
  char servicePack[128] = "";  // e.g. "Service Pack 1"; empty when none
};

// The system metrics that tell the XP editions apart (SM_TABLETPC and
// SM_MEDIACENTER, non-zero when the system is that edition).
struct OsEditionMetrics {
  int tabletPc = 0;
  int mediaCenter = 0;
};

// Writes the description into text (textSize bytes, 600 in the program),
// cut to fit:
//   - a platform other than NT: "Unknown OS", nothing more;
//   - else the base name by version (5.0 "Windows 2000"; 5.1 "Windows XP",
//     or its Tablet PC or Media Center Edition by the metrics; 5.2 "Windows
//     Server 2003 Family"; 6.0 "Windows Vista"; 6.1 "Windows 7"; 6.2
//     "Windows 8"; 6.3 "Windows 8.1"; other 6.x "Unknown Window 2000"; 10.0
//     "Windows 10", or "Windows 11" from build 22000; anything else "Unknown
//     OS"),
//   - then, from an extended record, " Home Edition" or " Professional" for a
//     workstation (by the personal suite bit) or " Server" for a server,
//   - then ", " and the service-pack text when that is not empty.
void DescribeOs(const OsVersionRecord& version, const OsEditionMetrics& metrics, char* text,
                size_t textSize);
