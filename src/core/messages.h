#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tintor {

// A text of the core with its variable parts apart, so that the window can
// say it in its own language: the pattern (a literal, in English) holds %1,
// %2, ... where the arguments go, in order.
struct MessageText {
    std::string_view pattern;
    std::vector<std::string> arguments{};

    // The English, with the arguments in their places.
    std::string Text() const;
    bool operator==(const MessageText&) const = default;
};

// A file that could not be opened or saved, and why.
struct FileFailure {
    enum class Action { Open, Save };

    Action action = Action::Open;
    // Who failed, in the core's words: "OnSaveDocument: can't save".
    std::string operation;
    std::filesystem::path path;
    // The system's reason, when it gave one.
    std::error_code code;
    // Otherwise the core's own: "ERROR: Illegal Header - not a Shockwave Flash File".
    std::string detail;
    // The same detail with its variable parts apart, when the core has it
    // so: the parts, ": " between them ("line 3: ...").
    std::vector<MessageText> detailParts{};

    std::string Reason() const;
    // "OPERATION PATH: REASON", as the command line prints it.
    std::string Text() const;
};

// A colour script some of whose colours the movie does not have.
struct ScriptMismatch {
    std::filesystem::path path;
    // Lines whose kind and colour were found, and lines whose were not.
    int used = 0;
    int notFound = 0;
    // The colour model's warning, in its own words.
    std::string warning;
};

// Everything the core wants the user to read goes through here: the window
// shows a modal box with an OK button, the command line prints to stderr and
// tests keep the texts. Show returns when the user has dismissed the message.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void Show(std::string_view text) = 0;
    // The window words file errors as the desktop does; elsewhere the text.
    virtual void ShowFileFailure(const FileFailure& failure) { Show(failure.Text()); }
    // Whether to keep what the script's found lines did; true keeps it. A
    // question only while some line was used: without one nothing changes
    // whatever the answer. Where nobody can answer, the warning is shown and
    // the answer is yes.
    virtual bool AskKeepScript(const ScriptMismatch& mismatch)
    {
        Show(mismatch.warning);
        return true;
    }
};

// Prints each message as one line on stderr.
class CStderrSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
};

} // namespace tintor
