// The dialogue's lines: every event of an analysis rendered as the dialogue
// shows it on the console and writes it into the results file. The command
// line prints the results file through the same printer, without a console,
// so that its results file is the dialogue's.
#pragma once
#include <string>
#include <string_view>

#include "analysis/reporter.h"
#include "driver/console/textout.h"

namespace halvik {

class Printer : public Analysisreporter {
 public:
  // `screen` is the console, or null for none.
  explicit Printer(Textsink *screen) : Screen(screen) {}

  void Labelgrown(std::string_view label) override;
  void Recordverified(std::int32_t number, std::string_view label, std::int32_t length) override;
  void Counted(std::int32_t records) override;
  void Verified(std::string_view name) override;

  void Head(std::string_view text) override;
  void Searching() override;
  void Comparing(std::int32_t record, std::string_view label) override;
  void Found(std::int32_t site, Nucleotidecode code) override;
  void Compared() override;
  void Listed(const std::vector<std::int32_t> &sites) override;
  void Storing() override;
  void Stored(const Sitearray &codes, std::int32_t sites) override;
  void Finished() override;

  void Described(const Analysis &analysis) override;
  void Localitycount(std::int32_t count) override;
  void Observed(const Analysis &analysis) override;
  void Testing(const Analysis &analysis) override;
  void Tested(const Analysis &analysis) override;

 protected:
  // The results file; a printer that opens it only when it is first written
  // overrides this.
  virtual Textsink &Results() = 0;

 private:
  // A labelled value: the console's line, then the results file's, which has
  // a tab between the label and the value.
  void Resultline(std::string_view label, double value, int columns, int decimals, bool blankafter = false);
  void Resultgroup(const char *within, double s, const char *total, double t, const char *ratio, double r,
                   bool blankafter = false);
  void Rangeline(std::string_view open, const Analysis &analysis, std::int32_t first, std::int32_t last,
                 std::string_view close, double value);

  Textsink *Screen;
  std::string Foundprefix, Foundtext;  // the found-site lines of the record being compared
  std::string Screenrow, Resultsrow;   // a row of the nucleotide table, kept between records
};

// The dialogue's printer: the console and the results file it names.
class Dialogueprinter : public Printer {
 public:
  Dialogueprinter(Textsink &screen, Textsink &results) : Printer(&screen), File(results) {}

 protected:
  Textsink &Results() override { return File; }

 private:
  Textsink &File;
};

}  // namespace halvik
