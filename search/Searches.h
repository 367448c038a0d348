// Finding a fixed byte pattern in a caller's buffer, left to right, with or without the case of
// the ASCII letters: the Boyer-Moore-Horspool search (R. N. Horspool, "Practical fast searching
// in strings", 1980). The searcher knows nothing of lines, words or directions; its callers give
// it one line at a time and filter the matches.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace search {

class TBaseSearch {
 public:
  TBaseSearch();
  virtual ~TBaseSearch();
  TBaseSearch(const TBaseSearch&) = delete;
  TBaseSearch& operator=(const TBaseSearch&) = delete;

  const std::string& Pattern() const { return pattern_; }
  void SetPattern(const std::string& value);
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);

  // The text to search: not copied, so it must stay alive and unchanged until the last FindNext.
  // A null pointer or a length below 1 leaves the searcher without a buffer.
  virtual void SetBuffer(const char* buffer, std::int32_t length);
  void ClearBuffer();

  // Offset of the first match in the buffer, or -1.
  std::int32_t FindFirst();
  // Offset of the next match after the previous one (matches never overlap), or -1. Without a
  // FindFirst since the last SetBuffer it starts at the beginning.
  std::int32_t FindNext();
  // Offset of the first match that starts at or after `offset`, or -1; FindNext goes on after it.
  // A caller that turns a match down (one that splits a character, say) resumes at its offset
  // plus one, so that a match overlapping it is not lost.
  std::int32_t FindFrom(std::int32_t offset);

  // For diagnostics: whether the shift table fits the current pattern and case mode, and the
  // shift used after a failed comparison.
  bool TableReady() const { return tableReady_; }
  std::int32_t LastSkip() const { return lastSkip_; }

 private:
  void BuildSkipTable();
  unsigned char Fold(unsigned char b) const { return caseSensitive_ ? b : lower_[b]; }
  std::int32_t Scan();

  std::string pattern_;
  bool caseSensitive_ = false;
  std::int32_t patLen_ = 0;
  bool tableReady_ = false;
  std::array<std::int32_t, 256> skip_{};
  std::int32_t lastSkip_ = 0;
  std::array<unsigned char, 256> lower_{};
  const unsigned char* buffer_ = nullptr;
  std::int32_t bufLen_ = 0;
  // Offset of the text byte under the pattern's last byte; negative before the first FindFirst
  // of a buffer. Offsets, not pointers, so that a shift past the end stays well defined.
  std::int64_t scan_ = -1;
};

// The searcher the files frame owns.
class TSearch : public TBaseSearch {
 public:
  void SetBuffer(const char* buffer, std::int32_t length) override;
};

}  // namespace search
