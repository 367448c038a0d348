// Name collation on Linux: ICU, loaded when the first name needs it.
//
// The program does not link ICU: loading its libraries and their data at every start would cost
// more than a short comparison takes in all (quorvex-cli runs once per file under git). Most names
// never need it (see CollationRule.h); the first one that does loads the libraries of the ICU
// version the program was built with.
#include <dlfcn.h>
#include <unicode/ucol.h>
#include <unicode/uchar.h>
#include <unicode/uvernum.h>

#include <cstdlib>
#include <mutex>

#include "CollationSystem.h"

namespace platform::collation_system {
namespace {

// The names of ICU's functions carry its version (ucol_open_72); the headers' macros give them.
#define QUORVEX_NAME_OF(f) QUORVEX_NAME_OF_(f)
#define QUORVEX_NAME_OF_(f) #f
#define QUORVEX_ICU_LIB(name) "lib" name ".so." QUORVEX_NAME_OF(U_ICU_VERSION_MAJOR_NUM)

struct TIcu {
  decltype(&ucol_open) Open = nullptr;
  decltype(&ucol_close) Close = nullptr;
  decltype(&ucol_setAttribute) SetAttribute = nullptr;
  decltype(&ucol_strcoll) Strcoll = nullptr;
  decltype(&u_foldCase) FoldCase = nullptr;
};

template <typename F>
bool Bind(void* lib, const char* name, F& f) {
  f = lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
  return f != nullptr;
}

// ICU's functions, or none where its libraries cannot be loaded.
const TIcu* Icu() {
  static const TIcu* icu = [] () -> const TIcu* {
    static TIcu t;
    void* uc = dlopen(QUORVEX_ICU_LIB("icuuc"), RTLD_NOW | RTLD_LOCAL);
    void* i18n = dlopen(QUORVEX_ICU_LIB("icui18n"), RTLD_NOW | RTLD_LOCAL);
    const bool ok = Bind(i18n, QUORVEX_NAME_OF(ucol_open), t.Open) & Bind(i18n, QUORVEX_NAME_OF(ucol_close), t.Close) &
                    Bind(i18n, QUORVEX_NAME_OF(ucol_setAttribute), t.SetAttribute) &
                    Bind(i18n, QUORVEX_NAME_OF(ucol_strcoll), t.Strcoll) &
                    Bind(uc, QUORVEX_NAME_OF(u_foldCase), t.FoldCase);
    return ok ? &t : nullptr;
  }();
  return icu;
}

// The locale's collator, opened on the thread's first comparison that needs it and kept.
class TCollator {
 public:
  TCollator() {
    const TIcu* icu = Icu();
    if (!icu) return;
    std::string name = LocaleName();
    name = name.substr(0, std::min(name.find('.'), name.find('@')));
    UErrorCode status = U_ZERO_ERROR;
    collator_ = icu->Open(name.c_str(), &status);
    if (U_FAILURE(status)) {
      collator_ = nullptr;
      return;
    }
    // Full strength: case is folded before, so that only case does not count (a collator set to
    // ignore case compares at secondary strength, which ignores width too).
    icu->SetAttribute(collator_, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    icu->SetAttribute(collator_, UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
    icu->SetAttribute(collator_, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    icu->SetAttribute(collator_, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
  }
  ~TCollator() {
    if (collator_) Icu()->Close(collator_);
  }
  TCollator(const TCollator&) = delete;
  TCollator& operator=(const TCollator&) = delete;
  UCollator* Get() const { return collator_; }

 private:
  UCollator* collator_ = nullptr;
};

}  // namespace

std::string LocaleName() {
  for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"})
    if (const char* v = std::getenv(var); v && *v) return v;
  return "C";
}

std::u16string FoldCase(std::u16string_view in) {
  std::u16string out;
  out.reserve(in.size());
  const TIcu* icu = Icu();
  for (std::size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    }
    if (icu)
      c = static_cast<char32_t>(icu->FoldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
    else if (c >= 'A' && c <= 'Z')
      c = c - 'A' + 'a';
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

int Collate(std::u16string_view a, std::u16string_view b) {
  thread_local TCollator collator;
  if (!collator.Get()) return a.compare(b);
  return Icu()->Strcoll(collator.Get(), a.data(), static_cast<int32_t>(a.size()), b.data(), static_cast<int32_t>(b.size()));
}

}  // namespace platform::collation_system
