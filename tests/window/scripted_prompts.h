#pragma once

#include "window/qt_frame_prompts.h"

#include <QString>

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

    SaveAnswer answer = SaveAnswer::Discard;
    int saveAsked = 0;
    int aboutShown = 0;
    QString lastTitle;
};

} // namespace tintor::test
