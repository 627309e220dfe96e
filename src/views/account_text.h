#pragma once

#include "document/bitmaps_left.h"
#include "document/tintor_doc.h"
#include "swf/colour_account.h"

#include <QString>

#include <span>
#include <vector>

namespace tintor {

// A note under the colour list: one line, and the details for its tooltip.
// Both are empty when there is nothing to say.
struct ListNote {
    QString line;
    QString details;
};

// What the movie shows whose colours stay as they are ("Also in this movie:
// 3 bitmaps, scripts that draw — their colours stay as they are"). Only the
// bitmaps that cannot be recoloured count (BitmapsLeft), each with why.
ListNote AccountNote(const ColourAccount& account, std::span<const LeftBitmaps> bitmaps);
// The same for the document's movie and its images.
ListNote AccountNote(const CTintorDoc& doc);
// The places that kept their colour at the last Apply: tints and script
// constants without room for the new one, and script constants that the
// script also uses as numbers.
ListNote KeptNote(const std::vector<KeptColour>& kept);

} // namespace tintor
