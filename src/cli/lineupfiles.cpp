#include "cli/lineupfiles.h"

#include "cli/numbers.h"
#include "stats/tested.h"

namespace halvik {

std::string Numberedname(const std::string &given, std::size_t position, std::size_t files) {
  if (files <= 1) return given;
  std::string number(1, '-');  // "-" + ... trips a false -Wrestrict in g++ 12
  number += std::to_string(position);
  const std::size_t slash = given.rfind('/'), dot = given.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0 ||
      (slash != std::string::npos && dot == slash + 1))
    return given + number;
  return given.substr(0, dot) + number + given.substr(dot);
}

std::string Nulltable(const Fileresult &result) {
  const Nullvalues &v = result.Null;
  std::string table = "lineup";
  for (const Testedstatistic &t : Testedstatistics) table.append("\t").append(t.Stem);
  table += '\n';
  for (std::size_t r = 0; r < static_cast<std::size_t>(result.Lineups) && r < v.Values[0].size(); ++r) {
    table += std::to_string(r + 1);
    for (const Testedstatistic &t : Testedstatistics) table.append("\t").append(Shortest(v.Values[t.Id][r]));
    table += '\n';
  }
  return table;
}

Plotinput Plotof(const Fileresult &result) {
  Plotinput input{result.File, result.Pair, "", result.Lineups, result.Seed, {}};
  for (std::size_t k = 0; k < result.Localities.size(); ++k) {
    const Rangevalues &l = result.Localities[k];
    input.Localities += (k > 0 ? ", " : "localities: ") + (l.Name.empty() ? std::to_string(k + 1) : l.Name) + " (" +
                        std::to_string(l.Size) + ")";
  }
  for (const Testedstatistic &t : Testedstatistics)
    input.Panels.push_back(Nullpanel{t.Caption, Observedvalue(result.Stats, t.Id), result.Null.Values[t.Id],
                                     result.Counts[t.Id], result.Localities.size() >= 2});
  return input;
}

}  // namespace halvik
