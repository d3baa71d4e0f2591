#include "cli/lineupfiles.h"

#include "cli/numbers.h"

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
  std::string table = "lineup\tkst\tfst\tkstar_st\tfstar_sb\n";
  for (std::size_t r = 0; r < v.Kst.size(); ++r)
    table += std::to_string(r + 1) + "\t" + Shortest(v.Kst[r]) + "\t" + Shortest(v.Fst[r]) + "\t" +
             Shortest(v.Kststar[r]) + "\t" + Shortest(v.Fsbstar[r]) + "\n";
  return table;
}

Plotinput Plotof(const Fileresult &result) {
  const Subdivision &s = result.Stats;
  const Lineupcounts &c = result.Counts;
  const Nullvalues &v = result.Null;
  return Plotinput{
      result.File,
      result.Pair,
      result.Lineups,
      result.Seed,
      {Nullpanel{"Kst", s.Kst, v.Kst, c.Kst}, Nullpanel{"Fst", s.Fst, v.Fst, c.Fst},
       Nullpanel{"K*st", s.Kststar, v.Kststar, c.Kststar}, Nullpanel{"F*sb", s.Fsbstar, v.Fsbstar, c.Fsbstar}}};
}

}  // namespace halvik
