#include "Searches.h"

namespace search {

TBaseSearch::TBaseSearch() {
  // Only A-Z fold: the map works byte by byte, and bytes of multi-byte characters stay what they
  // are unless they happen to lie in 0x41..0x5A.
  for (int b = 0; b < 256; ++b)
    lower_[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
}

TBaseSearch::~TBaseSearch() { ClearBuffer(); }

void TBaseSearch::SetPattern(const std::string& value) {
  if (value == pattern_) return;
  pattern_ = value;
  patLen_ = static_cast<std::int32_t>(pattern_.size());
  tableReady_ = false;
}

void TBaseSearch::SetCaseSensitive(bool value) {
  if (value == caseSensitive_) return;
  caseSensitive_ = value;
  tableReady_ = false;
}

void TBaseSearch::SetBuffer(const char* buffer, std::int32_t length) {
  ClearBuffer();
  if (!buffer || length < 1) return;
  buffer_ = reinterpret_cast<const unsigned char*>(buffer);
  bufLen_ = length;
}

void TBaseSearch::ClearBuffer() {
  buffer_ = nullptr;
  bufLen_ = 0;
  scan_ = -1;
}

void TBaseSearch::BuildSkipTable() {
  const std::int32_t m = patLen_;
  if (m == 0) return;
  const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data());
  skip_.fill(m);
  for (std::int32_t j = 0; j < m - 1; ++j) skip_[Fold(p[j])] = m - 1 - j;
  lastSkip_ = skip_[Fold(p[m - 1])];
  // Zero marks the last byte, so that one lookup tells a possible match from a shift.
  skip_[Fold(p[m - 1])] = 0;
  tableReady_ = true;
}

std::int32_t TBaseSearch::FindFirst() {
  scan_ = std::int64_t{patLen_} - 1;
  return FindNext();
}

std::int32_t TBaseSearch::FindFrom(std::int32_t offset) {
  scan_ = std::int64_t{offset < 0 ? 0 : offset} + patLen_ - 1;
  return FindNext();
}

std::int32_t TBaseSearch::FindNext() {
  if (!tableReady_) BuildSkipTable();
  if (scan_ < 0) scan_ = std::int64_t{patLen_} - 1;
  if (patLen_ == 0 || patLen_ > bufLen_ || scan_ >= bufLen_) {
    scan_ = bufLen_;
    return -1;
  }
  return Scan();
}

std::int32_t TBaseSearch::Scan() {
  const std::int32_t m = patLen_;
  const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data());
  while (scan_ < bufLen_) {
    std::int32_t d = skip_[Fold(buffer_[scan_])];
    if (d != 0) {
      scan_ += d;
      continue;
    }
    const std::int64_t start = scan_ - m + 1;
    std::int32_t k = 0;
    while (k < m - 1 && Fold(p[k]) == Fold(buffer_[start + k])) ++k;
    if (k == m - 1) {
      scan_ += m;
      return static_cast<std::int32_t>(start);
    }
    scan_ += lastSkip_;
  }
  return -1;
}

void TSearch::SetBuffer(const char* buffer, std::int32_t length) { TBaseSearch::SetBuffer(buffer, length); }

}  // namespace search
