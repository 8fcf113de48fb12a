// Local time in log lines across daylight-saving changes. Zones are POSIX
// TZ rules, so no zone database is needed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;

constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kLordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0";  // half-hour moves

int64_t utc(int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = 2026 - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return static_cast<int64_t>(timegm(&t));
}

struct Case {
  const char* zone;
  int64_t when;
  const char* local;
};

const std::vector<Case> kCases = {
    {kBerlin, utc(3, 28, 23, 30, 0), "2026-03-29 00:30:00"},
    {kBerlin, utc(3, 29, 0, 59, 59), "2026-03-29 01:59:59"},
    {kBerlin, utc(3, 29, 1, 0, 0), "2026-03-29 03:00:00"},
    {kBerlin, utc(3, 29, 1, 30, 0), "2026-03-29 03:30:00"},
    {kBerlin, utc(3, 29, 22, 0, 0), "2026-03-30 00:00:00"},
    {kBerlin, utc(10, 25, 0, 30, 0), "2026-10-25 02:30:00"},
    {kBerlin, utc(10, 25, 1, 0, 0), "2026-10-25 02:00:00"},
    {kBerlin, utc(10, 25, 1, 30, 0), "2026-10-25 02:30:00"},
    {kBerlin, utc(10, 25, 22, 30, 0), "2026-10-25 23:30:00"},
    {kBerlin, utc(10, 25, 23, 0, 0), "2026-10-26 00:00:00"},
    {kLordHowe, utc(4, 4, 14, 59, 59), "2026-04-05 01:59:59"},
    {kLordHowe, utc(4, 4, 15, 0, 0), "2026-04-05 01:30:00"},
    {kLordHowe, utc(4, 4, 15, 30, 0), "2026-04-05 02:00:00"},
    {kLordHowe, utc(10, 3, 15, 29, 59), "2026-10-04 01:59:59"},
    {kLordHowe, utc(10, 3, 15, 30, 0), "2026-10-04 02:30:00"},
    {kLordHowe, utc(10, 3, 15, 45, 0), "2026-10-04 02:45:00"},
};

// Stamps the cases of each zone on one fresh thread in the order given, so
// that a stamp may come from the hour its predecessor cached.
void expectStamps(const std::vector<Case>& cases) {
  for (const char* zone : {kBerlin, kLordHowe}) {
    setZone(zone);
    onFreshThread([&] {
      for (const Case& c : cases) {
        if (c.zone != zone) continue;
        const marvlog::detail::LocalStamp s = marvlog::detail::localStamp(c.when);
        char text[40];
        std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day, s.hour,
                      s.minute, s.second);
        EXPECT_EQ(std::string(text), c.local) << zone << " " << c.when;
      }
    });
  }
}

TEST(LocalClock, DaylightSavingChanges) {
  expectStamps(kCases);
  expectStamps(std::vector<Case>(kCases.rbegin(), kCases.rend()));  // clock stepped back
}

}  // namespace
