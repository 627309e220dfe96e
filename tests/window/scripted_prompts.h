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

    void ShowNotice(QWidget*, const QString& text) override { notices.push_back(text); }

    SaveAnswer answer = SaveAnswer::Discard;
    int saveAsked = 0;
    int aboutShown = 0;
    QString lastTitle;
    std::optional<QColor> colour; // the dialog's answer; nullopt cancels
    QColor colourAskedWith;
    QStringList notices;
};

} // namespace tintor::test
