// The page walk written the slow, obvious way: every pixel moved into its
// head column bit by bit and every column handed to CalcWhiteArea. The
// library's word-wise form must produce the same bytes.
#pragma once

#include <cstdint>

#include "printer/MarvikESCP.h"

namespace printer_test {

// Rebuilds enc.PrinterData() as the page body of the bitmap. The geometry
// must be one the encoder accepts.
void ReferenceEncodePage(MarvikESCP& enc, const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width,
                         uint64_t height);

}  // namespace printer_test
