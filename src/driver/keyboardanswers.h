// The dialogue's answers: asked on the console, typed at the keyboard.
#pragma once

#include "analysis/answers.h"

namespace halvik {

class Keyboardanswers : public Answers {
 public:
  // Shows "Press return when ready." and waits for a line.
  void Pause() override;
  // Lists the sequences, asks for the number of localities and the first
  // sequence of each, shows the division and asks for confirmation, until
  // one is confirmed. Each count asked for goes to the reporter.
  Localities Division(const Population &pop, Analysisreporter &reporter) override;
  std::int32_t Lineups() override;
};

}  // namespace halvik
