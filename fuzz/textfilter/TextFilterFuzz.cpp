// Any document through the text job, with options and read sizes taken from
// its first two bytes: every form must be the job's set-up, then lines of
// printable characters of the table with only bold and underline switched,
// each at most a line wide, no more lines than a form holds, then FF ESC @.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "text/TextEmitter.h"
#include "text/TextJob.h"

using namespace marvik::text;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  TextOptions options;
  options.pitch = static_cast<Pitch>(data[0] % kPitches.size());
  options.table = static_cast<CharacterTable>(data[0] / 5 % kCharacterTables.size());
  options.spacing = static_cast<LineSpacing>(data[0] / 25 % 2);
  options.wrap = data[0] < 128;
  options.formLength = 72 + data[1] % 16 * 9;  // 1 to 3 in: a few lines a form
  const std::size_t piece = 1 + data[1] / 16;
  data += 2, size -= 2;

  const TextJob job(options);
  const TextGeometry& geometry = job.Geometry();
  if (job.Check() != GeometryResult::kOk) __builtin_trap();
  const TextEmitter emitter(options, geometry);
  const CharacterMap map(options.table);
  std::vector<unsigned char> frame;
  emitter.EmitForm(Form{}, frame);
  const std::size_t setUp = frame.size() - 3;
  std::size_t at = 0;
  job.Print(
      [&](unsigned char* buffer, std::size_t room) {
        const std::size_t n = std::min({piece, room, size - at});
        std::copy(data + at, data + at + n, buffer);
        return static_cast<long>((at += n, n));
      },
      [&](const std::vector<unsigned char>& form) {
        if (form.size() < frame.size() || !std::equal(frame.begin(), frame.begin() + setUp, form.begin()) ||
            !std::equal(frame.begin() + setUp, frame.end(), form.end() - 3))
          __builtin_trap();
        int lines = 0, column = 0;
        for (std::size_t i = setUp; i < form.size() - 3; ++i) {
          const unsigned char b = form[i];
          if (b == 0x1B && (form[i + 1] == 'E' || form[i + 1] == 'F')) {
            ++i;
          } else if (b == 0x1B && form[i + 1] == '-' && form[i + 2] <= 1) {
            i += 2;
          } else if (b == '\r' && form[i + 1] == '\n') {
            ++i, ++lines, column = 0;
          } else if (map.Decode(b) == 0 || ++column > geometry.columns) {
            __builtin_trap();
          }
        }
        if (lines > geometry.linesPerForm || column != 0) __builtin_trap();
        return true;
      },
      nullptr);
  return 0;
}
