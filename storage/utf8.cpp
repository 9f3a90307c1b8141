#include "storage/utf8.h"

namespace {

// Range of the byte that follows a lead byte; later continuation bytes are 0x80..0xBF.
struct LeadRule {
  std::size_t length;
  unsigned char secondLow;
  unsigned char secondHigh;
};

LeadRule RuleFor(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};  // no overlong forms
  if (lead == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};  // no overlong forms
  if (lead == 0xF4) return {4, 0x80, 0x8F};  // nothing above 0x10FFFF
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  return {0, 0, 0};
}

}  // namespace

std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  const LeadRule rule = RuleFor(lead);
  codePoint = kInvalidSequence;
  if (rule.length == 0) return 1;
  char32_t value = lead & (rule.length == 2 ? 0x1F : rule.length == 3 ? 0x0F : 0x07);
  for (std::size_t k = 1; k < rule.length; ++k) {
    if (k >= bytes.size()) return k;
    const auto next = static_cast<unsigned char>(bytes[k]);
    const unsigned char low = k == 1 ? rule.secondLow : 0x80;
    const unsigned char high = k == 1 ? rule.secondHigh : 0xBF;
    if (next < low || next > high) return k;
    value = (value << 6) | (next & 0x3F);
  }
  codePoint = value;
  return rule.length;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  return lead < 0x80 ? 1 : RuleFor(lead).length;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}
