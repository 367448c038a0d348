// The part of iconv that platform/CodePage.cpp uses, on Windows: conversions between UTF-16LE,
// UTF-8, GB18030 and the Windows code pages "CPnnn" through tables made from glibc's iconv on the
// build machine (see IconvWin.cpp), character by character, stopping where glibc's iconv stops
// (EILSEQ at a sequence that is no character of the source or has none in the target, EINVAL at
// one cut short by the end, E2BIG when the output is full), so that CodePage.cpp converts the
// same bytes the same way on both systems.
#pragma once

#include <cstddef>

struct TIconv;
using iconv_t = TIconv*;

iconv_t iconv_open(const char* to, const char* from);
std::size_t iconv(iconv_t cd, char** inbuf, std::size_t* inbytesleft, char** outbuf, std::size_t* outbytesleft);
int iconv_close(iconv_t cd);
