#include "stats/fastgather.h"

#include <immintrin.h>

namespace halvik {

namespace {

// One row: the sum of row[columns[j]] for j < count, as one packed word.
// Packed words add field by field as long as no field overflows.
std::uint64_t Rowplain(const std::uint64_t *row, const std::int32_t *columns, std::int32_t count) {
  std::uint64_t a0 = 0, a1 = 0, a2 = 0, a3 = 0;
  std::int32_t j = 0;
  for (; j + 4 <= count; j += 4) {
    a0 += row[columns[j]];
    a1 += row[columns[j + 1]];
    a2 += row[columns[j + 2]];
    a3 += row[columns[j + 3]];
  }
  for (; j < count; ++j) a0 += row[columns[j]];
  return a0 + a1 + a2 + a3;
}

[[gnu::target("avx2")]] std::uint64_t Rowavx2(const std::uint64_t *row, const std::int32_t *columns,
                                             std::int32_t count) {
  const auto *base = reinterpret_cast<const long long *>(row);
  __m256i a0 = _mm256_setzero_si256(), a1 = _mm256_setzero_si256();
  std::int32_t j = 0;
  for (; j + 8 <= count; j += 8) {
    const __m128i i0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(columns + j));
    const __m128i i1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(columns + j + 4));
    a0 = _mm256_add_epi64(a0, _mm256_i32gather_epi64(base, i0, 8));
    a1 = _mm256_add_epi64(a1, _mm256_i32gather_epi64(base, i1, 8));
  }
  const __m256i a = _mm256_add_epi64(a0, a1);
  const __m128i h = _mm_add_epi64(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
  std::uint64_t sum = static_cast<std::uint64_t>(_mm_cvtsi128_si64(h)) +
                      static_cast<std::uint64_t>(_mm_extract_epi64(h, 1));
  for (; j < count; ++j) sum += row[columns[j]];
  return sum;
}

using Rowgather = std::uint64_t (*)(const std::uint64_t *, const std::int32_t *, std::int32_t);

Rowgather Pick(bool allow) {
  __builtin_cpu_init();
  return allow && __builtin_cpu_supports("avx2") ? Rowavx2 : Rowplain;
}

Rowgather Row = Pick(true);

void Add(Packedsum &sum, std::uint64_t packed) {
  sum.Diff += static_cast<std::int64_t>(packed & Diffmask);
  sum.Log += static_cast<std::int64_t>(packed >> Diffbits);
}

}  // namespace

Packedsum Gathertriangle(const std::uint64_t *cells, std::int32_t rowlength, const std::int32_t *members,
                         std::int32_t size) {
  Packedsum sum;
  for (std::int32_t i = 0; i + 1 < size; ++i)
    Add(sum, Row(cells + static_cast<std::int64_t>(members[i]) * rowlength, members + i + 1, size - i - 1));
  return sum;
}

Packedsum Gatherrectangle(const std::uint64_t *cells, std::int32_t rowlength, const std::int32_t *rows,
                          std::int32_t nrows, const std::int32_t *columns, std::int32_t ncolumns) {
  Packedsum sum;
  for (std::int32_t i = 0; i < nrows; ++i)
    Add(sum, Row(cells + static_cast<std::int64_t>(rows[i]) * rowlength, columns, ncolumns));
  return sum;
}

void Allowvectorgather(bool allow) { Row = Pick(allow); }

}  // namespace halvik
