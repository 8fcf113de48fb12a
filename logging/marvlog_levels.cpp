#include "logging/marvlog_levels.h"

namespace marvlog {

const char* const LOG_STRING[LOG_LEVEL_COUNT] = {"LOG_TRACE", "LOG_DEBUG", "LOG_INFO ", "LOG_WARN ",
                                                 "LOG_ERROR", "LOG_ALARM", "LOG_FATAL"};

const uint64_t LOG_STRING_LEN[LOG_LEVEL_COUNT] = {9, 9, 8, 8, 9, 9, 9};

const char LOG_COLOR[LOG_LEVEL_COUNT][50] = {"\033[0m",  "\033[0m",  "\033[34m\033[1m", "\033[33m",
                                             "\033[31m", "\033[32m", "\033[35m"};

}  // namespace marvlog
