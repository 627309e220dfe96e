// The DoABC tags: the colours that their ActionScript 3 code draws with,
// registered as script colours where they are stored.
#include "swf/abc_colours.h"
#include "swf/script_constants.h"
#include "swf/swf_file.h"

namespace tintor {

namespace {

// DoABC proper: flags and a name come before the ABC file; the older tag 72
// holds the file alone.
constexpr std::uint16_t kDoAbcCode = 82;
constexpr std::uint32_t kDoAbcFlags = 4;

// The account's bits (of kDrawingCalls) of a set of ScriptUse bits.
std::uint32_t DrawingCallsOf(std::uint32_t uses)
{
    std::uint32_t calls = 0;
    for (std::size_t i = 0; i < std::size(kScriptUseNames); ++i)
        if (uses & (1u << i))
            calls |= DrawingCallBit(kScriptUseNames[i]);
    return calls;
}

} // namespace

void CSwfFile::ReadDoAbc(std::uint16_t code)
{
    if (!Extended()) {
        TallyScript(code, m_pos);
        return;
    }
    const std::size_t start = m_pos;
    if (code == kDoAbcCode) {
        SkipBytes(kDoAbcFlags);
        SkipString(); // name
    }
    const std::size_t abcStart = std::min(m_pos, m_limit);
    const AbcColours found = FindAbcColours(
        std::span(m_fileBuf).subspan(abcStart, m_limit - abcStart), static_cast<std::uint32_t>(abcStart));
    for (const AbcColourPlace& p : found.places) {
        EncodedPlace place;
        place.pos = p.pos;
        place.form = AbcFormOf(p.source);
        place.length = p.length;
        place.uses = p.calls;
        place.keepsValue = !p.exclusive;
        AddScriptColour(place);
    }
    // A followed block is counted by the calls whose colours it could not
    // tell; one the player would refuse, or with code the walk could not
    // step through, by the names its bytes hold.
    std::uint32_t calls = DrawingCallsOf(found.unfollowedUses);
    if (found.fault != AbcFault::None || found.unreadBodies > 0)
        calls |= DrawingCallsIn(std::span(m_fileBuf).subspan(start, m_limit - start));
    TallyScriptCalls(code, calls);
    SkipToTagEnd();
}

} // namespace tintor
