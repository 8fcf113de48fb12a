// One text document printed: read, decoded, laid out and turned into
// printer bytes form by form, so that a document of any length needs the
// memory of one form and one read. Front ends bring their own input, output
// and cancel flag.
#pragma once

#include <csignal>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "text/TextGeometry.h"
#include "text/TextOptions.h"

namespace marvik::text {

// A document whose first bytes hold a NUL is data, not text (as file(1)
// and CUPS's own type detection call it) and is refused before anything
// prints; a NUL or a control character later on prints as '?'.
constexpr std::size_t kBinaryCheckBytes = 4096;
// Bytes read and decoded at a time.
constexpr std::size_t kReadChunkBytes = 64 * 1024;

// Reads at most `size` bytes into `buffer`: the count, 0 at the end, -1 on
// an error (with errno set).
using ReadFunction = std::function<long(unsigned char* buffer, std::size_t size)>;
// Takes one form's bytes; false when they could not be sent.
using FormFunction = std::function<bool(const std::vector<unsigned char>& form)>;

enum class TextJobStatus {
  kPrinted,
  kCanceled,      // stopped by the cancel flag, the paper at top of form
  kEmpty,         // no line to print: nothing was sent
  kBinary,        // refused: a NUL in the first kBinaryCheckBytes bytes
  kBadGeometry,   // refused: the form and margins leave no room (see geometry)
  kNoTable,       // the C library lacks the character table's character set
  kReadFailed,    // the input failed; what was read was printed
  kOutputFailed,  // a FormFunction returned false
};

struct TextJobResult {
  TextJobStatus status = TextJobStatus::kPrinted;
  int forms = 0;              // forms handed to the FormFunction
  std::size_t nulOffset = 0;  // kBinary: where the NUL is
  int readError = 0;          // kReadFailed: errno
  GeometryResult geometry = GeometryResult::kOk;
};

class TextJob {
 public:
  explicit TextJob(const TextOptions& options);

  // kOk when the options leave room for text; Print refuses the job otherwise.
  GeometryResult Check() const { return check_; }
  const TextGeometry& Geometry() const { return geometry_; }

  // Prints the document `read` delivers. `canceled` (may be null) is polled
  // before each form and between lines. Each form goes to `form` as it is
  // complete; `form` is never called for an empty, binary or refused job.
  TextJobResult Print(const ReadFunction& read, const FormFunction& form,
                      const volatile std::sig_atomic_t* canceled) const;

 private:
  TextOptions options_;
  TextGeometry geometry_;
  GeometryResult check_;
};

// The one line a front end shows for a job that printed nothing or failed
// (every status but kPrinted, kCanceled and kOutputFailed, whose cause the
// front end knows), without a prefix or a full stop.
std::string Describe(const TextJobResult& result, const TextOptions& options);

}  // namespace marvik::text
