#pragma once
// Looking at 64 characters of a file text at once with SSE2: where its line feeds and '1's
// are, and whether it holds a lone CR or a foreign character. The block-wise passes over a
// file text rest on it; each has a plain twin for processors without SSE2.

#if defined(__SSE2__)

#include <cstddef>
#include <cstdint>

namespace block_scan {

inline constexpr std::ptrdiff_t kBlock = 64;  // characters looked at together

struct BlockScan {
  std::uint64_t lineFeeds = 0;      // bit k: block[k] is LF
  std::uint64_t onesLastFirst = 0;  // bit 63 - k: block[k] is '1'
  bool loneReturn = false;          // a CR that is not followed by LF
  bool foreign = false;             // a character other than '0', '1', CR and LF
};

__extension__ using Uint128 = unsigned __int128;

// Looks at the kBlock characters at `block` and the one after them (which must exist).
BlockScan ScanBlock(const char16_t* block);

// Where the digits of the line from `lineStart` to its LF at `lf` end: before its CR.
inline const char16_t* DigitsEnd(const char16_t* lineStart, const char16_t* lf) {
  return lf != lineStart && lf[-1] == u'\r' ? lf - 1 : lf;
}

// The value of the `count` (1 to 32) characters before `digitsEnd`, which lies in the block
// at `block`, where only '1' counts: `ones` holds the '1's of the block before (bits 127..64,
// as onesLastFirst) and of this block (bits 63..0).
inline std::uint32_t ValueBefore(Uint128 ones, const char16_t* block, const char16_t* digitsEnd,
                                 std::size_t count) {
  // The last digit's bit moves to bit 0; each digit lands on its own weight.
  const auto after = static_cast<unsigned>(digitsEnd - block + kBlock);
  const auto bits = static_cast<std::uint64_t>(ones >> (2 * kBlock - after));
  return static_cast<std::uint32_t>(bits & ((std::uint64_t{1} << count) - 1));
}

}  // namespace block_scan

#endif
