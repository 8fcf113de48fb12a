// marvlog: the logging library of rastertomarvik. Everything a caller needs:
//
//   auto& log = marvlog::ILogManager::getRef();
//   log.setLoggerPath(marvlog::MARVLOG_MAIN_LOGGER_ID, "/tmp");
//   log.setLoggerName(marvlog::MARVLOG_MAIN_LOGGER_ID, "app");
//   log.start();
//   MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "len: %d", len);
//   MARVLOG_STREAM(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_INFO) << "pages " << n;
#pragma once

#include "logging/config_parser.h"
#include "logging/local_clock.h"
#include "logging/log_file_handler.h"
#include "logging/log_manager.h"
#include "logging/log_statement.h"
#include "logging/log_stream.h"
#include "logging/log_types.h"
#include "logging/marvlog_levels.h"
#include "logging/sys_helpers.h"
