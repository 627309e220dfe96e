#pragma once

#include "window/qt_frame_prompts.h"

#include <QString>
#include <QStringList>

namespace tintor::test {

// Answers the frame's save question with a fixed answer and counts it.
class CScriptedPrompts final : public IFramePrompts {
public:
    SaveAnswer AskSaveChanges(QWidget*, const QString& title) override
    {
        ++saveAsked;
        lastTitle = title;
        return answer;
    }
    void ShowAbout(QWidget*) override { ++aboutShown; }
    std::optional<QColor> AskColor(QWidget*, const QColor& initial) override
    {
        colourAskedWith = initial;
        return colour;
    }

    bool ConfirmNotice(QWidget*, const QString& text) override
    {
        notices.push_back(text);
        return noticeAccepted;
    }
    std::optional<HueRange> AskHueRange(QWidget*) override
    {
        ++huesAsked;
        return hues;
    }

    SaveAnswer answer = SaveAnswer::Discard;
    int saveAsked = 0;
    int aboutShown = 0;
    QString lastTitle;
    std::optional<QColor> colour; // the dialog's answer; nullopt cancels
    QColor colourAskedWith;
    QStringList notices;
    bool noticeAccepted = true;   // OK, or false for Cancel
    std::optional<HueRange> hues; // the hue dialog's answer; nullopt cancels
    int huesAsked = 0;
};

} // namespace tintor::test
