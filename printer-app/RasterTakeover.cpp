#include "printer-app/RasterTakeover.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "page/RasterInput.h"
#include "printer-app/RasterDocument.h"
#include "printer-app/StopSignals.h"

namespace marvik::app {

namespace {

// A stream PAPPL opened: PAPPL's read callback, and the page library's
// reader on top of it. PAPPL holds the stream's address as its
// cups_raster_t (it passes it on to the functions below and nowhere else);
// the page library reads through its own.
struct Stream {
  cups_raster_iocb_t read;
  void* context;
  std::vector<unsigned char> start;  // bytes read before a copy file was opened
  int copyFd = -1;                   // the document kept for more copies
  bool copyFailed = false;
  // PAPPL reads the first header and starts the job on one thread: the
  // placeholder shown there is that job's stream until it claims it.
  std::thread::id placeholderThread;
  bool placeholderShown = false;
  bool claimed = false;
  std::unique_ptr<page::RasterInput> input;
  pappl_job_t* job = nullptr;  // once the page library prints the stream
  // How long the client kept the job waiting while the server stops.
  std::chrono::steady_clock::duration waitedAfterShutdown{};
  bool stopped = false;
};

// How often a wait for the client's next bytes looks at the job, and how
// long a stopping server waits, in all, for a document still arriving.
constexpr int kPollMilliseconds = 250;
constexpr std::chrono::seconds kShutdownWait{3};
// How long the rest of a stopped job's upload is read and dropped.
constexpr std::chrono::seconds kDropUploadTime{2};

std::mutex g_mutex;
std::map<cups_raster_t*, std::unique_ptr<Stream>>& Streams() {
  static auto* streams = new std::map<cups_raster_t*, std::unique_ptr<Stream>>;
  return *streams;
}

cups_raster_t* HandleOf(Stream* stream) {
  return reinterpret_cast<cups_raster_t*>(stream);
}

Stream* Find(cups_raster_t* handle) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = Streams().find(handle);
  return it == Streams().end() ? nullptr : it->second.get();
}

// What PAPPL reads as the stream's page header: the placeholder, once, then
// the end.
enum class HeaderRead { kNotOurs, kPlaceholder, kEnd };
HeaderRead ReadPlaceholder(cups_raster_t* handle) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = Streams().find(handle);
  if (it == Streams().end()) return HeaderRead::kNotOurs;
  Stream& stream = *it->second;
  if (stream.placeholderShown) return HeaderRead::kEnd;  // the page library has read the stream
  stream.placeholderShown = true;
  stream.placeholderThread = std::this_thread::get_id();
  return HeaderRead::kPlaceholder;
}

// The stream whose placeholder PAPPL got on this thread, not yet printed.
Stream* ClaimPlaceholder() {
  const std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& entry : Streams()) {
    Stream& stream = *entry.second;
    if (stream.placeholderShown && !stream.claimed &&
        stream.placeholderThread == std::this_thread::get_id()) {
      stream.claimed = true;
      return &stream;
    }
  }
  return nullptr;
}

template <typename Function>
Function Real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The client's connection when PAPPL streams the document from it (its
// read function is then libcups's own on the connection), else null.
http_t* ConnectionOf(const Stream& stream) {
  return stream.read == reinterpret_cast<cups_raster_iocb_t>(&httpRead2)
             ? static_cast<http_t*>(stream.context)
             : nullptr;
}

bool Stopping(const Stream& stream) {
  return ServerStopping(papplPrinterGetSystem(papplJobGetPrinter(stream.job)));
}

// The rest of the upload of a job that reads no more, which PAPPL would
// read at the client's pace before it ends the job: read and dropped while
// it comes promptly (a client whose upload is cut short may send the job
// again), then the connection's reading side is shut (PAPPL still answers).
void DropUpload(http_t* http) {
  const auto deadline = std::chrono::steady_clock::now() + kDropUploadTime;
  char buffer[65536];
  while (httpGetState(http) == HTTP_STATE_POST_RECV && std::chrono::steady_clock::now() < deadline) {
    if (httpWait(http, kPollMilliseconds) && httpRead2(http, buffer, sizeof buffer) <= 0) return;
  }
  if (httpGetState(http) == HTTP_STATE_POST_RECV) shutdown(httpGetFd(http), SHUT_RD);
}

// Waits for the client's next bytes in short polls: false when the job
// must read no more, cancelled or the server stopping while the client
// keeps it waiting.
bool AwaitClient(Stream& stream) {
  http_t* http = ConnectionOf(stream);
  for (;;) {
    if (papplJobIsCanceled(stream.job)) break;
    if (stream.waitedAfterShutdown > kShutdownWait) {
      ReportJobError(stream.job,
                     "The server stopped while the document was still arriving; it is not printed");
      break;
    }
    const auto start = std::chrono::steady_clock::now();
    // (Once the whole request is read, a read returns its end at once.)
    const bool ready =
        http == nullptr || httpGetState(http) != HTTP_STATE_POST_RECV || httpWait(http, kPollMilliseconds);
    if (Stopping(stream)) stream.waitedAfterShutdown += std::chrono::steady_clock::now() - start;
    if (ready) return true;
  }
  if (http != nullptr) DropUpload(http);
  stream.stopped = true;
  return false;
}

