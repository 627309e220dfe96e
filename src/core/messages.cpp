#include "core/messages.h"

#include <cstdio>

namespace tintor {

std::string MessageText::Text() const
{
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t n = static_cast<std::size_t>(next - '1');
        // One pass, so that an argument holding "%2" stays as it is.
        if (pattern[i] == '%' && next >= '1' && next <= '9' && n < arguments.size()) {
            text += arguments[n];
            ++i;
        } else
            text += pattern[i];
    }
    return text;
}

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
