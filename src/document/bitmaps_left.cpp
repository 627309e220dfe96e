#include "document/bitmaps_left.h"

#include <algorithm>
#include <map>

namespace tintor {

namespace {

BitmapLeftReason ReasonOf(const BitmapEntry& entry)
{
    return entry.record.code == kTagDefineBits && entry.description.problem == kSharedTablesProblem
        ? BitmapLeftReason::SharedTables
        : BitmapLeftReason::Undecodable;
}

} // namespace

std::vector<LeftBitmaps> BitmapsLeft(const ColourAccount& account, std::span<const BitmapEntry> entries)
{
    std::vector<LeftBitmaps> groups;
    // What the entries account for per tag code; the rest of the walk's
    // count was not listed, being inside sprites.
    std::map<std::uint16_t, BitmapTally> listed;
    for (const BitmapEntry& entry : entries) {
        BitmapTally& seen = listed[entry.record.code];
        ++seen.count;
        seen.bytes += entry.record.bodyLength;
        if (entry.description.Recolourable())
            continue;
        const BitmapLeftReason reason = ReasonOf(entry);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const LeftBitmaps& g) {
            return g.code == entry.record.code && g.reason == reason && g.problem == entry.description.problem;
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), LeftBitmaps{entry.record.code, reason, entry.description.problem, {}});
        ++group->tally.count;
        group->tally.bytes += entry.record.bodyLength;
        if (entry.description.width != 0 && entry.description.height != 0)
            group->tally.sizes.push_back({entry.description.width, entry.description.height});
    }
    for (const auto& [code, tally] : account.bitmaps) {
        const BitmapTally& seen = listed[code];
        if (tally.count > seen.count) {
            LeftBitmaps inSprites{code, BitmapLeftReason::InSprite, {}, {}};
            inSprites.tally.count = tally.count - seen.count;
            inSprites.tally.bytes = tally.bytes - std::min(tally.bytes, seen.bytes);
            groups.push_back(std::move(inSprites));
        }
    }
    std::stable_sort(
        groups.begin(), groups.end(), [](const LeftBitmaps& a, const LeftBitmaps& b) { return a.code < b.code; });
    return groups;
}

std::size_t RecolourableCount(std::span<const BitmapEntry> entries)
{
    return static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [](const BitmapEntry& entry) { return entry.description.Recolourable(); }));
}

std::string ReasonText(const LeftBitmaps& left)
{
    switch (left.reason) {
    case BitmapLeftReason::SharedTables:
        return std::string(kSharedTablesProblem);
    case BitmapLeftReason::InSprite:
        return "inside a sprite";
    case BitmapLeftReason::Undecodable:
        break;
    }
    return left.problem.empty() ? "corrupt image data" : left.problem;
}

} // namespace tintor
