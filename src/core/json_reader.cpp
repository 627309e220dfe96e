#include "core/json_reader.h"

#include "core/hex_digit.h"
#include "core/utf8.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <system_error>

namespace tintor {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A number too large or too small for a double, read as the C library reads
// it (infinity, or zero), whatever the locale's decimal point.
double OutOfRange(std::string_view text)
{
    const std::string copy(text);
    const locale_t c = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    const double value = c != static_cast<locale_t>(0) ? ::strtod_l(copy.c_str(), nullptr, c) : 0.0;
    if (c != static_cast<locale_t>(0))
        ::freelocale(c);
    return value;
}

} // namespace

CJsonEvents::CJsonEvents(std::string_view text) : m_text(text)
{
    if (m_text.starts_with(kByteOrderMark))
        m_at = m_start = kByteOrderMark.size();
}

CJsonEvents::Token CJsonEvents::Fail(std::size_t offset, std::string_view expected)
{
    m_error = {offset, expected};
    m_failed = true;
    m_at = std::min(offset + 1, m_text.size());
    return Token::Error;
}

CJsonEvents::Token CJsonEvents::Scan()
{
    while (m_at < m_text.size()
        && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
        ++m_at;
    m_start = m_at;
    if (m_at == m_text.size())
        return Token::End;
    switch (m_text[m_at]) {
    case '{':
        ++m_at;
        return Token::BeginObject;
    case '}':
        ++m_at;
        return Token::EndObject;
    case '[':
        ++m_at;
        return Token::BeginArray;
    case ']':
        ++m_at;
        return Token::EndArray;
    case ':':
        ++m_at;
        return Token::Colon;
    case ',':
        ++m_at;
        return Token::Comma;
    case '"':
        return ScanString();
    case 't':
    case 'f':
    case 'n':
        return ScanLiteral();
    default:
        if (m_text[m_at] == '-' || IsDigit(m_text[m_at]))
            return ScanNumber();
        return Fail(m_at, "a value");
    }
}

bool CJsonEvents::ReadEscapedUnit(std::uint32_t& unit)
{
    unit = 0;
    for (int i = 0; i < 4; ++i, ++m_at) {
        const int digit = m_at < m_text.size() ? HexDigit(m_text[m_at]) : -1;
        if (digit < 0)
            return false;
        unit = unit << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

CJsonEvents::Token CJsonEvents::ScanString()
{
    m_value.clear();
    ++m_at;
    for (;;) {
        if (m_at >= m_text.size())
            return Fail(m_text.size(), "'\"' to end the string");
        const auto byte = static_cast<unsigned char>(m_text[m_at]);
        if (byte == '"') {
            ++m_at;
            return Token::String;
        }
        if (byte < 0x20)
            return Fail(m_at, "no control character inside a string");
        if (byte >= 0x80) {
            const std::size_t length = Utf8SequenceLength(m_text.substr(m_at));
            if (length == 0)
                return Fail(m_at, "UTF-8");
            m_value.append(m_text.substr(m_at, length));
            m_at += length;
            continue;
        }
        if (byte != '\\') {
            m_value += static_cast<char>(byte);
            ++m_at;
            continue;
        }
        const char escaped = m_at + 1 < m_text.size() ? m_text[m_at + 1] : '\0';
        const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (const std::size_t which = simple.find(escaped); escaped != '\0' && which != std::string_view::npos) {
            m_value += meaning[which];
            m_at += 2;
            continue;
        }
        if (escaped != 'u')
            return Fail(m_at + 1, "an escape: one of \\\" \\\\ \\/ \\b \\f \\n \\r \\t \\uXXXX");
        m_at += 2;
        std::uint32_t unit = 0;
        if (!ReadEscapedUnit(unit))
            return Fail(m_at, "four hex digits after \\u");
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return Fail(m_at - 1, "a high surrogate before a low one");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (m_text.substr(m_at, 2) != "\\u")
                return Fail(m_at, "\\u and a low surrogate after a high one");
            m_at += 2;
            std::uint32_t low = 0;
            if (!ReadEscapedUnit(low))
                return Fail(m_at, "four hex digits after \\u");
            if (low < 0xDC00 || low > 0xDFFF)
                return Fail(m_at - 1, "a low surrogate after a high one");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(m_value, unit);
    }
}

CJsonEvents::Token CJsonEvents::ScanNumber()
{
    const auto digits = [&] {
        const std::size_t from = m_at;
        while (m_at < m_text.size() && IsDigit(m_text[m_at]))
            ++m_at;
        return m_at > from;
    };
    if (m_text[m_at] == '-')
        ++m_at;
    if (m_at < m_text.size() && m_text[m_at] == '0')
        ++m_at;
    else if (!digits())
        return Fail(m_at, "a digit");
    if (m_at < m_text.size() && m_text[m_at] == '.') {
        ++m_at;
        if (!digits())
            return Fail(m_at, "a digit after '.'");
    }
    if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
        ++m_at;
        if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
            ++m_at;
        if (!digits())
            return Fail(m_at, "a digit of the exponent");
    }
    return Token::Number;
}

CJsonEvents::Token CJsonEvents::ScanLiteral()
{
    const std::string_view word = m_text[m_at] == 't' ? "true" : m_text[m_at] == 'f' ? "false" : "null";
    for (const char c : word) {
        if (m_at >= m_text.size() || m_text[m_at] != c)
            return Fail(m_at, "true, false or null");
        ++m_at;
    }
    return Token::Literal;
}

CJsonEvents::Event CJsonEvents::Unexpected(std::string_view expected)
{
    // The whole token is quoted: it is what does not fit.
    m_error = {m_start, expected};
    m_failed = true;
    return Event::Error;
}

CJsonEvents::Event CJsonEvents::AfterValue(Event event)
{
    m_expect = m_open.empty() ? Expect::Nothing : Expect::CommaOrEnd;
    return event;
}

CJsonEvents::Event CJsonEvents::Close(Token token)
{
    const bool object = m_open.back() == '{';
    if (token != (object ? Token::EndObject : Token::EndArray))
        return Unexpected(object ? "',' or '}'" : "',' or ']'");
    m_open.pop_back();
    return AfterValue(object ? Event::EndObject : Event::EndArray);
}

CJsonEvents::Event CJsonEvents::Next()
{
    for (;;) {
        if (m_failed)
            return Event::Error;
        const Token token = Scan();
        if (token == Token::Error)
            return Event::Error;
        switch (m_expect) {
        case Expect::Nothing:
            return token == Token::End ? Event::End : Unexpected("the end of the text");
        case Expect::Colon:
            if (token != Token::Colon)
                return Unexpected("':'");
            m_expect = Expect::Value;
            continue;
        case Expect::CommaOrEnd:
            if (token != Token::Comma)
                return Close(token);
            m_expect = m_open.back() == '{' ? Expect::Key : Expect::Value;
            continue;
        case Expect::KeyOrEnd:
            if (token == Token::EndObject)
                return Close(token);
            [[fallthrough]];
        case Expect::Key:
            if (token != Token::String)
                return Unexpected(m_expect == Expect::KeyOrEnd ? "a key or '}'" : "a key");
            m_expect = Expect::Colon;
            return Event::Key;
        case Expect::ValueOrEnd:
            if (token == Token::EndArray)
                return Close(token);
            [[fallthrough]];
        case Expect::Value:
            switch (token) {
            case Token::BeginObject:
                m_open += '{';
                m_expect = Expect::KeyOrEnd;
                return Event::StartObject;
            case Token::BeginArray:
                m_open += '[';
                m_expect = Expect::ValueOrEnd;
                return Event::StartArray;
            case Token::String:
                return AfterValue(Event::String);
            case Token::Number:
                m_number = ReadJsonNumber(Text());
                if (m_number.kind == JsonNumber::Kind::Float && !std::isfinite(m_number.real))
                    return Unexpected("a number that fits a double");
                return AfterValue(Event::Number);
            case Token::Literal:
                return AfterValue(Event::Literal);
            default:
                return Unexpected("a value");
            }
        }
    }
}

JsonNumber ReadJsonNumber(std::string_view text)
{
    JsonNumber number;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (text.starts_with('-')) {
            if (const auto [end, error] = std::from_chars(first, last, number.negative); error == std::errc{}) {
                number.kind = JsonNumber::Kind::Integer;
                return number;
            }
        } else if (const auto [end, error] = std::from_chars(first, last, number.whole); error == std::errc{}) {
            number.kind = JsonNumber::Kind::Unsigned;
            return number;
        }
    }
    number.kind = JsonNumber::Kind::Float;
    const auto [end, error] = std::from_chars(first, last, number.real);
    if (error == std::errc::result_out_of_range)
        number.real = OutOfRange(text);
    return number;
}

} // namespace tintor
