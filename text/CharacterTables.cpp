#include "text/CharacterTables.h"

#include <iconv.h>

#include <cstring>

namespace marvik::text {

const std::array<CharacterTableInfo, 5> kCharacterTables = {{
    {CharacterTable::kPc437, "pc437", "PC437 (US)", "IBM437", 1, 0},
    {CharacterTable::kPc850, "pc850", "PC850 (Multilingual)", "IBM850", 3, 0},
    {CharacterTable::kPc858, "pc858", "PC858 (Multilingual with euro)", "IBM858", 44, 0},
    {CharacterTable::kIso8859_1, "iso-8859-1", "ISO 8859-1 (Latin-1)", "ISO-8859-1", 29, 16},
    {CharacterTable::kIso8859_15, "iso-8859-15", "ISO 8859-15 (Latin-9, with euro)", "ISO-8859-15", 29, 15},
}};

const CharacterTableInfo& InfoOf(CharacterTable table) {
  for (const CharacterTableInfo& info : kCharacterTables) {
    if (info.table == table) return info;
  }
  return kCharacterTables[0];
}

const CharacterTableInfo* FindCharacterTable(const char* keyword) {
  if (keyword == nullptr) return nullptr;
  for (const CharacterTableInfo& info : kCharacterTables) {
    if (std::strcmp(info.keyword, keyword) == 0) return &info;
  }
  return nullptr;
}

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // One byte of the table to one UTF-32 code point, or 0.
  char32_t Decode(unsigned char byte) {
    char in[1] = {static_cast<char>(byte)};
    char32_t out[2] = {0, 0};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = sizeof in;
    size_t outLeft = sizeof out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        outLeft != sizeof(char32_t)) {
      return 0;
    }
    return out[0];
  }

 private:
  iconv_t cd_;
};

bool Printable(char32_t c) {
  return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F);
}

}  // namespace

CharacterMap::CharacterMap(CharacterTable table) {
  // UTF-32 in the machine's own byte order.
  Converter decoder(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-32LE" : "UTF-32BE",
                    InfoOf(table).iconvName);
  if (!decoder.ok()) return;
  for (unsigned byte = 0x20; byte < 256; ++byte) {
    const char32_t c = decoder.Decode(static_cast<unsigned char>(byte));
    decode_[byte] = Printable(c) ? c : 0;
  }
  ok_ = true;
}

int CharacterMap::Encode(char32_t codePoint) const {
  if (codePoint < 0x80)
    return Printable(codePoint) && decode_[codePoint] == codePoint ? static_cast<int>(codePoint) : -1;
  for (unsigned byte = 0x80; byte < 256; ++byte) {
    if (decode_[byte] == codePoint) return static_cast<int>(byte);
  }
  return -1;
}

}  // namespace marvik::text
