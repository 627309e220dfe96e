#pragma once

#include "document/tintor_doc.h"
#include "swf/colour_account.h"

#include <QString>

#include <vector>

namespace tintor {

// A note under the colour list: one line, and the details for its tooltip.
// Both are empty when there is nothing to say.
struct ListNote {
    QString line;
    QString details;
};

// What the movie shows whose colours stay as they are ("Also in this movie:
// 3 bitmaps, scripts that draw — their colours stay as they are").
ListNote AccountNote(const ColourAccount& account);
// The tint places that kept their colour at the last Apply, for want of
// room for the new one.
ListNote KeptNote(const std::vector<KeptColour>& kept);

} // namespace tintor
