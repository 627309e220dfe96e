#pragma once

#include "app/tintor_doc.h"

#include <QUrl>
#include <QWidget>

#include <cstdint>

namespace tintor {

// The right pane: the temporary preview movie playing in a web view with the
// Ruffle player. An Alt+click on it reports the colour under the mouse.
class CTintorView : public QWidget, public IPreviewPort {
    Q_OBJECT
public:
    explicit CTintorView(CTintorDoc& doc, QWidget* parent = nullptr);
    ~CTintorView() override;

    // Shows the document's preview file when it holds a movie, else "about:blank".
    void OnInitialUpdate();
    // IPreviewPort: the document calls them as a pair after rewriting the file.
    void Stop() override;
    void Refresh() override;

    // What the pane shows now: the preview file's URL or about:blank.
    QUrl CurrentTarget() const;

signals:
    // An Alt+click picked this colour (red in bits 0-7, green 8-15, blue 16-23).
    void colourPicked(std::uint32_t rgb);
    // The player shows a frame of the movie loaded last (for tests and timing).
    void movieShown();
};

} // namespace tintor
