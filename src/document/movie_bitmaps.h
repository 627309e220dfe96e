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
#include <vector>

namespace tintor {

// One image of the movie as the document keeps it.
struct BitmapEntry {
    SwfImageRecord record;
    BitmapDescription description;
    bool selected = false;
    // The image with every change made permanent so far, as a colour-table
    // entry holds its colour; null while it is the image as loaded.
    std::shared_ptr<const CBitmapImage> committed;
    // The image as loaded, decoded the first time it is needed; apart from
    // committed, so that decoding it changes no state the history compares.
    std::shared_ptr<const CBitmapImage> loaded;
    // The last image made with the pending effect, the committed image it
    // was made from and the effect (hue, saturation, value, unify, space):
    // Apply and the next change of selection then share one re-encoding.
    std::shared_ptr<const CBitmapImage> shown;
    std::shared_ptr<const CBitmapImage> shownFrom;
    std::array<int, 5> shownEffect{};
};

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
    const std::vector<BitmapEntry>& Entries() const { return m_entries; }
    // Only an image that can be recoloured can be selected.
    void Select(std::size_t index, bool selected);
    bool AnySelected() const;

    // What UpdatePreview does to colours, for images: each selected image
    // (every image, with forceAll) becomes its committed image with the
    // table's pending effect, when the image is selected, and goes into the
    // movie. An image that cannot be re-encoded is said and stays. True when
    // some image of the movie changed.
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
    // recoloured, or, when nothing is pending, the committed image itself.
    // Null when it cannot be made.
    std::shared_ptr<const CBitmapImage> WithEffect(
        const CSwfFile& movie, BitmapEntry& entry, const CColorTable& table, IMessageSink& messages);
    // The committed image, or the loaded one (decoded the first time).
    std::shared_ptr<const CBitmapImage> Committed(const CSwfFile& movie, BitmapEntry& entry);

    std::vector<BitmapEntry> m_entries;
};

} // namespace tintor
