#pragma once

#include "core/messages.h"

#include <QString>

namespace tintor {

// Messages of the core as modal boxes over the window the user is working
// in: OK only, except the one question about a colour script.
class CQtMessageSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
    void ShowFileFailure(const FileFailure& failure) override;
    bool AskKeepScript(const ScriptMismatch& mismatch) override;

    // A file error as the desktop words it: which file could not be opened
    // or saved (the headline), and why (the reason, in the window's
    // language where the core gave its own words). The text is both, a
    // line apart.
    static QString FileFailureHeadline(const FileFailure& failure);
    static QString FileFailureReason(const FileFailure& failure);
    static QString FileFailureText(const FileFailure& failure);
    // The question (or, when no line was used, the notice) about a script
    // some of whose colours were not found: headline and details.
    static QString ScriptMismatchHeadline(const ScriptMismatch& mismatch);
    static QString ScriptMismatchDetails(const ScriptMismatch& mismatch);
    // The text in the window's language when it is one the user is meant
    // to read; otherwise as it came.
    static QString Translated(std::string_view text);
    // The same for a text with variable parts: the pattern in the window's
    // language, and in it the arguments, the reader's words for what it
    // found translated too.
    static QString Translated(const MessageText& text);
};

} // namespace tintor
