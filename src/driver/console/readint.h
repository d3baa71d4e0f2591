// Whole numbers typed at the keyboard.
#pragma once
#include <cstdint>

namespace halvik {

// The largest number Readint can return.
inline constexpr std::int32_t Boundlimit = 29999;

// Reads lines until one holds a whole number within the bounds (adjusted into
// 0..29999), answering every other line with a correcting prompt. The caller
// writes the question.
std::int32_t Readint(std::int32_t lower, std::int32_t upper);

// y to the power x for x of 1 or more; 1 for any smaller x.
std::int32_t Ytothex(std::int32_t y, std::int32_t x);

}  // namespace halvik
