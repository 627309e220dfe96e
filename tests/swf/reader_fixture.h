#pragma once

#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

namespace tintor::test {

// Loads hand-made movies and answers what their registry holds.
class ReaderTest : public ::testing::Test {
protected:
    bool Load(const std::vector<std::uint8_t>& bytes, CollectionRule rule = CollectionRule::Extended)
    {
        CMemoryInputFile file(bytes, "readers.swf");
        return m_movie.Load(file, rule);
    }
    PositionList PositionsOf(ColorKey key) const { return m_movie.Colors().PositionsOf(key); }
    std::size_t PositionCount() const
    {
        std::size_t n = 0;
        m_movie.Colors().ForEach([&](ColorKey, const PositionList& positions) { n += positions.size(); });
        return n;
    }
    CRecordingSink m_messages;
    CSwfFile m_movie{m_messages};
};

// Offset of the next byte a writer will put down, as a movie position once
// the body lands at bodyOffset.
inline std::uint32_t Here(const CBitWriter& w) { return static_cast<std::uint32_t>(w.Size()); }

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::span<const std::uint8_t>> parts)
{
    std::vector<std::uint8_t> all;
    for (auto part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace tintor::test
