#pragma once

#include <QSizeF>

namespace tintor {

// The preview's zoom: the whole movie fitted into the pane, or a scale in
// movie pixels per pixel of the pane, stepped through the stops that image
// viewers use.
class CPreviewZoom {
public:
    static constexpr double kMinScale = 0.1;
    static constexpr double kMaxScale = 16.0;

    // 0 while the movie is fitted into the pane.
    double Scale() const { return m_scale; }
    bool Fitted() const { return m_scale == 0; }
    void Fit() { m_scale = 0; }
    // Any scale, kept within kMinScale and kMaxScale.
    void SetScale(double scale);
    // The scale the pane shows: when fitted, the one at which the movie
    // just fits; 1 while the movie's size is not known.
    double Shown(QSizeF movie, QSizeF pane) const;
    // Stops in (steps > 0) or out (steps < 0) from the scale shown.
    void Step(int steps, QSizeF movie, QSizeF pane);
    // The stop above (up) or below a scale; the last stop when none is.
    static double NextStop(double scale, bool up);

private:
    double m_scale = 0;
};

} // namespace tintor
