#include "scan/table.h"

#include <cmath>
#include <cstdio>

#include "cli/numbers.h"

namespace halvik {

namespace {

using Json = nlohmann::ordered_json;

// JSON has no NaN: such a number is null.
Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

// A row's cells by column, in the table's order.
std::vector<std::pair<std::string, Json>> Cells(const Windowresult &row, const Qrow &q, const Runinfo &run) {
  std::vector<std::pair<std::string, Json>> cells = {
      {"chrom", row.Chrom},          {"start", row.Start},       {"end", row.End},
      {"records", row.Records},      {"variants", row.Variants}, {"samples", row.Samples},
      {"haplotypes", row.Haplotypes}};
  for (int t = 0; t < Testcount; ++t) {
    const std::string stem = Teststems[t];
    const Testresult &test = row.Tests[static_cast<std::size_t>(t)];
    cells.insert(cells.end(), {{stem, test.Value},
                               {stem + "_count", test.Count},
                               {stem + "_p1", Pof(test, run).Value()},
                               {stem + "_q", q[static_cast<std::size_t>(t)]}});
  }
  cells.insert(cells.end(),
               {{"lineups", run.Lineups}, {"seed", run.Seed}, {"version", run.Version}, {"notes", row.Notes}});
  for (int m = 0; m < Meancount; ++m) cells.emplace_back(Meanstems[m], row.Means[static_cast<std::size_t>(m)]);
  if (run.Stopafter > 0) {
    cells.emplace_back("stop_after", run.Stopafter);
    for (int t = 0; t < Testcount; ++t)
      cells.emplace_back(std::string(Teststems[t]) + "_lineups", row.Tests[static_cast<std::size_t>(t)].Drawn);
  }
  return cells;
}

// A text field: tabs and line ends would break the row.
std::string Field(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Joined(const std::vector<std::string> &fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + fields[i];
  return line + "\n";
}

// Four significant digits for a person; nan as "-".
std::string Brief(double x) {
  if (std::isnan(x)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", x);
  return text;
}

}  // namespace

std::vector<std::string> Scancolumns(bool stopafter) {
  Runinfo run;
  run.Stopafter = stopafter ? 1 : 0;
  std::vector<std::string> names;
  for (const auto &[name, value] : Cells(Windowresult{}, Qrow{}, run)) names.push_back(name);
  return names;
}

std::string Scanheader(bool stopafter) { return Joined(Scancolumns(stopafter)); }

std::string Scanrow(const Windowresult &row, const Qrow &q, const Runinfo &run) {
  std::vector<std::string> fields;
  for (const auto &[name, value] : Cells(row, q, run))
    fields.push_back(value.is_string()         ? Field(value.get<std::string>())
                     : value.is_number_float() ? Shortest(value.get<double>())
                                               : value.dump());
  return Joined(fields);
}

Json Scanjson(const Windowresult &row, const Qrow &q, const Runinfo &run) {
  Json object;
  for (const auto &[name, value] : Cells(row, q, run))
    object[name] = value.is_number_float() ? Number(value.get<double>()) : value;
  return object;
}

std::string Summaryheader() {
  char line[256];
  std::snprintf(line, sizeof line, "%-12s %11s %11s %8s", "chrom", "start", "end", "variants");
  std::string text = line;
  for (const char *stem : Teststems) {
    std::snprintf(line, sizeof line, " %9s %8s", stem, "p1");
    text += line;
  }
  return text + "\n";
}

std::string Summaryrow(const Windowresult &row, const Runinfo &run) {
  char line[256];
  std::snprintf(line, sizeof line, "%-12s %11lld %11lld %8lld", Field(row.Chrom).substr(0, 12).c_str(),
                static_cast<long long>(row.Start), static_cast<long long>(row.End),
                static_cast<long long>(row.Variants));
  std::string text = line;
  for (const Testresult &test : row.Tests) {
    std::snprintf(line, sizeof line, " %9s %8s", Brief(test.Value).c_str(), Brief(Pof(test, run).Value()).c_str());
    text += line;
  }
  return text + "\n";
}

}  // namespace halvik
