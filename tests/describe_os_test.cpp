// DescribeOs over made-up systems: every row of its table, the editions, the
// service-pack text, and a buffer too small for the whole description.
#include "ui/dialogs/describe_os.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct System {
  uint32_t platform;
  uint32_t major, minor;
  bool extended;
  uint8_t productType;
  uint16_t suiteMask;
  const char* servicePack;
  int tabletPc, mediaCenter;
  uint32_t build = 0;
};

std::string Describe(const System& s, size_t size = 600) {
  OsVersionRecord version;
  version.extended = s.extended;
  version.platformId = s.platform;
  version.majorVersion = s.major;
  version.minorVersion = s.minor;
  version.buildNumber = s.build;
  version.productType = s.productType;
  version.suiteMask = s.suiteMask;
  std::snprintf(version.servicePack, sizeof version.servicePack, "%s", s.servicePack);
  OsEditionMetrics metrics;
  metrics.tabletPc = s.tabletPc;
  metrics.mediaCenter = s.mediaCenter;
  std::string text(size + 8, '\x7f');  // bytes past the size must stay untouched
  DescribeOs(version, metrics, &text[0], size);
  EXPECT_EQ(text.substr(size), std::string(8, '\x7f'));
  return text.c_str();
}

constexpr uint32_t kNt = kPlatformNt;
constexpr uint32_t kWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint8_t kWork = kProductWorkstation;
constexpr uint8_t kServer = kProductServer;
constexpr uint16_t kHome = kSuitePersonal;

TEST(DescribeOs, EveryRowOfTheTable) {
  struct Case {
    System system;
    const char* expected;
  } cases[] = {
      // The two systems the About box's help names.
      {{kNt, 6, 1, true, kWork, 0, "Service Pack 1", 0, 0}, "Windows 7 Professional, Service Pack 1"},
      {{kNt, 5, 1, true, kWork, kHome, "Service Pack 3", 0, 0},
       "Windows XP Home Edition, Service Pack 3"},
      // Base names by version.
      {{kNt, 5, 0, true, kServer, 0, "Service Pack 4", 0, 0}, "Windows 2000 Server, Service Pack 4"},
      {{kNt, 5, 1, true, kWork, 0, "Service Pack 2", 1, 0},
       "Windows XP Tablet PC Edition Professional, Service Pack 2"},
      {{kNt, 5, 1, true, kWork, 0, "Service Pack 2", 0, 1},
       "Windows XP Media Center Edition Professional, Service Pack 2"},
      {{kNt, 5, 1, true, kWork, 0, "", 1, 1}, "Windows XP Tablet PC Edition Professional"},
      {{kNt, 5, 1, true, kWork, 0, "", 0, 0}, "Windows XP Professional"},
      {{kNt, 5, 2, true, kServer, 0, "Service Pack 2", 0, 0},
       "Windows Server 2003 Family Server, Service Pack 2"},
      {{kNt, 5, 3, true, kWork, 0, "", 0, 0}, "Unknown OS Professional"},
      {{kNt, 6, 0, true, kWork, kHome, "Service Pack 2", 0, 0},
       "Windows Vista Home Edition, Service Pack 2"},
      {{kNt, 6, 2, true, kWork, 0, "", 0, 0}, "Windows 8 Professional"},
      {{kNt, 6, 3, true, kWork, 0, "", 0, 0}, "Windows 8.1 Professional"},
      {{kNt, 6, 3, true, kServer, 0, "", 0, 0}, "Windows 8.1 Server"},
      {{kNt, 6, 4, true, kWork, 0, "", 0, 0}, "Unknown Window 2000 Professional"},
      {{kNt, 10, 0, true, kWork, kHome, "", 0, 0, 19045}, "Windows 10 Home Edition"},
      {{kNt, 10, 0, true, kWork, 0, "", 0, 0, 21999}, "Windows 10 Professional"},
      {{kNt, 10, 0, true, kWork, 0, "", 0, 0, 22000}, "Windows 11 Professional"},
      {{kNt, 10, 0, true, kServer, 0, "", 0, 0, 17763}, "Windows 10 Server"},
      {{kNt, 10, 1, true, kWork, 0, "", 0, 0, 30000}, "Unknown OS Professional"},
      {{kNt, 11, 0, true, kWork, 0, "", 0, 0}, "Unknown OS Professional"},
      {{kNt, 4, 0, true, kWork, 0, "Service Pack 6", 0, 0}, "Unknown OS Professional, Service Pack 6"},
      // The metrics count on 5.1 only.
      {{kNt, 6, 1, true, kWork, 0, "", 1, 1}, "Windows 7 Professional"},
      // Editions: a domain controller and unknown product types name none;
      // neither does a system that gave only the basic record.
      {{kNt, 5, 2, true, kProductDomainController, 0, "", 0, 0}, "Windows Server 2003 Family"},
      {{kNt, 6, 1, true, 0, kHome, "", 0, 0}, "Windows 7"},
      {{kNt, 6, 1, false, kWork, kHome, "Service Pack 1", 0, 0}, "Windows 7, Service Pack 1"},
      // The personal bit among others; a server ignores it.
      {{kNt, 5, 1, true, kWork, kHome | 0x100, "", 0, 0}, "Windows XP Home Edition"},
      {{kNt, 5, 2, true, kServer, kHome, "", 0, 0}, "Windows Server 2003 Family Server"},
      // Not NT: "Unknown OS" and nothing else.
      {{kWin9x, 4, 10, true, kWork, kHome, " A", 1, 1}, "Unknown OS"},
      {{kWin9x, 6, 1, true, kWork, 0, "Service Pack 1", 0, 0}, "Unknown OS"},
      {{0, 5, 1, false, 0, 0, "", 0, 0}, "Unknown OS"},
  };
  for (const Case& c : cases) {
    const System& s = c.system;
    SCOPED_TRACE(testing::Message() << "platform " << s.platform << ", " << s.major << "."
                                    << s.minor << ", product " << int(s.productType) << ", \""
                                    << s.servicePack << "\"");
    EXPECT_EQ(Describe(s), c.expected);
  }
}

TEST(DescribeOs, EmptyServicePackGivesNoSeparator) {
  const std::string text = Describe({kNt, 6, 1, true, kWork, 0, "", 0, 0});
  EXPECT_EQ(text, "Windows 7 Professional");
  EXPECT_EQ(text.find(','), std::string::npos);
}

TEST(DescribeOs, CutToTheCallersBuffer) {
  const System win7 = {kNt, 6, 1, true, kWork, 0, "Service Pack 1", 0, 0};
  EXPECT_EQ(Describe(win7, 10), "Windows 7");
  EXPECT_EQ(Describe(win7, 1), "");
  EXPECT_EQ(Describe({kWin9x, 4, 0, false, 0, 0, "", 0, 0}, 5), "Unkn");
}

TEST(DescribeOs, ServicePackFillingItsWholeField) {
  // A record whose service-pack text has no terminator within its 128 bytes.
  OsVersionRecord version;
  version.extended = true;
  version.platformId = kPlatformNt;
  version.majorVersion = 6;
  version.minorVersion = 1;
  version.productType = kProductWorkstation;
  std::memset(version.servicePack, 'x', sizeof version.servicePack);
  char text[600];
  DescribeOs(version, OsEditionMetrics(), text, sizeof text);
  EXPECT_EQ(std::string(text), "Windows 7 Professional, " + std::string(128, 'x'));
}

}  // namespace
