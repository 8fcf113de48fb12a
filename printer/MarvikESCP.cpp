// Encoder construction and head geometry.
#include "printer/MarvikESCP.h"

#include "logging/marvlog.h"

MarvikESCP::MarvikESCP(pin_type_e pinType, int32_t dpiX, int32_t dpiY)
    : pinType(pinType), dpiX(dpiX), dpiY(dpiY) {
  switch (pinType) {
    case PIN_TYPE_18:
      InitPin18();
      break;
    case PIN_TYPE_24:
      InitPin24();
      break;
    case PIN_TYPE_9:
      InitPin9();
      break;
    default:
      // An unknown head keeps the member defaults: no band height and no
      // bit-image mode, which the page walk refuses.
      break;
  }
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "pinType: %d",
              static_cast<int>(this->pinType));
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "dpiX: %d", this->dpiX);
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "dpiY: %d", this->dpiY);
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "linesPerRow: %d",
              static_cast<int>(linesPerRow));
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "verticalUnit: %d", verticalUnit);
  MARVLOG_FMT(marvlog::MARVLOG_MAIN_LOGGER_ID, marvlog::LOG_DEBUG, "bitmapM: %d", bitmapM);
}

void MarvikESCP::InitPin24() {
  linesPerRow = dpiY == 360 ? 48 : 24;
  verticalUnit = dpiY == 360 ? 360 : 180;
  if ((dpiX == 360 && dpiY == 360) || (dpiX == 360 && dpiY == 180)) {
    bitmapM = 40;
  } else if (dpiX == 120 && dpiY == 180) {
    bitmapM = 33;
  } else {
    bitmapM = 39;  // 180 x 180 and every other pair
  }
}

void MarvikESCP::InitPin18() {
  InitPin24();
  if (dpiX == 180 && dpiY == 180) {
    linesPerRow = 72;
    bitmapM = 41;
  }
}

void MarvikESCP::InitPin9() {
  linesPerRow = dpiY == 144 ? 16 : 8;
  verticalUnit = 144;
  if (dpiX == 160 && (dpiY == 144 || dpiY == 72)) {
    bitmapM = 1;
  } else if (dpiX == 80 && dpiY == 72) {
    bitmapM = 0;
  } else {
    bitmapM = -1;  // no 8-dot mode is known for this resolution
  }
}

const unsigned char* MarvikESCP::PrinterDataByte() const {
  return printerData.empty() ? nullptr : printerData.data();
}
