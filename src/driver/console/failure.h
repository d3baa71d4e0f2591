// The two ways an analysis can stop early.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace halvik {

// The data were refused. The dialogue shows the message (cut to 255
// characters) and asks whether to start again; the command line reports it
// whole in the file's row.
struct Fatalerror {
  std::string Message;
};

// A console or file operation failed (or the keyboard input ended): the
// program reports it on standard error and ends with status 42.
class Ioerror : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int Ioerrorstatus = 42;

// Abandons the analysis with the message.
[[noreturn]] inline void Raisefatal(std::string_view message) { throw Fatalerror{std::string(message)}; }

}  // namespace halvik
