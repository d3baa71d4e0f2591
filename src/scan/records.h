// One record of a VCF as the scan uses it, read from a line of text or from
// a BCF record; both readings end in the same checks of the calls.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

typedef struct bcf1_t bcf1_t;
typedef struct bcf_hdr_t bcf_hdr_t;

namespace halvik {

// Why a record is not used; each is counted in the notes.
enum class Skipreason : std::uint8_t { None, Filtered, Notbase, Star };
inline constexpr int Skipreasons = 3;  // the reasons after None

// The allele slot of a missing call, and the second slot of a haploid call.
inline constexpr std::uint8_t Nocall = 0xff;
// Alleles are compared by index in three bit planes.
inline constexpr int Mostalleles = 8;

struct Vcfrecord {
  std::int64_t Position = 0;  // 1-based
  Skipreason Skip = Skipreason::None;
  std::uint8_t Alleles = 0;  // REF and ALT
  bool Unphased = false;     // a diploid heterozygote written with '/'
  bool Variable = false;     // two alleles or more among the calls
  bool Missing = false;      // a chosen sample is not called
  // Two slots per chosen sample, in the scan's order: allele indices, or
  // Nocall. A call with any '.' is missing in both slots.
  std::vector<std::uint8_t> Calls;
};

// The calls of one record as they are read, checked against each other: one
// ploidy for the whole run, known from its first call.
struct Callchecks {
  std::vector<std::string> Names;   // of the chosen samples, for messages
  std::vector<std::int32_t> Slots;  // of each VCF sample: its place among the chosen, or -1
  int Ploidy = 0;                   // 0 until a sample is called
  std::string Problem;
};

// Reads a data line of a VCF text (its line end removed): `fields` columns
// are expected (9, and one for each sample, of which there is one at least),
// and the calls of the chosen samples are read into their places. `chrom`
// receives the CHROM column. A record whose FILTER, REF or ALT rules it out
// is skipped before its calls are read. On a fault, Problem says what is
// wrong and false returns.
bool Parseline(std::string_view line, std::size_t fields, Callchecks &checks, Vcfrecord &record,
               std::string_view &chrom);

// htslib's own buffer of a BCF record's GT values, which it grows with
// realloc as it needs.
struct Gtbuffer {
  std::int32_t *Values = nullptr;
  int Count = 0;
  Gtbuffer() = default;
  Gtbuffer(const Gtbuffer &) = delete;
  Gtbuffer &operator=(const Gtbuffer &) = delete;
  ~Gtbuffer();
};

// The same from a BCF record of the header `header`, the chosen samples
// being the VCF's columns `chosen` in order.
bool Convertbinary(const bcf_hdr_t *header, bcf1_t *binary, const std::vector<std::int32_t> &chosen, Callchecks &checks,
                   Vcfrecord &record, Gtbuffer &buffer);

}  // namespace halvik
