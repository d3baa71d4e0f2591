// Buffered text destinations and the rendering of output items.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace halvik {

// A byte destination. Text collects in `Pending` and is delivered to the file
// descriptor (or, in tests, appended to `Memory`) by Deliver. The console is
// delivered before every keyboard read and at exit, and whenever a lot has
// piled up; a sink with `Lineflush` (the results file) is delivered whenever a
// line feed has been written, so every finished line is on disk at once.
struct Textsink {
  std::string Pending;
  int Fd = -1;                    // -1: closed (or a memory sink)
  std::string *Memory = nullptr;  // tests: receives the delivered bytes
  bool Lineflush = false;
  bool Discard = false;  // everything is dropped
  std::string What;      // named in the report of a failed write
};

// Writes out everything pending; throws Ioerror when the write fails.
void Deliver(Textsink &sink);
// Opens a file for writing, replacing any file of that name with an empty one.
// Closes the sink first if it is open. Throws Ioerror when it cannot. `what`
// names the file in reports ("the results file" when not given).
void Createfile(Textsink &sink, const std::string &name, const std::string &what = "the results file");
// Delivers what is pending and closes the descriptor.
void Closefile(Textsink &sink);

// The fixed-point text of x with d decimals: "NaN", "Inf", "-Inf" or the sign
// and digits, rounded half away from zero digit by digit.
std::string Realtext(double x, int decimals);

void Writestr(Textsink &sink, std::string_view text);
void Writestr(Textsink &sink, std::string_view text, int width);  // cut to width when longer
void Writech(Textsink &sink, char c);
void Writech(Textsink &sink, char c, int width);
void Writeint(Textsink &sink, std::int64_t value, int width = 0);
void Writereal(Textsink &sink, double x, int width, int decimals);
void Writeln(Textsink &sink);

}  // namespace halvik
