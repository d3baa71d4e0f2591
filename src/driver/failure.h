// The two ways an analysis can stop early.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace halvik {

// The data were refused: the message is already in Errormessage and the
// analysis loop shows it, then asks whether to start again.
struct Fatalerror {};

// A console or file operation failed (or the keyboard input ended): the
// program reports it on standard error and ends with status 42.
class Ioerror : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int Ioerrorstatus = 42;

// Stores the message (cut to 255 characters) and abandons the analysis.
[[noreturn]] void Raisefatal(std::string_view message);

}  // namespace halvik
