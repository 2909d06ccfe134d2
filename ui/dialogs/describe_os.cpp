#include "ui/dialogs/describe_os.h"

#include "store/text.h"

namespace {

// Windows 11 reports itself as 10.0; its builds start here.
constexpr uint32_t kFirstWindows11Build = 22000;

const char* BaseName(const OsVersionRecord& version, const OsEditionMetrics& metrics) {
  switch (version.majorVersion) {
    case 5:
      switch (version.minorVersion) {
        case 0: return "Windows 2000";
        case 1:
          if (metrics.tabletPc) return "Windows XP Tablet PC Edition";
          if (metrics.mediaCenter) return "Windows XP Media Center Edition";
          return "Windows XP";
        case 2: return "Windows Server 2003 Family";
        default: return "Unknown OS";
      }
    case 6:
      switch (version.minorVersion) {
        case 0: return "Windows Vista";
        case 1: return "Windows 7";
        case 2: return "Windows 8";
        case 3: return "Windows 8.1";
        default: return "Unknown Window 2000";
      }
    case 10:
      if (version.minorVersion != 0) return "Unknown OS";
      return version.buildNumber >= kFirstWindows11Build ? "Windows 11" : "Windows 10";
    default:
      return "Unknown OS";
  }
}

const char* EditionName(const OsVersionRecord& version) {
  if (!version.extended) return nullptr;
  switch (version.productType) {
    case kProductWorkstation:
      return (version.suiteMask & kSuitePersonal) ? "Home Edition" : "Professional";
    case kProductServer:
      return "Server";
    default:
      return nullptr;
  }
}

}  // namespace

void DescribeOs(const OsVersionRecord& version, const OsEditionMetrics& metrics, char* text,
                size_t textSize) {
  if (textSize == 0) return;
  if (version.platformId != kPlatformNt) {
    CopyText("Unknown OS", text, textSize);
    return;
  }
  CopyText(BaseName(version, metrics), text, textSize);
  if (const char* edition = EditionName(version)) {
    AppendText(text, textSize, " ");
    AppendText(text, textSize, edition);
  }
  // The record's text may fill its whole field without a terminator.
  char servicePack[sizeof version.servicePack + 1];
  size_t length = 0;
  while (length < sizeof version.servicePack && version.servicePack[length]) length++;
  CopyBytes(version.servicePack, servicePack, sizeof servicePack, length);
  if (servicePack[0]) {
    AppendText(text, textSize, ", ");
    AppendText(text, textSize, servicePack);
  }
}
