// The page walk written the slow, obvious way, as the benchmark's baseline:
// every pixel moved into its head column bit by bit and every column handed
// to CalcWhiteArea.
#pragma once

#include <cstdint>

#include "printer/MarvikESCP.h"

namespace marvik::bench {

// Rebuilds enc.PrinterData() as the page body of the bitmap. The geometry
// must be one the encoder accepts.
void ReferenceEncodePage(MarvikESCP& enc, const unsigned char* bitmap, uint64_t bytesPerLine, uint64_t width,
                         uint64_t height);

}  // namespace marvik::bench
