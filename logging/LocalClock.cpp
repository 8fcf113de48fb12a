#include "logging/LocalClock.h"

#include <ctime>

#include "logging/SysHelpers.h"

namespace marvlog::detail {
namespace {

constexpr int64_t kHour = 3600;

// [lo, hi) is a stretch in which local time is base's time plus (t - lo).
struct HourCache {
  int64_t lo = 1;
  int64_t hi = 0;
  struct tm base {};

  void fill(int64_t t) {
    const struct tm now = timeToTm(static_cast<time_t>(t));
    const int64_t intoHour = now.tm_min * 60 + now.tm_sec;
    const int64_t start = t - (intoHour < kHour ? intoHour : 0);
    const int64_t stop = start + kHour;
    const bool steady = timeToTm(static_cast<time_t>(start)).tm_gmtoff == now.tm_gmtoff &&
                        timeToTm(static_cast<time_t>(stop - 1)).tm_gmtoff == now.tm_gmtoff;
    if (steady && intoHour < kHour) {
      lo = start;
      hi = stop;
      base = now;
      base.tm_min = 0;
      base.tm_sec = 0;
    } else {
      // The offset changes within this hour: cache just this second.
      lo = t;
      hi = t + 1;
      base = now;
    }
  }
};

thread_local HourCache tlsCache;

}  // namespace

LocalStamp localStamp(int64_t t) {
  HourCache& cache = tlsCache;
  if (t < cache.lo || t >= cache.hi) cache.fill(t);
  const int64_t total = cache.base.tm_min * 60 + cache.base.tm_sec + (t - cache.lo);
  LocalStamp stamp;
  stamp.year = cache.base.tm_year + 1900;
  stamp.month = cache.base.tm_mon + 1;
  stamp.day = cache.base.tm_mday;
  stamp.hour = cache.base.tm_hour;
  stamp.minute = static_cast<int>(total / 60);
  stamp.second = static_cast<int>(total % 60);
  return stamp;
}

}  // namespace marvlog::detail
