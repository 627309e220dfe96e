#pragma once

#include "core/messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// Keeps every message, in order, so that a test can check what the user
// would have read.
class CRecordingSink final : public IMessageSink {
public:
    void Show(std::string_view text) override { m_messages.emplace_back(text); }
    const std::vector<std::string>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }

private:
    std::vector<std::string> m_messages;
};

} // namespace tintor
