// The colours of an ABC block: the walk's pushes gathered by the place they
// push from. Pushes of one pool entry are one place, which is a colour only
// as long as none of them, and no default value, uses it as anything else.
#include "swf/abc_colours.h"

#include "swf/abc_readers.h"
#include "swf/abc_walk.h"

#include <algorithm>

namespace tintor {

namespace {

// What the code does with one pool entry.
struct EntryUses {
    std::uint32_t colour = 0;
    std::uint32_t other = 0;
    std::uint32_t calls = 0;
};

class CPoolUses {
public:
    explicit CPoolUses(const AbcConstantPool& pool)
        : m_ints(pool.ints.size() + 1), m_uints(pool.uints.size() + 1), m_doubles(pool.doubles.size() + 1)
    {
    }

    EntryUses* Entry(AbcSource source, std::uint32_t index)
    {
        std::vector<EntryUses>* uses = source == AbcSource::Int ? &m_ints
            : source == AbcSource::Uint                         ? &m_uints
            : source == AbcSource::Double                       ? &m_doubles
                                                                : nullptr;
        return uses && index < uses->size() ? &(*uses)[index] : nullptr;
    }

    // A default value names a pool entry: a use the walk does not see.
    void AddDefault(const AbcValueRef& value)
    {
        const AbcSource source = value.kind == kAbcInt ? AbcSource::Int
            : value.kind == kAbcUInt                   ? AbcSource::Uint
                                                       : AbcSource::Double;
        if (value.kind != kAbcInt && value.kind != kAbcUInt && value.kind != kAbcDoubleKind)
            return;
        if (EntryUses* entry = Entry(source, value.index))
            ++entry->other;
    }

    void AddDefaults(const std::vector<AbcTrait>& traits)
    {
        for (const AbcTrait& trait : traits)
            if (trait.Kind() == kAbcTraitSlot || trait.Kind() == kAbcTraitConst)
                AddDefault(trait.value);
    }

    void AddDefaults(const AbcFile& file)
    {
        for (const AbcMethodInfo& method : file.methods)
            for (const AbcValueRef& option : method.options)
                AddDefault(option);
        for (const AbcInstanceInfo& instance : file.instances)
            AddDefaults(instance.traits);
        for (const AbcClassInfo& cls : file.classes)
            AddDefaults(cls.traits);
        for (const AbcScriptInfo& script : file.scripts)
            AddDefaults(script.traits);
        for (const AbcMethodBody& body : file.bodies)
            AddDefaults(body.traits);
    }

private:
    std::vector<EntryUses> m_ints;
    std::vector<EntryUses> m_uints;
    std::vector<EntryUses> m_doubles;
};

} // namespace

AbcColours FindAbcColours(std::span<const std::uint8_t> abc, std::uint32_t pos)
{
    AbcColours colours;
    const AbcFile file = ReadAbcFile(abc, pos);
    colours.fault = file.fault;
    colours.faultPos = file.faultPos;
    if (file.fault != AbcFault::None)
        return colours;
    const AbcWalkResult walk = WalkAbcFile(file, abc, pos);
    colours.followedColours = walk.followedColours;
    colours.unfollowedColours = walk.unfollowedColours;
    colours.unreadBodies = walk.unreadBodies;

    CPoolUses pool(file.pool);
    pool.AddDefaults(file);
    // The pushes of a pool entry, by entry, each with its place.
    std::vector<const AbcPush*> firstPush;
    for (const AbcPush& push : walk.pushes) {
        EntryUses* entry = pool.Entry(push.source, push.index);
        if (entry == nullptr) {
            // An operand is a place of its own.
            if (push.colourUses > 0)
                colours.places.push_back(
                    {push.pos, push.length, push.source, *push.colour, push.calls, push.otherUses == 0});
            continue;
        }
        if (entry->colour == 0 && push.colourUses > 0)
            firstPush.push_back(&push);
        entry->colour += push.colourUses;
        entry->other += push.otherUses;
        entry->calls |= push.calls;
    }
    // Code that could not be stepped through may name any entry.
    const bool everyUseSeen = walk.unreadBodies == 0;
    for (const AbcPush* push : firstPush) {
        const EntryUses& entry = *pool.Entry(push->source, push->index);
        colours.places.push_back(
            {push->pos, push->length, push->source, *push->colour, entry.calls, entry.other == 0 && everyUseSeen});
    }
    std::sort(colours.places.begin(), colours.places.end(),
        [](const AbcColourPlace& a, const AbcColourPlace& b) { return a.pos < b.pos; });
    return colours;
}

} // namespace tintor
