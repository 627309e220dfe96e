#pragma once

#include "bitmap/bitmap_image.h"
#include "colour/colour_table.h"
#include "colour/history.h"
#include "core/messages.h"
#include "swf/swf_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tintor {

// One image of the movie as the document keeps it.
struct BitmapEntry {
    SwfImageRecord record;
    BitmapDescription description;
    bool selected = false;
    // The image with every change made permanent so far, as a colour-table
    // entry holds its colour; null while it is the image as loaded. Only its
    // encoded bytes are held: a later change works the image out again from
    // the image as loaded, through every change.
    std::shared_ptr<const CBitmapImage> committed;
    // The last image made with the pending effect, the committed image it
    // was made from and the effect (hue, saturation, value, unify, space):
    // Apply and the next change of selection then share one re-encoding.
    std::shared_ptr<const CBitmapImage> shown;
    std::shared_ptr<const CBitmapImage> shownFrom;
    std::array<int, 5> shownEffect{};
    // Why the last try to re-encode it failed (not enough memory, an
    // encoder that refused), from which image and with which effect, so
    // that the same try is neither made nor said twice; empty after one
    // that worked.
    std::string failure;
    std::shared_ptr<const CBitmapImage> failedFrom;
    std::array<int, 5> failedEffect{};
};

// The image data of an entry's tag as the movie holds it, with the movie's
// JPEGTables.
BitmapSource SourceOf(const CSwfFile& movie, const SwfImageRecord& record);
// What the table's pending effect does to an image: each colour goes
// through the arithmetic of a selected swatch of that colour, but for
// near-grey noise, which goes through as grey in the HSV space
// (GreyForEffect). The change remembers the effect alone.
ColourChange ImageChangeOf(const CColorTable& table);

// What an undo history keeps of one image: the image as committed (null for
// the one loaded) and whether it is selected. Shared, never copied: a state
// costs two words per image however large the image.
struct BitmapState {
    std::shared_ptr<const CBitmapImage> committed;
    bool selected = false;
    friend bool operator==(const BitmapState&, const BitmapState&) = default;
};

// Every image's state as a state of the undo history holds it beside the
// colour table. States that leave the images alone share one.
class CBitmapStates final : public CHistoryAttachment {
public:
    explicit CBitmapStates(std::vector<BitmapState> states) : m_states(std::move(states)) {}
    const std::vector<BitmapState>& States() const { return m_states; }

private:
    std::vector<BitmapState> m_states;
};

// The images of the movie held: listed when it is opened, recoloured by the
// colour table's pending effect exactly as its selected colours are, and
// handed to the movie as its new image bodies. Images are changed only when
// selected, one by one.
class CMovieBitmaps {
public:
    // Lists the movie's images and finds which of them can be recoloured.
    void Load(const CSwfFile& movie);
    // The movie as messages about its images name it: its path or file
    // name; the movie's title when none is set.
    void SetMovieName(std::string name) { m_movieName = std::move(name); }
    const std::vector<BitmapEntry>& Entries() const { return m_entries; }
    // Only an image that can be recoloured can be selected.
    void Select(std::size_t index, bool selected);
    bool AnySelected() const;

    // What UpdatePreview does to colours, for images: each selected image
    // (every image, with forceAll) becomes its committed image with the
    // table's pending effect, when the image is selected, and goes into the
    // movie. An image that cannot be re-encoded is said, naming the movie,
    // keeps the reason in its entry and stays as it was. True when some
    // image of the movie changed.
    bool Update(CSwfFile& movie, const CColorTable& table, bool forceAll, IMessageSink& messages);
    // What the table's ApplyEffects does to colours: the pending effect made
    // permanent for the selected images. Runs before the table's own.
    void ApplyEffects(const CSwfFile& movie, const CColorTable& table, IMessageSink& messages);

    // Every image's state, one per entry, for an undo history; and a state
    // put back, after which Update with forceAll writes every image of the
    // movie exactly as it was then.
    std::vector<BitmapState> Snapshot() const;
    void Restore(const std::vector<BitmapState>& states);

private:
    // The image as the table's pending effect makes it: its committed image
    // recoloured, or, when nothing is pending, the committed image itself
    // (null for the image as loaded). Null, with the failure said and kept
    // in the entry, when it cannot be made.
    std::shared_ptr<const CBitmapImage> WithEffect(
        const CSwfFile& movie, BitmapEntry& entry, const CColorTable& table, IMessageSink& messages);

    std::vector<BitmapEntry> m_entries;
    std::string m_movieName;
};

} // namespace tintor
