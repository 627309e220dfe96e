#include "core/messages.h"

#include <cstdio>

namespace tintor {

std::string FileFailure::Reason() const
{
    if (!code)
        return detail;
    if (detail.empty())
        return code.message();
    return detail + " (" + code.message() + ")";
}

std::string FileFailure::Text() const
{
    std::string text = operation + " " + path.string();
    const std::string reason = Reason();
    if (!reason.empty())
        text += ": " + reason;
    return text;
}

void CStderrSink::Show(std::string_view text)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace tintor
