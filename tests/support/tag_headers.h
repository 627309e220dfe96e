#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tintor::test {

// A main-timeline tag as its header states it.
struct TagSpan {
    std::uint16_t code;
    std::size_t begin; // first byte of the body
    std::size_t end;   // just past the body, as the header claims (may lie past the file)
};

// The main timeline's tags of a plain movie, read from the headers alone and
// independently of the engine, up to and including the End tag.
std::vector<TagSpan> MainTags(std::span<const std::uint8_t> movie);

} // namespace tintor::test
