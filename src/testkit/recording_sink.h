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
    // Keeps the warning as a message and the question, and gives the
    // answer the test chose.
    bool AskKeepScript(const ScriptMismatch& mismatch) override
    {
        m_messages.push_back(mismatch.warning);
        m_mismatches.push_back(mismatch);
        return m_keepScript;
    }
    const std::vector<std::string>& Messages() const { return m_messages; }
    const std::vector<ScriptMismatch>& Mismatches() const { return m_mismatches; }
    void SetKeepScript(bool keep) { m_keepScript = keep; }
    void Clear()
    {
        m_messages.clear();
        m_mismatches.clear();
    }

private:
    std::vector<std::string> m_messages;
    std::vector<ScriptMismatch> m_mismatches;
    bool m_keepScript = true;
};

} // namespace tintor
