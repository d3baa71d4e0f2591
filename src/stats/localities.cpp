#include "stats/localities.h"

namespace halvik {

namespace {

// The starts given, then each further locality as small as it may be.
std::vector<std::int32_t> Tightest(std::vector<std::int32_t> starts, std::int32_t count) {
  while (static_cast<std::int32_t>(starts.size()) < count) starts.push_back(starts.empty() ? 1 : starts.back() + 2);
  return starts;
}

}  // namespace

Lineup Identitylineup(std::int32_t n) {
  Lineup lineup{};
  for (std::int32_t p = 1; p <= n; ++p) lineup[p] = p;
  return lineup;
}

Localities Dividedat(const std::int32_t *starts, std::int32_t count, std::int32_t n) {
  Localities division;
  division.Count = count;
  for (std::int32_t k = 1; k <= count; ++k) division.Start[k] = starts[k - 1];
  division.Start[count + 1] = n + 1;
  for (std::int32_t k = 1; k <= count; ++k)
    division.Weight[k] = static_cast<double>(division.Start[k + 1] - division.Start[k]) / static_cast<double>(n);
  return division;
}

Divisionfault Checkdivision(const std::vector<std::int32_t> &starts, std::int32_t n) {
  using Fault = Divisionfault;
  if (starts.empty() || starts.front() != 1) return {Fault::Firstnotone, 1, starts.empty() ? 0 : starts.front(), 0};
  for (std::size_t k = 1; k < starts.size(); ++k)
    if (starts[k] <= starts[k - 1]) return {Fault::Notrising, static_cast<std::int32_t>(k + 1), starts[k], 0};
  if (starts.size() > static_cast<std::size_t>(Maxlocalities))
    return {Fault::Toomany, static_cast<std::int32_t>(starts.size()), 0, 0};
  if (n == 0) return {};
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::int32_t first = starts[k], last = k + 1 < starts.size() ? starts[k + 1] - 1 : n;
    const auto locality = static_cast<std::int32_t>(k + 1);
    if (first > n) return {Fault::Beyondend, locality, first, n};
    if (last - first + 1 < 2) return {Fault::Toosmall, locality, first, last};
  }
  return {};
}

bool Countfits(std::int32_t count, std::int32_t n) {
  return count >= 1 && Checkdivision(Tightest({}, count), n).Kind == Divisionfault::None;
}

bool Startfits(std::vector<std::int32_t> starts, std::int32_t start, std::int32_t count, std::int32_t n) {
  // The locality before must hold two, and the rest must have room for two each.
  if (!starts.empty() && start < starts.back() + 2) return false;
  starts.push_back(start);
  return Checkdivision(Tightest(std::move(starts), count), n).Kind == Divisionfault::None;
}

}  // namespace halvik
