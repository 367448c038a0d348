// Exported objects as files: the text of a `.sr?` file as the lines a library's export gives,
// whatever the release that wrote it, and what its name and first lines say about the object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/TextFile.h"

namespace sides {

// The lines of an exported object's file, in the program's code page. The bytes are UTF-8 (with
// or without a byte-order mark), UTF-16 with a mark, HEXASCII (a first line starting
// "HA$PBExportHeader$", characters outside ASCII written as $$HEX<n>$$<hex>$$ENDHEX$$ runs of n
// UTF-16 units, each as its two bytes in little-endian order: the "HA" is dropped and every run
// becomes its characters), or else code-page text. Lines end at CR LF, LF or CR; a break at the
// end starts no empty line. So a library's export and any file copy of the same object give the
// same lines, whatever their byte-order mark, line ends and final break.
std::vector<std::string> DecodeExportFile(std::string_view bytes);

// The same text before it is cut into lines.
std::string DecodeExportText(std::string_view bytes);
// The same over bytes the caller gives up: decoded in their own room.
std::string DecodeExportText(std::string&& bytes);

// Whether bytes are in the HEXASCII format (the first line starts "HA$PBExportHeader$").
bool IsHexAscii(std::string_view bytes);

// The lines of a HEXASCII export that hold $$HEX runs, by the code-page text they decode to, with
// their bytes as read ("HA" left off the first), so that saving writes an unchanged line back as
// it was (platform::SaveTextLines).
platform::THexAsciiLines HexAsciiLines(std::string_view bytes);
// Whether the text bytes stand for is UTF-8 throughout: valid UTF-8 (ASCII included) after any
// UTF-8 byte-order mark, HEXASCII or not. Such a text can be compared and printed in UTF-8: its
// conversion to the code page maps distinct lines to distinct lines.
bool HoldsUtf8Text(std::string_view bytes);
// The text of bytes that HoldsUtf8Text, in UTF-8: the byte-order mark dropped, HEXASCII runs
// written as their characters in UTF-8 (the "HA" dropped), nothing else changed.
std::string DecodeExportTextUtf8(std::string&& bytes);

// Whether a file name is an exported object's: an extension ".sr" and one more character, in any
// letter case (w_main.srw, D_LIST.SRD).
bool IsExportFileName(std::string_view utf8);

// The comment of an export text: what follows "$PBExportComments$" on the line after the header
// line, or nothing.
std::string ExportComment(const std::vector<std::string>& lines);

}  // namespace sides
