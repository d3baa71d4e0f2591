#include "alignment/alignment.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "alignment/formats.h"

namespace halvik {

namespace {

constexpr std::string_view Names[] = {"native", "fasta", "phylip", "nexus", "clustal"};
constexpr std::string_view Shownnames[] = {"", "FASTA", "PHYLIP", "NEXUS", "CLUSTAL"};
// The character of each code; 6 and 7 never reach a finished sample.

Sample Read(Alignmentinput &input, std::optional<Alignmentformat> forced) {
  const std::uint64_t size = input.Size();
  if (size > Largestfile)
    Refuse(0, "the file has " + std::to_string(size) + " bytes, more than the " + std::to_string(Largestfile) +
                  " Halvik reads");
  const Firstline first = Scan(input);
  if (first.Empty) Refuse(0, "the file is empty");
  const Alignmentformat format = forced.value_or(first.Format);
  Linereader lines(input, format != Alignmentformat::Native);
  Collected records;
  using Reader = void(Linereader &, Collected &);
  Reader *const readers[] = {Readnative, Readfasta, Readphylip, Readnexus, Readclustal};
  readers[static_cast<std::size_t>(format)](lines, records);
  // A NEXUS reader stops after its matrix; the carriage returns after it count too.
  for (std::string_view line; lines.Next(line);) {
  }
  records.Made.Carriagereturns = lines.Carriagereturns;
  return Sample{format, Finish(records), records.Made};
}


}  // namespace

std::optional<Alignmentformat> Formatnamed(std::string_view name) {
  if (name == "halvik") return Alignmentformat::Native;
  for (std::size_t i = 0; i < std::size(Names); ++i)
    if (name == Names[i]) return static_cast<Alignmentformat>(i);
  return std::nullopt;
}

std::string Oneline(std::string text) {
  for (char &c : text)
    if (c == '\n' || c == '\r') c = ' ';
  const std::size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

std::variant<Sample, Refusal> Readalignment(std::string_view name, Alignmentinput &input,
                                            std::optional<Alignmentformat> forced) {
  const std::string file(name);
  try {
    return Read(input, forced);
  } catch (const Badinput &bad) {
    return Refusal{file + (bad.Line > 0 ? ", line " + std::to_string(bad.Line) : "") + ": " + bad.Reason};
  } catch (const std::bad_alloc &) {
    return Refusal{file + ": not enough memory to read the file"};
  } catch (const std::exception &failure) {
    return Refusal{file + ": " + Oneline(failure.what())};
  } catch (...) {
    return Refusal{file + ": the file could not be read"};
  }
}


std::string Conversionnote(const Sample &sample) {
  std::string note(Shownnames[static_cast<std::size_t>(sample.Format)]);
  const auto add = [&note](std::int64_t count, const char *one, const char *many) {
    if (count == 0) return;
    note += (note.empty() ? "" : "; ") + std::to_string(count) + " " + (count == 1 ? one : many);
  };
  const Conversions &made = sample.Made;
  add(made.Lowercase, "lower-case base to upper case", "lower-case bases to upper case");
  add(made.Ambiguous, "ambiguity code to N", "ambiguity codes to N");
  add(made.Carriagereturns, "carriage return dropped", "carriage returns dropped");
  add(made.Matches, "match character resolved", "match characters resolved");
  add(made.Gaps, "gap symbol to -", "gap symbols to -");
  add(made.Labelscut, "label cut at the first blank", "labels cut at the first blank");
  return note;
}

}  // namespace halvik
