#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tintor {

// The length of the well-formed UTF-8 sequence at the front of text, or 0
// when it starts with a byte that begins none (a stray continuation byte, an
// overlong form, a surrogate, a code point past U+10FFFF, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

// U+FFFD, the replacement character, in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Text as valid UTF-8: every byte that begins no well-formed sequence
// becomes U+FFFD, so that a file name (bytes of any encoding) can stand in a
// document that must be UTF-8.
std::string ValidUtf8(std::string_view text);

} // namespace tintor
