#pragma once

#include <string_view>

namespace tintor {

// Everything the core wants the user to read goes through here: the window
// shows a modal box with an OK button, the command line prints to stderr and
// tests keep the texts. Show returns when the user has dismissed the message.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void Show(std::string_view text) = 0;
};

// Prints each message as one line on stderr.
class CStderrSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
};

} // namespace tintor
