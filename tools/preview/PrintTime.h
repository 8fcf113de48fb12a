// Time on paper: how far the head and the paper move for a page, and an
// estimate of how long the printer takes for it.
//
// The model is deliberately simple. A head pass prints the stretches it was
// given left to right (or, printing both ways, from whichever end is nearer
// the head) at their printing speed; the head slews at a higher speed over
// gaps, to where the pass starts, and back to the left after a pass printed
// in one direction only. Paper moves at a feed speed plus a start-up time
// per feed, a form feed at its own speed.
#pragma once

#include <cstdint>
#include <vector>

namespace marvik::preview {

// The figures behind the estimate, for a 24-pin printer of the family. The
// manuals of such printers rate draft at two to three times letter quality,
// and line feeds at about 65 ms a line; the other figures are estimates
// that make those consistent.
struct PrintSpeeds {
  // Draft characters per second at 10 cpi (manuals: 250 to 330); the head
  // moves at the same speed at every pitch, so 12 cpi prints 20 % more.
  double draftCps = 300;
  // Letter-quality characters per second at 10 cpi (manuals: 80 to 110).
  double letterQualityCps = 100;
  // Dots per second one pin fires: an LQ character is drawn on a 1/360 in
  // grid with no two dots side by side, so 100 cps (10 in/s) fires a pin
  // 1800 times a second. Bit images move the head at this rate over the
  // mode's dpi: 10 in/s at 180 dpi, 5 in/s at 360 dpi, never faster than
  // draft.
  double pinHz = 1800;
  // Head speed over stretches it does not print: gaps, tab stops, the way to
  // where a pass starts, the return of a one-way pass.
  double slewInchesPerSecond = 40;
  // Speeding up, stopping and turning round, once per head pass.
  double passSeconds = 0.02;
  // Paper feed (line feeds, ESC J, ESC ( v): 1/6 in in 65 ms with the start.
  double feedInchesPerSecond = 3.3;
  double feedStartSeconds = 0.015;
  // A form feed runs the paper to the next top of form at this speed (after
  // its own start).
  double formFeedInchesPerSecond = 5;
  // Bold and double-strike print each dot twice: half the speed.
  double heavyFactor = 0.5;
};

// The one set of figures the preview uses.
constexpr PrintSpeeds kPrintSpeeds{};

// Head speed while printing text, inches per second.
double TextInchesPerSecond(bool letterQuality, bool heavy);
// Head speed while printing a bit image whose columns stand `columnPitch`
// device units apart.
double ImageInchesPerSecond(int64_t columnPitch);

// What a page (or a job) cost.
struct PrintTime {
  int64_t passes = 0;        // head passes that printed
  double printedInches = 0;  // head travel while printing
  double movedInches = 0;    // head travel without printing
  double fedInches = 0;      // paper moved
  double seconds = 0;        // estimated
  PrintTime& operator+=(const PrintTime& other);
};

// Follows the head and the paper through a page's commands.
class HeadTravel {
 public:
  // The head passes over [from, to) (device units) printing at
  // `inchesPerSecond`; `inked` false for a blank stretch (a space), which the
  // printer does not travel over at the ends of a pass.
  void Print(int64_t from, int64_t to, double inchesPerSecond, bool inked);
  // The pass ends (carriage return, feed, a move back): the head prints it.
  void EndPass();
  void Feed(int64_t units);
  void FormFeed(int64_t units);
  // ESC U: printing in one direction only, the head returns before each pass.
  void SetUnidirectional(bool unidirectional) { unidirectional_ = unidirectional; }
  // The page's figures since the last call; the head stays where it is.
  PrintTime TakePage();

 private:
  struct Stretch {
    int64_t from;
    int64_t to;
    double inchesPerSecond;
    bool inked;
  };
  std::vector<Stretch> pass_;
  int64_t head_ = 0;
  bool unidirectional_ = false;
  PrintTime page_;
};

}  // namespace marvik::preview
