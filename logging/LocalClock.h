// Local date and time of a record, without a calendar conversion per line.
#pragma once

#include <cstdint>

namespace marvlog::detail {

struct LocalStamp {
  int year;    // e.g. 2026
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59 (60 only for a leap second the zone reports)
};

// The true local time of t. Each thread caches one stretch of time within
// a single local hour and a single UTC offset, so a line costs integer
// arithmetic except at the first line of a new hour; across a
// daylight-saving change the written hour is the clock's, not the time
// elapsed since midnight.
LocalStamp localStamp(int64_t t);

}  // namespace marvlog::detail
