#include "text/TextJob.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "printer/DotMatrixPrinter.h"
#include "text/TextDecoder.h"
#include "text/TextEmitter.h"
#include "text/TextLayout.h"

namespace marvik::text {

namespace {

// Fills `buffer` as far as the input goes (a pipe delivers in pieces): the
// count, or -1 on an error.
long ReadFully(const ReadFunction& read, unsigned char* buffer, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const long n = read(buffer + got, size - got);
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<long>(got);
}

}  // namespace

TextJob::TextJob(const TextOptions& options)
    : options_(options), check_(ComputeGeometry(options, geometry_)) {}

TextJobResult TextJob::Print(const ReadFunction& read, const FormFunction& form,
                             const volatile std::sig_atomic_t* canceled) const {
  TextJobResult result;
  result.geometry = check_;
  if (check_ != GeometryResult::kOk) {
    result.status = TextJobStatus::kBadGeometry;
    return result;
  }
  const TextEmitter emitter(options_, geometry_);
  if (!emitter.Ok()) {
    result.status = TextJobStatus::kNoTable;
    return result;
  }
  std::vector<unsigned char> chunk(kReadChunkBytes);
  long got = ReadFully(read, chunk.data(), kBinaryCheckBytes);
  if (got > 0) {
    const void* nul = std::memchr(chunk.data(), 0, static_cast<std::size_t>(got));
    if (nul != nullptr) {
      result.status = TextJobStatus::kBinary;
      result.nulOffset = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - chunk.data());
      return result;
    }
  }

  TextDecoder decoder;
  TextLayout layout(geometry_.columns, geometry_.linesPerForm, options_.wrap);
  std::u32string text;
  std::vector<unsigned char> bytes;
  // Prints the forms complete so far; false once the job must stop.
  auto printReady = [&]() {
    for (auto& ready = layout.Ready(); !ready.empty(); ready.pop_front()) {
      if (canceled != nullptr && *canceled != 0) {
        result.status = TextJobStatus::kCanceled;
        return false;
      }
      bytes.clear();
      const bool whole = emitter.EmitForm(ready.front(), bytes, canceled, result.forms + 1);
      if (!form(bytes)) {
        result.status = TextJobStatus::kOutputFailed;
        return false;
      }
      ++result.forms;
      if (!whole) {
        result.status = TextJobStatus::kCanceled;
        return false;
      }
    }
    return true;
  };
  while (got > 0) {
    text.clear();
    decoder.Decode(chunk.data(), static_cast<std::size_t>(got), text);
    layout.Add(text);
    if (!printReady()) return result;
    got = read(chunk.data(), chunk.size());
  }
  if (got < 0) {
    result.status = TextJobStatus::kReadFailed;
    result.readError = errno;
  }
  // The end, or a failed read: what was read is printed all the same and the
  // paper ends at top of form.
  text.clear();
  decoder.Finish(text);
  layout.Add(text);
  layout.Finish();
  if (!printReady()) return result;
  if (result.forms == 0 && result.status == TextJobStatus::kPrinted) result.status = TextJobStatus::kEmpty;
  return result;
}

std::string Describe(const TextJobResult& result, const TextOptions& options) {
  char text[256] = "";
  switch (result.status) {
    case TextJobStatus::kEmpty:
      return "The document is empty: nothing was printed";
    case TextJobStatus::kBinary:
      std::snprintf(text, sizeof text,
                    "The document is not text (a NUL byte at offset %zu of its first %zu bytes): "
                    "nothing was printed",
                    result.nulOffset, kBinaryCheckBytes);
      break;
    case TextJobStatus::kBadGeometry:
      if (result.geometry == GeometryResult::kBadForm) {
        std::snprintf(text, sizeof text,
                      "A form of %g x %g points cannot be printed (the longest is %d points): "
                      "nothing was printed",
                      options.formWidth, options.formLength, DotMatrixPrinter::kMaxPageLengthPoints);
      } else if (result.geometry == GeometryResult::kNoColumns) {
        std::snprintf(text, sizeof text,
                      "The left and right margins (%g and %g points) leave no room for a character on a "
                      "form %g points wide: nothing was printed",
                      options.left, options.right, options.formWidth);
      } else {
        std::snprintf(text, sizeof text,
                      "The top and bottom margins (%g and %g points) leave no room for a line on a form "
                      "%g points long: nothing was printed",
                      options.top, options.bottom, options.formLength);
      }
      break;
    case TextJobStatus::kNoTable:
      std::snprintf(text, sizeof text,
                    "The character table %s is missing from this system's character sets (%s): "
                    "nothing was printed",
                    InfoOf(options.table).keyword, InfoOf(options.table).iconvName);
      break;
    case TextJobStatus::kReadFailed:
      std::snprintf(text, sizeof text, "Could not read the document after %d forms: %s", result.forms,
                    std::strerror(result.readError));
      break;
    default:
      break;
  }
  return text;
}

}  // namespace marvik::text
