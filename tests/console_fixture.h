// Binds the console and the keyboard to memory for in-process tests.
#pragma once
#include <string>

#include "driver/globals.h"

namespace halvik::testing {

struct Memoryconsole {
  std::string output;
  explicit Memoryconsole(const std::string &input = "") {
    Initialise(-1, -1);
    Keyboard.buffer = input;
    Console.memory = &output;
  }
  // Everything written so far, pending text included.
  const std::string &Text() {
    Deliver(Console);
    return output;
  }
};

}  // namespace halvik::testing
