#include "core/messages.h"

#include <cstdio>

namespace tintor {

void CStderrSink::Show(std::string_view text)
{
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace tintor
