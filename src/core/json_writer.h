#pragma once

#include "core/file.h"

#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// Writes one JSON document as it is produced, so that a listing of millions
// of entries costs no more memory than one piece of its text. Every string
// comes out as valid UTF-8, whatever bytes it was given: a byte that begins
// no well-formed sequence becomes U+FFFD.
//
// Each array and object is laid out as a block (one member per line,
// indented by two spaces per level) or inline ({"a": 1, "b": [2, 3]});
// everything inside an inline one is inline too.
class CJsonWriter {
public:
    enum class Layout { Block, Inline };

    // The text goes to out in pieces as it grows; without out it is kept
    // whole, for Text().
    explicit CJsonWriter(IOutputFile* out = nullptr);
    CJsonWriter(const CJsonWriter&) = delete;
    CJsonWriter& operator=(const CJsonWriter&) = delete;

    void BeginObject(Layout layout = Layout::Block);
    void EndObject();
    void BeginArray(Layout layout = Layout::Block);
    void EndArray();
    // The name of the next member of the object being written.
    void Key(std::string_view name);
    void String(std::string_view text);
    template <std::integral T> void Number(T value)
    {
        if constexpr (std::same_as<T, bool>) {
            Bool(value);
        } else {
            BeforeValue();
            char digits[24];
            m_text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
            AfterValue();
        }
    }
    void Bool(bool value);
    void Null();
    // Ends the document with a line break and sends what is left to the
    // output; false when any piece could not be written.
    bool Finish();
    // True once a piece could not be written; what follows is dropped.
    bool Failed() const { return m_failed; }
    // The whole document, when there is no output to write it to.
    const std::string& Text() const { return m_text; }

private:
    struct Level {
        bool object;
        Layout layout;
        std::size_t members = 0;
    };

    void Begin(bool object, Layout layout, char open);
    void End(char close);
    // The separator and line break that go before a member.
    void BeforeMember();
    void BeforeValue();
    void AfterValue();
    void Quoted(std::string_view text);
    void NewLine(std::size_t depth);
    void Drain(bool all);

    IOutputFile* m_out;
    std::string m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
    bool m_failed = false;
};

} // namespace tintor
