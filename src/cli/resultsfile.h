// The results file of a FILE on the command line: the dialogue's lines, with
// no console, in a file created when its first line is written, so that a
// FILE refused before then leaves no results file and replaces none.
#pragma once
#include <string>

#include "driver/printer.h"

namespace halvik {

class Resultsprinter : public Printer {
 public:
  // An empty name: the lines go nowhere.
  explicit Resultsprinter(std::string name) : Printer(nullptr), Name(std::move(name)) {}
  ~Resultsprinter() override;
  // Writes out what is pending and closes the file; throws Ioerror when it cannot.
  void Close();

 protected:
  Textsink &Results() override;

 private:
  std::string Name;
  Textsink Sink;
};

}  // namespace halvik
