// What an analysis does with gaps (-) and unknown bases (N).
#pragma once

namespace halvik {

enum class Missingpolicy {
  State,     // N and - are states of their own, as the dialogue counts them
  Complete,  // every position where any sequence carries N or - is removed first
  Pairwise,  // a position counts for a pair only where both carry A, C, G or T
};

}  // namespace halvik
