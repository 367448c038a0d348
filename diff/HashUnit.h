// Line hashing: every line of a compared text becomes one 32-bit value, and two lines count as
// equal exactly when their values are equal. The comparison options take effect here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The table of the reflected CRC-32 polynomial 0xEDB88320, stored as data.
extern const std::array<std::uint32_t, 256> CrcTable;

// The CRC-32 of IEEE 802.3 over `length` bytes; 0 when `length` <= 0.
std::uint32_t Crc32(const void* bytes, std::int64_t length);

// The CRC-32 of `line` (code-page text without its line break) after, optionally, deleting every
// tab and space and lowering the ASCII capitals A-Z. The bytes of a multi-byte character are never
// folded, so the trail byte of a double-byte character that happens to lie in 0x41..0x5A stays.
std::uint32_t HashLine(std::string_view line, bool IgnoreCase, bool IgnoreBlanks);

// The values of all lines, in line order.
std::vector<std::uint32_t> HashLines(const std::vector<std::string>& lines, bool IgnoreCase, bool IgnoreBlanks);
