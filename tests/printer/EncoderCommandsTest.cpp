// Head geometry and the positioning / bit-image commands.
#include <gtest/gtest.h>

#include "HexBytes.h"
#include "printer/MarvikESCP.h"

using printer_test::Bytes;
using printer_test::Hex;
using printer_test::Join;
using printer_test::ToHex;

TEST(EncoderGeometry, ByPinsAndResolution) {
  struct Case {
    pin_type_e pins;
    int dpiX, dpiY;
    int linesPerRow, verticalUnit, bitmapM;
  };
  const Case cases[] = {
      {PIN_TYPE_24, 360, 360, 48, 360, 40},
      {PIN_TYPE_24, 360, 180, 24, 180, 40},
      {PIN_TYPE_24, 180, 180, 24, 180, 39},
      {PIN_TYPE_24, 120, 180, 24, 180, 33},
      {PIN_TYPE_24, 180, 360, 48, 360, 39},
      {PIN_TYPE_24, 60, 72, 24, 180, 39},
      {PIN_TYPE_18, 180, 180, 72, 180, 41},
      {PIN_TYPE_18, 360, 180, 24, 180, 40},
      {PIN_TYPE_9, 160, 144, 16, 144, 1},
      {PIN_TYPE_9, 160, 72, 8, 144, 1},
      {PIN_TYPE_9, 80, 72, 8, 144, 0},
      // Combinations with no known bit-image mode get -1 (and are refused).
      {PIN_TYPE_9, 180, 180, 8, 144, -1},
      {static_cast<pin_type_e>(12), 180, 180, 0, 0, -1},
  };
  for (const Case& c : cases) {
    MarvikESCP enc(c.pins, c.dpiX, c.dpiY);
    EXPECT_EQ(enc.LinesPerRow(), c.linesPerRow) << c.pins << " pins " << c.dpiX << "x" << c.dpiY;
    EXPECT_EQ(enc.VerticalUnit(), c.verticalUnit) << c.pins << " pins " << c.dpiX << "x" << c.dpiY;
    EXPECT_EQ(enc.BitmapM(), c.bitmapM) << c.pins << " pins " << c.dpiX << "x" << c.dpiY;
  }
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  enc.SetDpiY(360);  // setters recompute nothing
  EXPECT_EQ(enc.LinesPerRow(), 24);
  EXPECT_EQ(enc.VerticalUnit(), 180);
  EXPECT_EQ(enc.PrinterDataByte(), nullptr);
}

TEST(EncoderCommands, PaperFeed) {
  const Bytes unit360 = Hex("1B 28 55 01 00 0A"), unit60 = Hex("1B 28 55 01 00 3C");
  struct Case {
    pin_type_e pins;
    int dpiX, dpiY, rows;
    Bytes bytes;
  };
  const Case cases[] = {
      {PIN_TYPE_24, 180, 180, 0, Hex("0D")},
      {PIN_TYPE_24, 180, 180, 34, Hex("0D 1B 4A 22")},
      {PIN_TYPE_24, 180, 180, 255, Hex("0D 1B 4A FF")},
      {PIN_TYPE_24, 180, 180, 256, Hex("0D 1B 4A FF 1B 4A 01")},
      {PIN_TYPE_24, 180, 180, 300, Hex("0D 1B 4A FF 1B 4A 2D")},
      {PIN_TYPE_24, 180, 180, -4, Hex("0D")},
      {PIN_TYPE_9, 160, 72, 3, Hex("0D 1B 4A 06")},  // 144 / 72 steps per row
      {PIN_TYPE_9, 360, 360, 5, Hex("0D")},          // no ESC ( on 9 pins
      {PIN_TYPE_24, 360, 360, 1, Join({Hex("0D"), unit360, Hex("0D 1B 28 76 02 00 01 00"), unit60})},
      // ESC J counts 1/180 in on 24 pins: a 360 dpi row needs the fine unit
      // whatever the horizontal resolution.
      {PIN_TYPE_24, 180, 360, 3, Join({Hex("0D"), unit360, Hex("0D 1B 28 76 02 00 03 00"), unit60})},
      {PIN_TYPE_18, 120, 360, 3, Join({Hex("0D"), unit360, Hex("0D 1B 28 76 02 00 03 00"), unit60})},
      // Beyond 65535 units the move is split: 65535 + 4465.
      {PIN_TYPE_24, 360, 360, 70000,
       Join({Hex("0D"), unit360, Hex("0D 1B 28 76 02 00 FF FF 1B 28 76 02 00 71 11"), unit60})},
      {PIN_TYPE_24, 360, 360, 131070,
       Join({Hex("0D"), unit360, Hex("0D 1B 28 76 02 00 FF FF 1B 28 76 02 00 FF FF"), unit60})},
  };
  for (const Case& c : cases) {
    MarvikESCP enc(c.pins, c.dpiX, c.dpiY);
    enc.AddVertical(c.rows);
    EXPECT_EQ(ToHex(enc.PrinterData()), ToHex(c.bytes))
        << c.pins << " pins " << c.dpiX << "x" << c.dpiY << ", " << c.rows << " rows";
  }
  MarvikESCP enc(PIN_TYPE_24, 180, 180);
  enc.SetDpiY(0);
  enc.AddVertical(10);  // no division by zero
  EXPECT_EQ(ToHex(enc.PrinterData()), "0D");
}

TEST(EncoderCommands, PositionAndBitImage) {
  MarvikESCP enc(PIN_TYPE_24, 180, 180);  // bitmapM 39
  enc.AddHorizontal(300);
  EXPECT_EQ(ToHex(enc.PrinterData()), "1B 24 2C 01");

  enc.PrinterData().clear();
  const Bytes cols = Hex("01 02 03 04 05 06");
  enc.AddGraphic(cols.data(), 2, 3);
  EXPECT_EQ(ToHex(enc.PrinterData()), "1B 2A 27 02 00 01 02 03 04 05 06");

  enc.PrinterData().clear();
  enc.AddGraphic(cols.data(), 0, 3);
  EXPECT_TRUE(enc.PrinterData().empty());

  // Over 65535 columns: two images that join, 65535 + 2 columns.
  enc.PrinterData().clear();
  Bytes many(65537, 0);
  many[65535] = 0xA1;
  many[65536] = 0xA2;
  MarvikESCP nine(PIN_TYPE_9, 160, 72);  // bitmapM 1, one byte per column
  nine.AddGraphic(many.data(), many.size(), 1);
  const Bytes& out = nine.PrinterData();
  ASSERT_EQ(out.size(), 5u + 65535u + 5u + 2u);
  EXPECT_EQ(ToHex(Bytes(out.begin(), out.begin() + 5)), "1B 2A 01 FF FF");
  EXPECT_EQ(ToHex(Bytes(out.end() - 7, out.end())), "1B 2A 01 02 00 A1 A2");
}