ssize_t ReadStream(void* self, unsigned char* buffer, std::size_t size) {
  auto* stream = static_cast<Stream*>(self);
  // A client may send a page's lines as slowly as it likes, and the page
  // library looks at the job only between lines.
  if (stream->stopped || (stream->job != nullptr && !AwaitClient(*stream))) return -1;
  const auto start = std::chrono::steady_clock::now();
  const ssize_t n = stream->read(stream->context, buffer, size);
  if (stream->job != nullptr && Stopping(*stream))
    stream->waitedAfterShutdown += std::chrono::steady_clock::now() - start;
  if (n > 0 && stream->copyFd >= 0) {
    stream->copyFailed |= write(stream->copyFd, buffer, static_cast<std::size_t>(n)) != n;
  } else if (n > 0 && !stream->input) {
    stream->start.insert(stream->start.end(), buffer, buffer + n);  // the sync word, read at open
  }
  return n;
}

// A one-dot white page in 1-bit black: PAPPL passes it on unchanged.
void Placeholder(cups_page_header2_t& h) {
  h = cups_page_header2_t{};
  h.HWResolution[0] = h.HWResolution[1] = 180;
  h.cupsWidth = h.cupsHeight = h.cupsBytesPerLine = 1;
  h.cupsBitsPerColor = h.cupsBitsPerPixel = h.cupsNumColors = 1;
  h.cupsColorSpace = CUPS_CSPACE_K;
  h.PageSize[0] = h.PageSize[1] = 1;
}

int Copies(pappl_job_t* job) {
  ipp_attribute_t* attr = papplJobGetAttribute(job, "copies");
  return attr != nullptr ? ippGetInteger(attr, 0) : 1;
}

// Prints the whole stream; the other copies from a file it was kept in.
bool PrintStream(Stream& stream, pappl_job_t* job, pappl_device_t* device) {
  const int copies = Copies(job);
  char path[1024] = "";
  if (copies > 1) {
    stream.copyFd = papplJobOpenFile(job, path, sizeof path, nullptr, "copy", "w");
    stream.copyFailed = stream.copyFd < 0 || write(stream.copyFd, stream.start.data(), stream.start.size()) !=
                                                 static_cast<ssize_t>(stream.start.size());
  }
  stream.job = job;
  bool ok = PrintRaster(job, device, *stream.input);
  if (stream.copyFd >= 0) close(stream.copyFd);
  stream.copyFd = -1;
  if (copies > 1 && ok && !papplJobIsCanceled(job)) {
    if (stream.copyFailed) {
      ReportJobError(job, "Could not keep the document for its other copies");
      ok = false;
    } else {
      ok = PrintRasterFile(job, device, path, copies - 1);
    }
  }
  if (path[0] != '\0') unlink(path);
  return ok;
}

}  // namespace

bool TakeOverRasterJob(pappl_job_t* job, pappl_device_t* device, bool& ok) {
  Stream* stream = ClaimPlaceholder();
  if (stream == nullptr) return false;
  ok = PrintStream(*stream, job, device);
  return true;
}

}  // namespace marvik::app

using marvik::app::Find;
using marvik::app::Real;
using marvik::app::Stream;

// libcups's raster reader, as PAPPL sees it. The page library's own readers
// (RasterInput) pass straight through.
extern "C" {

cups_raster_t* cupsRasterOpenIO(cups_raster_iocb_t iocb, void* ctx, cups_mode_t mode) {
  static const auto real =
      Real<cups_raster_t* (*)(cups_raster_iocb_t, void*, cups_mode_t)>("cupsRasterOpenIO");
  if (mode != CUPS_RASTER_READ || marvik::page::RasterInput::IsOwnReadFunction(iocb))
    return real(iocb, ctx, mode);
  std::unique_ptr<Stream> stream(new (std::nothrow) Stream);
  if (!stream) return nullptr;
  stream->read = iocb;
  stream->context = ctx;
  stream->input.reset(new (std::nothrow) marvik::page::RasterInput(marvik::app::ReadStream, stream.get()));
  if (!stream->input || stream->input->get() == nullptr) return nullptr;  // not raster data: PAPPL says so
  cups_raster_t* handle = marvik::app::HandleOf(stream.get());
  const std::lock_guard<std::mutex> lock(marvik::app::g_mutex);
  marvik::app::Streams()[handle] = std::move(stream);
  return handle;
}

unsigned cupsRasterReadHeader2(cups_raster_t* r, cups_page_header2_t* h) {
  static const auto real = Real<unsigned (*)(cups_raster_t*, cups_page_header2_t*)>("cupsRasterReadHeader2");
  switch (marvik::app::ReadPlaceholder(r)) {
    case marvik::app::HeaderRead::kNotOurs:
      return real(r, h);
    case marvik::app::HeaderRead::kPlaceholder:
      marvik::app::Placeholder(*h);
      return 1;
    case marvik::app::HeaderRead::kEnd:
      break;
  }
  return 0;
}

unsigned cupsRasterReadPixels(cups_raster_t* r, unsigned char* p, unsigned len) {
  static const auto real =
      Real<unsigned (*)(cups_raster_t*, unsigned char*, unsigned)>("cupsRasterReadPixels");
  if (Find(r) == nullptr) return real(r, p, len);
  std::memset(p, 0, len);  // the placeholder's white line
  return len;
}

void cupsRasterClose(cups_raster_t* r) {
  static const auto real = Real<void (*)(cups_raster_t*)>("cupsRasterClose");
  std::unique_ptr<Stream> stream;
  {
    const std::lock_guard<std::mutex> lock(marvik::app::g_mutex);
    const auto it = marvik::app::Streams().find(r);
    if (it != marvik::app::Streams().end()) {
      stream = std::move(it->second);
      marvik::app::Streams().erase(it);
    }
  }
  if (!stream) real(r);
  // else the stream's end closes the page library's own reader
}

}  // extern "C"
