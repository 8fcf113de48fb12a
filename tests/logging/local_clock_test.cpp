// Local time in log lines across daylight-saving changes. Zones are given
// as POSIX TZ rules so that the tests need no zone database.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace marvlog_test;

constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
// Lord Howe Island moves its clocks by half an hour.
constexpr const char* kLordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0";

int64_t utc(int year, int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return static_cast<int64_t>(timegm(&t));
}

std::string show(const marvlog::LocalStamp& s) {
  char text[40];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day, s.hour, s.minute,
                s.second);
  return text;
}

struct Case {
  int64_t when;
  const char* local;
};

// Stamps every case on one fresh thread, in the order given, so that each
// stamp may come from the hour cached by the one before.
void expectStamps(const char* zone, const std::vector<Case>& cases) {
  setZone(zone);
  onFreshThread([&] {
    for (const Case& c : cases)
      EXPECT_EQ(show(marvlog::localStamp(c.when)), c.local) << zone << " " << c.when;
  });
}

const std::vector<Case> kBerlinCases = {
    {utc(2026, 3, 28, 23, 30, 0), "2026-03-29 00:30:00"},
    {utc(2026, 3, 29, 0, 59, 59), "2026-03-29 01:59:59"},
    {utc(2026, 3, 29, 1, 0, 0), "2026-03-29 03:00:00"},
    {utc(2026, 3, 29, 1, 30, 0), "2026-03-29 03:30:00"},
    {utc(2026, 3, 29, 21, 59, 59), "2026-03-29 23:59:59"},
    {utc(2026, 3, 29, 22, 0, 0), "2026-03-30 00:00:00"},
    {utc(2026, 10, 25, 0, 30, 0), "2026-10-25 02:30:00"},
    {utc(2026, 10, 25, 0, 59, 59), "2026-10-25 02:59:59"},
    {utc(2026, 10, 25, 1, 0, 0), "2026-10-25 02:00:00"},
    {utc(2026, 10, 25, 1, 30, 0), "2026-10-25 02:30:00"},
    {utc(2026, 10, 25, 22, 30, 0), "2026-10-25 23:30:00"},
    {utc(2026, 10, 25, 23, 0, 0), "2026-10-26 00:00:00"},
};

const std::vector<Case> kLordHoweCases = {
    {utc(2026, 4, 4, 14, 59, 59), "2026-04-05 01:59:59"},
    {utc(2026, 4, 4, 15, 0, 0), "2026-04-05 01:30:00"},
    {utc(2026, 4, 4, 15, 29, 59), "2026-04-05 01:59:59"},
    {utc(2026, 4, 4, 15, 30, 0), "2026-04-05 02:00:00"},
    {utc(2026, 10, 3, 15, 29, 59), "2026-10-04 01:59:59"},
    {utc(2026, 10, 3, 15, 30, 0), "2026-10-04 02:30:00"},
    {utc(2026, 10, 3, 15, 45, 0), "2026-10-04 02:45:00"},
};

TEST(LocalClock, DaylightSavingChangesInClockOrder) {
  expectStamps(kBerlin, kBerlinCases);
  expectStamps(kLordHowe, kLordHoweCases);
}

TEST(LocalClock, DaylightSavingChangesWithTheClockSteppedBack) {
  expectStamps(kBerlin, std::vector<Case>(kBerlinCases.rbegin(), kBerlinCases.rend()));
  expectStamps(kLordHowe, std::vector<Case>(kLordHoweCases.rbegin(), kLordHoweCases.rend()));
}

TEST(LocalClock, EverySecondAroundAChangeMatchesTheCalendar) {
  setZone(kBerlin);
  onFreshThread([] {
    for (int64_t t = utc(2026, 10, 24, 23, 0, 0); t < utc(2026, 10, 25, 3, 0, 0); t += 7) {
      const struct tm want = marvlog::timeToTm(static_cast<time_t>(t));
      const marvlog::LocalStamp got = marvlog::localStamp(t);
      ASSERT_EQ(got.hour * 3600 + got.minute * 60 + got.second,
                want.tm_hour * 3600 + want.tm_min * 60 + want.tm_sec)
          << t;
      ASSERT_EQ(got.day, want.tm_mday) << t;
    }
  });
}

TEST(LocalClock, RecordsCarryTheClockTimeAfterTheChange) {
  setZone(kBerlin);
  fixedSeconds = utc(2026, 3, 29, 1, 30, 0);
  fixedMicros = 0;
  fixedThread = 7;
  marvlog::LogManager manager;
  manager.setClock(fixedClock);
  manager.setThreadIdSource(fixedThreadId);
  onFreshThread([&] {
    marvlog::LogData* record = manager.makeLogData(0, marvlog::LOG_DEBUG);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::string(record->content, static_cast<size_t>(record->contentLen)),
              "2026-03-29 03:30:00.000 [0007] LOG_DEBUG ");
    manager.freeLogData(record);
  });
}

}  // namespace
