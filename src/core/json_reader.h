#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// Where a text stops being JSON.
struct JsonSyntaxError {
    // The offset of the byte that does not fit.
    std::size_t offset = 0;
    // What was expected there, in a few words.
    std::string_view expected;
};

// A number's value, as nlohmann hands it over: a whole number that fits 64
// bits as one, anything else as a double (one too large for a double as
// infinity, which is no JSON number).
struct JsonNumber {
    enum class Kind { Unsigned, Integer, Float } kind = Kind::Float;
    std::uint64_t whole = 0;
    std::int64_t negative = 0;
    double real = 0;
};
JsonNumber ReadJsonNumber(std::string_view text);

// The types a JSON handler is handed, named as nlohmann's SAX interface
// names them, so that a handler written for one reader serves the other.
struct JsonSaxTypes {
    using string_t = std::string;
    using number_integer_t = std::int64_t;
    using number_unsigned_t = std::uint64_t;
    using number_float_t = double;
    using binary_t = std::vector<std::uint8_t>;
};

// A JSON text (RFC 8259) as a series of events, in the order the text
// holds them: the grammar over the tokens. The text is never copied: only a
// string's value is built, and only while it is the event; nesting costs one
// byte a level.
class CJsonEvents {
public:
    enum class Event { StartObject, EndObject, StartArray, EndArray, Key, String, Number, Literal, End, Error };

    explicit CJsonEvents(std::string_view text);

    Event Next();
    // The text of the last event's token as the file has it ("true", "12.5",
    // a string with its quotes and escapes...).
    std::string_view Text() const { return m_text.substr(m_start, m_at - m_start); }
    // How far the text has been read: the end of the last token.
    std::size_t Position() const { return m_at; }
    // A Key's or a String's value, escapes undone.
    std::string& Value() { return m_value; }
    // A Number's value.
    const JsonNumber& Number() const { return m_number; }
    // An Error's place and reason; Text() then runs from the start of the
    // token to the byte that does not fit.
    const JsonSyntaxError& Error() const { return m_error; }

private:
    enum class Token {
        End,
        BeginObject,
        EndObject,
        BeginArray,
        EndArray,
        Colon,
        Comma,
        String,
        Number,
        Literal,
        Error
    };
    enum class Expect { Value, ValueOrEnd, Key, KeyOrEnd, Colon, CommaOrEnd, Nothing };

    Token Scan();
    Token Fail(std::size_t offset, std::string_view expected);
    Token ScanString();
    Token ScanNumber();
    Token ScanLiteral();
    // The code unit of a \uXXXX escape whose digits start at m_at.
    bool ReadEscapedUnit(std::uint32_t& unit);
    Event Unexpected(std::string_view expected);
    Event Close(Token token);
    Event AfterValue(Event event);

    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_start = 0;
    std::string m_value;
    JsonNumber m_number;
    JsonSyntaxError m_error;
    bool m_failed = false;
    std::string m_open; // '{' or '[' for each level
    Expect m_expect = Expect::Value;
};

// Reads text as nlohmann::json::sax_parse does, calling the same handler
// members (null, boolean, number_integer, number_unsigned, number_float,
// string, start_object, key, end_object, start_array, end_array) in the same
// order, and parse_error(bytes read, token, JsonSyntaxError) when the text
// is no JSON. Unlike it, the cost stays near the text's size whatever the
// text: whitespace is not gathered into the token an error quotes, which is
// cut to 64 bytes. False when the text is no JSON or the handler stopped it
// by returning false. furthest, when given, follows the end of the last
// token read.
template <typename Handler> bool ReadJson(std::string_view text, Handler& handler, const char** furthest = nullptr)
{
    constexpr std::size_t kQuotedToken = 64;
    constexpr std::size_t kUnknownSize = static_cast<std::size_t>(-1);
    using Event = CJsonEvents::Event;
    CJsonEvents events(text);
    for (;;) {
        const Event event = events.Next();
        if (furthest != nullptr)
            *furthest = text.data() + events.Position();
        bool ok = false;
        switch (event) {
        case Event::End:
            return true;
        case Event::Error: {
            const std::size_t offset = events.Error().offset;
            handler.parse_error(
                std::min(offset + 1, text.size()), std::string(events.Text().substr(0, kQuotedToken)), events.Error());
            return false;
        }
        case Event::StartObject:
            ok = handler.start_object(kUnknownSize);
            break;
        case Event::EndObject:
            ok = handler.end_object();
            break;
        case Event::StartArray:
            ok = handler.start_array(kUnknownSize);
            break;
        case Event::EndArray:
            ok = handler.end_array();
            break;
        case Event::Key:
            ok = handler.key(events.Value());
            break;
        case Event::String:
            ok = handler.string(events.Value());
            break;
        case Event::Number: {
            const JsonNumber& number = events.Number();
            if (number.kind == JsonNumber::Kind::Unsigned)
                ok = handler.number_unsigned(number.whole);
            else if (number.kind == JsonNumber::Kind::Integer)
                ok = handler.number_integer(number.negative);
            else
                ok = handler.number_float(number.real, std::string(events.Text()));
            break;
        }
        case Event::Literal:
            ok = events.Text() == "null" ? handler.null() : handler.boolean(events.Text() == "true");
            break;
        }
        if (!ok)
            return false;
    }
}

} // namespace tintor
