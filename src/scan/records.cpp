#include "scan/records.h"

#include <htslib/vcf.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace halvik {

namespace {

bool Isbase(char c) { return std::strchr("ACGTNacgtn", c) != nullptr && c != '\0'; }

// FILTER, REF and ALT: why the record is skipped, if it is; its alleles.
Skipreason Ruling(std::string_view filter, std::string_view ref, std::string_view alt, std::uint8_t &alleles) {
  if (filter != "PASS" && filter != ".") return Skipreason::Filtered;
  alleles = 1;
  if (ref.size() != 1 || !Isbase(ref[0])) return Skipreason::Notbase;
  if (alt == ".") return Skipreason::None;
  bool star = false, other = false;
  for (std::size_t at = 0; at <= alt.size(); ++alleles) {
    const std::size_t comma = std::min(alt.find(',', at), alt.size());
    const std::string_view one = alt.substr(at, comma - at);
    star = star || one == "*";
    other = other || one.size() != 1 || (!Isbase(one[0]) && one != "*");
    at = comma + 1;
  }
  if (star) return Skipreason::Star;
  return other || alleles > Mostalleles ? Skipreason::Notbase : Skipreason::None;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...'" : "'");
}

// What is wrong with a call, apart from the loop that rarely meets one.
[[gnu::noinline, gnu::cold]] bool Badploidy(std::size_t sample, int ploidy, Callchecks &checks) {
  checks.Problem = "sample " + checks.Names[sample] + " has a call of " + std::to_string(ploidy) +
                   (ploidy == 1 ? " allele" : " alleles") + " where earlier calls have " +
                   std::to_string(checks.Ploidy) + ": every call of a scan has one ploidy";
  return false;
}

[[gnu::noinline, gnu::cold]] bool Badallele(std::size_t sample, int allele, int alleles, Callchecks &checks) {
  checks.Problem = "sample " + checks.Names[sample] + " has allele " + std::to_string(allele) +
                   " where the record has " + std::to_string(alleles);
  return false;
}

// Records one sample's call: its alleles (Nocall for '.'), how many there
// are, and whether a diploid call was written with '|'.
inline bool Addcall(std::size_t sample, const int *alleles, int ploidy, bool phased, Callchecks &checks,
                    Vcfrecord &record) {
  std::uint8_t *slots = record.Calls.data() + 2 * sample;
  if (alleles[0] < 0 || (ploidy == 2 && alleles[1] < 0)) {
    record.Missing = true;
    return true;
  }
  if (ploidy != checks.Ploidy) {
    if (checks.Ploidy != 0) return Badploidy(sample, ploidy, checks);
    checks.Ploidy = ploidy;
  }
  for (int c = 0; c < ploidy; ++c) {
    if (alleles[c] >= record.Alleles) return Badallele(sample, alleles[c], record.Alleles, checks);
    slots[c] = static_cast<std::uint8_t>(alleles[c]);
  }
  if (ploidy == 2 && slots[0] != slots[1] && !phased) record.Unphased = true;
  return true;
}

// The GT subfield of a sample's column: alleles ('.' or a number) joined by
// '/' or '|', with an optional phasing mark in front.
bool Parsegt(std::string_view gt, std::size_t sample, Callchecks &checks, Vcfrecord &record) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (gt.size() == 3 && digit(gt[0]) && (gt[1] == '|' || gt[1] == '/') && digit(gt[2])) {  // most calls
    const int alleles[2] = {gt[0] - '0', gt[2] - '0'};
    return Addcall(sample, alleles, 2, gt[1] == '|', checks, record);
  }
  int alleles[2] = {-1, -1}, ploidy = 0;
  bool phased = false, wellformed = true;
  std::size_t at = !gt.empty() && (gt[0] == '/' || gt[0] == '|') ? 1 : 0;
  for (bool more = true; more && wellformed;) {
    int allele = -1;
    const std::size_t start = at;
    if (at < gt.size() && gt[at] == '.')
      ++at;
    else
      for (allele = 0; at < gt.size() && gt[at] >= '0' && gt[at] <= '9' && allele < 1000; ++at)
        allele = allele * 10 + (gt[at] - '0');
    wellformed = at > start;
    if (wellformed && ploidy == 2) {
      checks.Problem = "sample " + checks.Names[sample] + ": more than two alleles in the call " + Quoted(gt);
      return false;
    }
    if (wellformed) alleles[ploidy++] = allele;
    more = at < gt.size() && (gt[at] == '/' || gt[at] == '|');
    if (more) phased = gt[at++] == '|';
  }
  if (!wellformed || at != gt.size()) {
    checks.Problem = "sample " + checks.Names[sample] + ": malformed GT " + Quoted(gt);
    return false;
  }
  return Addcall(sample, alleles, ploidy, phased, checks, record);
}

