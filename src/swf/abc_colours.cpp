// The colours of an ABC block: the walk's uses gathered by the place they
// push from. The pushes of one pool entry are one place, which is a colour
// only as long as none of them, and no default value, uses it as anything
// else.
#include "swf/abc_colours.h"

#include "swf/abc_readers.h"
#include "swf/abc_walk.h"

#include <algorithm>

namespace tintor {

namespace {

// A default value names a pool entry: a use the walk does not see.
void AddDefault(AbcWalkResult& walk, const AbcValueRef& value)
{
    std::vector<AbcUses>* pool = value.kind == kAbcInt ? &walk.ints
        : value.kind == kAbcUInt                       ? &walk.uints
        : value.kind == kAbcDoubleKind                 ? &walk.doubles
                                                       : nullptr;
    if (pool && value.index < pool->size())
        ++(*pool)[value.index].other;
}

void AddDefaults(AbcWalkResult& walk, const std::vector<AbcTrait>& traits)
{
    for (const AbcTrait& trait : traits)
        if (trait.Kind() == kAbcTraitSlot || trait.Kind() == kAbcTraitConst)
            AddDefault(walk, trait.value);
}

void AddDefaults(AbcWalkResult& walk, const AbcFile& file)
{
    for (const AbcMethodInfo& method : file.methods)
        for (const AbcValueRef& option : method.options)
            AddDefault(walk, option);
    for (const AbcInstanceInfo& instance : file.instances)
        AddDefaults(walk, instance.traits);
    for (const AbcClassInfo& cls : file.classes)
        AddDefaults(walk, cls.traits);
    for (const AbcScriptInfo& script : file.scripts)
        AddDefaults(walk, script.traits);
    for (const AbcMethodBody& body : file.bodies)
        AddDefaults(walk, body.traits);
}

std::uint8_t LengthOf(const AbcVarint& entry) { return entry.length; }
std::uint8_t LengthOf(const AbcDouble&) { return 8; }

// The entries of one pool that reached a colour. Code that could not be
// stepped through may push any entry, so then none is a colour alone.
template <typename Entry>
void AddEntries(AbcColours& colours, AbcSource source, const std::vector<AbcUses>& uses,
    const std::vector<Entry>& entries, std::span<const std::uint8_t> abc, std::uint32_t pos, bool everyUseSeen)
{
    for (std::size_t i = 1; i < uses.size() && i <= entries.size(); ++i) {
        if (uses[i].colour == 0)
            continue;
        const Entry& e = entries[i - 1];
        const std::uint8_t length = LengthOf(e);
        // A colour use was only counted for an entry that holds a colour.
        const std::uint32_t colour = AbcColourOf(source, abc.subspan(e.pos - pos, length)).value_or(0);
        colours.places.push_back({e.pos, length, source, colour, uses[i].calls, uses[i].other == 0 && everyUseSeen});
    }
}

} // namespace

AbcColours FindAbcColours(std::span<const std::uint8_t> abc, std::uint32_t pos)
{
    AbcColours colours;
    const AbcFile file = ReadAbcFile(abc, pos);
    colours.fault = file.fault;
    colours.faultPos = file.faultPos;
    if (file.fault != AbcFault::None)
        return colours;
    AbcWalkResult walk = WalkAbcFile(file, abc, pos);
    colours.followedColours = walk.followedColours;
    colours.unfollowedColours = walk.unfollowedColours;
    colours.unfollowedUses = walk.unfollowedUses;
    colours.unreadBodies = walk.unreadBodies;
    AddDefaults(walk, file);
    const bool everyUseSeen = walk.unreadBodies == 0;
    AddEntries(colours, AbcSource::Int, walk.ints, file.pool.ints, abc, pos, everyUseSeen);
    AddEntries(colours, AbcSource::Uint, walk.uints, file.pool.uints, abc, pos, everyUseSeen);
    AddEntries(colours, AbcSource::Double, walk.doubles, file.pool.doubles, abc, pos, everyUseSeen);
    // An operand is a place of its own, used by its instruction alone.
    for (const AbcOperandColour& op : walk.operands)
        colours.places.push_back({op.pos, op.length, op.source, op.colour, op.uses.calls, op.uses.other == 0});
    std::sort(colours.places.begin(), colours.places.end(),
        [](const AbcColourPlace& a, const AbcColourPlace& b) { return a.pos < b.pos; });
    return colours;
}

} // namespace tintor
