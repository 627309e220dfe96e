#pragma once

#include "colour/colour_selection.h"

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

namespace tintor {

// The frame's own questions to the user, apart so tests can answer them.
class IFramePrompts {
public:
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~IFramePrompts() = default;
    // "%1 への変更を保存しますか?" with the document's title.
    virtual SaveAnswer AskSaveChanges(QWidget* parent, const QString& title) = 0;
    virtual void ShowAbout(QWidget* parent) = 0;
    // The platform's colour dialog, starting at initial; nullopt when cancelled.
    virtual std::optional<QColor> AskColor(QWidget* parent, const QColor& initial) = 0;
    // Something the user should know before going on, not an error: an
    // information box with OK and Cancel; false when cancelled.
    virtual bool ConfirmNotice(QWidget* parent, const QString& text) = 0;
    // The hue range of Edit > select by hue; nullopt when cancelled.
    virtual std::optional<HueRange> AskHueRange(QWidget* parent) = 0;
};

// The questions as modal Qt boxes.
class CQtFramePrompts final : public IFramePrompts {
public:
    SaveAnswer AskSaveChanges(QWidget* parent, const QString& title) override;
    void ShowAbout(QWidget* parent) override;
    std::optional<QColor> AskColor(QWidget* parent, const QColor& initial) override;
    bool ConfirmNotice(QWidget* parent, const QString& text) override;
    std::optional<HueRange> AskHueRange(QWidget* parent) override;
};

} // namespace tintor