// Whether the chosen samples' calls hold two alleles or more.
void Markvariable(Vcfrecord &record) {
  std::uint8_t low = Nocall, high = 0;
  for (const std::uint8_t a : record.Calls)
    if (a != Nocall) {
      low = std::min(low, a);
      high = std::max(high, a);
    }
  record.Variable = low != Nocall && high != low;
}

void Startcalls(std::size_t samples, Vcfrecord &record) {
  record.Calls.assign(2 * samples, Nocall);
  record.Unphased = record.Variable = record.Missing = false;
}

// The position in the POS column: digits, from 1.
bool Position(std::string_view text, std::int64_t &position) {
  position = 0;
  if (text.empty() || text.size() > 15) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    position = position * 10 + (c - '0');
  }
  return position >= 1;
}

// The index of GT among the FORMAT keys, or -1.
int Gtindex(std::string_view format) {
  int index = 0;
  for (std::size_t at = 0; at <= format.size(); ++index) {
    const std::size_t colon = std::min(format.find(':', at), format.size());
    if (format.substr(at, colon - at) == "GT") return index;
    at = colon + 1;
  }
  return -1;
}

// What is wrong with a line whose columns are not the header's.
[[gnu::noinline, gnu::cold]] bool Wrongcount(std::string_view line, std::size_t fields, Callchecks &checks) {
  const auto columns = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
  checks.Problem = columns > fields
                       ? std::to_string(fields + 1) + " columns or more where the header has " + std::to_string(fields)
                       : std::to_string(columns) + " columns where the header has " + std::to_string(fields);
  return false;
}

// Where the column starting at `at` ends: a tab, or the end of the line.
std::size_t Columnend(std::string_view line, std::size_t at) {
  while (at < line.size() && line[at] != '\t') ++at;
  return at;
}

// The tabs of a stretch of text, in order, sixteen bytes at a time where
// the processor compares them so.
void Findtabs(const char *text, std::size_t size, std::vector<std::uint32_t> &tabs) {
  tabs.clear();
  std::size_t at = 0;
#ifdef __SSE2__
  const __m128i tab = _mm_set1_epi8('\t');
  for (; at + 16 <= size; at += 16) {
    auto mask = static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text + at)), tab)));
    for (; mask != 0; mask &= mask - 1) tabs.push_back(static_cast<std::uint32_t>(at + std::countr_zero(mask)));
  }
#endif
  for (; at < size; ++at)
    if (text[at] == '\t') tabs.push_back(static_cast<std::uint32_t>(at));
}

// The index-th colon-separated subfield of a sample's column; "." if absent.
std::string_view Subfield(std::string_view column, int index) {
  if (index == 0) {  // GT comes first, as it should
    std::size_t end = 0;
    while (end < column.size() && column[end] != ':') ++end;
    return column.substr(0, end);
  }
  for (std::size_t at = 0; at <= column.size(); --index) {
    const std::size_t colon = std::min(column.find(':', at), column.size());
    if (index == 0) return column.substr(at, colon - at);
    at = colon + 1;
  }
  return ".";
}

}  // namespace

Gtbuffer::~Gtbuffer() { std::free(Values); }

