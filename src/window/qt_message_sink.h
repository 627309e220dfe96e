#pragma once

#include "core/messages.h"

namespace tintor {

// Messages of the core as modal boxes with an OK button only, over the
// window the user is working in.
class CQtMessageSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
};

} // namespace tintor
