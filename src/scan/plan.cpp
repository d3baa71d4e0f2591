#include "scan/plan.h"

#include <algorithm>

#include "cli/options.h"

namespace halvik {

namespace {

// The fields of a BED line, split at tabs or blanks.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t start = line.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
    fields.emplace_back(line.substr(start, end - start));
    at = end;
  }
  return fields;
}

bool Ignored(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#') ||
         line.starts_with("track") || line.starts_with("browser");
}

}  // namespace

std::optional<Refusal> Readbed(const std::string &name, std::string_view content, Windowplan &plan) {
  std::int64_t number = 0;
  for (std::size_t at = 0; at < content.size();) {
    const std::size_t end = std::min(content.find('\n', at), content.size());
    std::string_view line = content.substr(at, end - at);
    at = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (Ignored(line)) continue;
    const std::vector<std::string> fields = Fields(line);
    const auto start = fields.size() >= 3 ? Wholenumber(fields[1], 0, INT64_MAX / 4) : std::nullopt;
    const auto stop = fields.size() >= 3 ? Wholenumber(fields[2], 0, INT64_MAX / 4) : std::nullopt;
    if (!start || !stop || *stop <= *start)
      return Refusal{name + ": line " + std::to_string(number) +
                     ": not an interval 'CHROM START END' with START below END (0-based, END excluded)"};
    Stretch interval{*start + 1, *stop};
    if (plan.Region) {
      if (fields[0] != plan.Region->Chrom) continue;
      interval.Start = std::max(interval.Start, plan.Region->From);
      interval.End = std::min(interval.End, plan.Region->To);
      if (interval.Start > interval.End) continue;
    }
    auto [list, fresh] = plan.Intervals.try_emplace(fields[0]);
    if (fresh) plan.Intervalchroms.push_back(fields[0]);
    list->second.push_back(interval);
  }
  for (auto &[chrom, list] : plan.Intervals) std::stable_sort(list.begin(), list.end());
  return std::nullopt;
}

std::vector<Readspan> Spansof(const Windowplan &plan) {
  std::vector<Readspan> spans;
  if (plan.Grid()) {
    if (plan.Region) spans.push_back({plan.Region->Chrom, plan.Region->From, plan.Region->To});
    return spans;
  }
  for (const auto &[chrom, list] : plan.Intervals)
    for (const Stretch &interval : list) spans.push_back({chrom, interval.Start, interval.End});
  return spans;
}

}  // namespace halvik