bool Parseline(std::string_view line, std::size_t fields, Callchecks &checks, Vcfrecord &record,
               std::string_view &chrom) {
  std::string_view head[9];
  std::size_t at = 0;
  for (std::string_view &column : head) {
    const std::size_t end = Columnend(line, at);
    if (end == line.size()) return Wrongcount(line, fields, checks);
    column = line.substr(at, end - at);
    at = end + 1;
  }
  chrom = head[0];
  if (chrom.empty() || !Position(head[1], record.Position)) {
    checks.Problem = chrom.empty() ? "an empty CHROM" : "POS " + Quoted(head[1]) + " is not a position";
    return false;
  }
  record.Skip = Ruling(head[6], head[3], head[4], record.Alleles);
  Startcalls(checks.Names.size(), record);
  const std::size_t samples = fields - 9;
  if (record.Skip != Skipreason::None) {
    const auto tabs =
        static_cast<std::size_t>(std::count(line.begin() + static_cast<std::ptrdiff_t>(at), line.end(), '\t'));
    return tabs + 1 == samples || Wrongcount(line, fields, checks);
  }
  const int gt = Gtindex(head[8]);
  if (gt < 0) {
    checks.Problem = "no GT in FORMAT " + Quoted(head[8]);
    return false;
  }
  // The sample columns in the file's order, each call to its chosen place.
  thread_local std::vector<std::uint32_t> tabs;
  const std::string_view rest = line.substr(at);
  Findtabs(rest.data(), rest.size(), tabs);
  if (tabs.size() + 1 != samples) return Wrongcount(line, fields, checks);
  tabs.push_back(static_cast<std::uint32_t>(rest.size()));
  for (std::size_t c = 0, start = 0; c < samples; start = tabs[c++] + 1) {
    const std::int32_t slot = checks.Slots[c];
    const std::string_view call = rest.substr(start, tabs[c] - start);
    if (slot >= 0 && !Parsegt(Subfield(call, gt), static_cast<std::size_t>(slot), checks, record)) return false;
  }
  Markvariable(record);
  return true;
}

bool Convertbinary(const bcf_hdr_t *header, bcf1_t *binary, const std::vector<std::int32_t> &chosen, Callchecks &checks,
                   Vcfrecord &record, Gtbuffer &buffer) {
  bcf_unpack(binary, BCF_UN_STR | BCF_UN_FLT);
  record.Position = binary->pos + 1;
  const bool pass =
      binary->d.n_flt == 0 || (binary->d.n_flt == 1 && binary->d.flt[0] == bcf_hdr_id2int(header, BCF_DT_ID, "PASS"));
  std::string alt;
  for (int a = 1; a < binary->n_allele; ++a) alt += std::string(a > 1 ? "," : "") + binary->d.allele[a];
  record.Skip = binary->n_allele < 1
                    ? Skipreason::Notbase
                    : Ruling(pass ? "PASS" : "x", binary->d.allele[0], alt.empty() ? "." : alt, record.Alleles);
  Startcalls(chosen.size(), record);
  if (record.Skip != Skipreason::None) return true;
  const int got = bcf_get_genotypes(header, binary, &buffer.Values, &buffer.Count);
  const int samples = bcf_hdr_nsamples(header);
  if (got <= 0 || got % samples != 0 || got / samples > 2) {
    checks.Problem = got <= 0 ? "no GT field" : "calls of more than two alleles";
    return chosen.empty();
  }
  const int width = got / samples;
  for (std::size_t s = 0; s < chosen.size(); ++s) {
    const std::int32_t *call = buffer.Values + static_cast<std::ptrdiff_t>(chosen[s]) * width;
    int alleles[2] = {-1, -1}, ploidy = 0;
    for (; ploidy < width && call[ploidy] != bcf_int32_vector_end; ++ploidy)
      alleles[ploidy] = bcf_gt_is_missing(call[ploidy]) ? -1 : bcf_gt_allele(call[ploidy]);
    const bool phased = ploidy == 2 && bcf_gt_is_phased(call[1]);
    if (ploidy == 0) alleles[ploidy++] = -1;
    if (!Addcall(s, alleles, ploidy, phased, checks, record)) return false;
  }
  Markvariable(record);
  return true;
}

}  // namespace halvik
