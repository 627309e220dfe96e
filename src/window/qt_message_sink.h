#pragma once

#include "core/messages.h"

#include <QString>

namespace tintor {

// Messages of the core as modal boxes with an OK button only, over the
// window the user is working in.
class CQtMessageSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
    // The text in the window's language when it is one the user is meant
    // to read; otherwise as it came.
    static QString Translated(std::string_view text);
};

} // namespace tintor
