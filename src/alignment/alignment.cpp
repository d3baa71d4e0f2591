#include "alignment/alignment.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "alignment/formats.h"

namespace halvik {

namespace {

constexpr std::string_view Names[] = {"native", "fasta", "phylip", "nexus", "clustal"};
constexpr std::string_view Shownnames[] = {"", "FASTA", "PHYLIP", "NEXUS", "CLUSTAL"};

Collected Collect(Alignmentformat format, std::string_view content) {
  const Cleantext clean(content, format != Alignmentformat::Native);
  Collected records;
  records.Made.Carriagereturns = clean.Carriagereturns;
  using Reader = void(std::string_view, Collected &);
  Reader *const readers[] = {Readnative, Readfasta, Readphylip, Readnexus, Readclustal};
  readers[static_cast<std::size_t>(format)](clean.Text, records);
  return records;
}

// The checks every format shares, then the match characters resolved.
void Checkrecords(Collected &records) {
  const std::size_t count = records.Labels.size();
  if (count < 2) Refuse(0, count == 0 ? "no sequences in the file" : "only 1 sequence; Halvik needs at least 2");
  const std::size_t length = records.Sequences[0].size();
  if (length == 0) Refuse(records.Lines[0], "sequence " + Shown(records.Labels[0]) + " has no bases");
  for (std::size_t r = 1; r < count; ++r)
    if (records.Sequences[r].size() != length)
      Refuse(records.Lines[r], "sequence " + Shown(records.Labels[r]) + " has " +
                                   std::to_string(records.Sequences[r].size()) + " bases, the first sequence has " +
                                   std::to_string(length));
  for (std::string &bases : records.Sequences)
    for (std::size_t i = 0; i < length; ++i)
      if (bases[i] == Unresolved) bases[i] = records.Sequences[0][i];
}

std::string Oneline(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return text;
}

}  // namespace

std::optional<Alignmentformat> Formatnamed(std::string_view name) {
  if (name == "halvik") return Alignmentformat::Native;
  for (std::size_t i = 0; i < std::size(Names); ++i)
    if (name == Names[i]) return static_cast<Alignmentformat>(i);
  return std::nullopt;
}

std::string_view Formatname(Alignmentformat format) { return Names[static_cast<std::size_t>(format)]; }

std::variant<Sample, Refusal> Readalignment(std::string_view name, std::string_view content,
                                            std::optional<Alignmentformat> forced) {
  const std::string file(name);
  try {
    if (content.size() > Largestfile)
      Refuse(0, "the file has " + std::to_string(content.size()) + " bytes, more than the " +
                    std::to_string(Largestfile) + " Halvik reads");
    if (content.find_first_not_of(" \t\n\r\f\v") == std::string_view::npos) Refuse(0, "the file is empty");
    const Alignmentformat format = forced.value_or(Detect(content));
    Collected records = Collect(format, content);
    Checkrecords(records);
    return Sample{format, std::move(records.Labels), std::move(records.Sequences), records.Made};
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

std::string Nativetext(const Sample &sample) {
  std::size_t size = 0;
  for (std::size_t r = 0; r < sample.Labels.size(); ++r)
    size += sample.Labels[r].size() + sample.Sequences[r].size() + 2;
  std::string text;
  text.reserve(size);
  for (std::size_t r = 0; r < sample.Labels.size(); ++r)
    text.append(sample.Labels[r]).append(" ").append(sample.Sequences[r]).append("\n");
  return text;
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
