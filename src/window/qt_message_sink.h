#pragma once

#include "core/messages.h"

#include <QString>

namespace tintor {

// Messages of the core as modal boxes with an OK button only, over the
// window the user is working in.
class CQtMessageSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
    void ShowFileFailure(const FileFailure& failure) override;

    // A file error as the desktop words it: which file could not be opened
    // or saved, and the system's reason.
    static QString FileFailureText(const FileFailure& failure);
    // The text in the window's language when it is one the user is meant
    // to read; otherwise as it came.
    static QString Translated(std::string_view text);
};

} // namespace tintor
