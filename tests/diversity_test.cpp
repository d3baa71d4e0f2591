#include "stats/diversity.h"

#include <gtest/gtest.h>

#include <string>

#include "statsetup.h"

namespace {

struct Sample {
  const char *name;
  std::int32_t length, sequences, sites;
  const char *pn, *theta;
};

class Diversity : public ::testing::TestWithParam<Sample> {};

TEST_P(Diversity, WritesBothLinesToBothOutputs) {
  const Sample &c = GetParam();
  statsetup::Captured out;
  halvik::Pop.Seqlength = c.length;
  halvik::Pop.Numseqs = c.sequences;
  halvik::Pop.Numsegsites = c.sites;
  halvik::Pn();
  halvik::Theta();
  out.Flush();
  EXPECT_EQ(out.console, std::string("Pn:  ") + c.pn + "\nTheta:  " + c.theta + "\n");
  EXPECT_EQ(out.results, std::string("Pn:  \t") + c.pn + "\nTheta:  \t" + c.theta + "\n");
}

// The harmonic sum runs over 1..N: 2.9289683 for ten sequences, 1.5 for two.
INSTANTIATE_TEST_SUITE_P(Cases, Diversity,
                         ::testing::Values(Sample{"TenSequences", 600, 10, 12, "0.020000", "0.006828"},
                                           Sample{"TwoSequences", 30, 2, 3, "0.100000", "0.066667"},
                                           Sample{"EverySiteSegregating", 5, 2, 5, "1.000000", "0.666667"},
                                           Sample{"ThousandSequences", 100000, 1000, 10000, "0.100000",
                                                  "0.013359"}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
