// The JSON reader against nlohmann's parser, which it stands in for: the
// same events in the same order, and an error where one is.
#include "core/json_reader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>

namespace tintor {
namespace {

// Every event as a line of text; an error ends the record.
class CRecorder {
public:
    bool null() { return Add("null"); }
    bool boolean(bool value) { return Add(value ? "true" : "false"); }
    bool number_integer(std::int64_t value) { return Add("integer " + std::to_string(value)); }
    bool number_unsigned(std::uint64_t value) { return Add("unsigned " + std::to_string(value)); }
    bool number_float(double value, const std::string&)
    {
        char text[40];
        std::snprintf(text, sizeof text, "float %a", value);
        return Add(text);
    }
    bool string(std::string& value) { return Add("string " + value); }
    bool binary(std::vector<std::uint8_t>&) { return Add("binary"); }
    bool start_object(std::size_t) { return Add("{"); }
    bool key(std::string& value) { return Add("key " + value); }
    bool end_object() { return Add("}"); }
    bool start_array(std::size_t) { return Add("["); }
    bool end_array() { return Add("]"); }
    // nlohmann reports a key that is no string twice; the first counts.
    template <typename Error> bool parse_error(std::size_t position, const std::string& token, const Error&)
    {
        if (!m_events.empty() && m_events.back() == "error")
            return false;
        m_position = position;
        m_token = token;
        Add("error");
        return false;
    }

    const std::vector<std::string>& Events() const { return m_events; }
    std::size_t Position() const { return m_position; }
    const std::string& Token() const { return m_token; }

private:
    bool Add(std::string event)
    {
        m_events.push_back(std::move(event));
        return true;
    }

    std::vector<std::string> m_events;
    std::size_t m_position = 0;
    std::string m_token;
};

void ExpectAsNlohmann(const std::string& text)
{
    CRecorder ours, theirs;
    const bool read = ReadJson(text, ours);
    const bool parsed = nlohmann::json::sax_parse(text, &theirs);
    EXPECT_EQ(read, parsed) << text;
    EXPECT_EQ(ours.Events(), theirs.Events()) << text;
}

TEST(JsonReaderTest, GivesTheEventsNlohmannGives)
{
    const std::string cases[] = {
        // Well-formed.
        "{}",
        "[]",
        " [ ] ",
        "{\"a\": {\"b\": [true, false, null]}, \"c\": \"\"}",
        "[[[[]]], [[]]]",
        "[1, -2, 0, -0, 3.5, 1e3, 0.5E-2, 2E+2, 18446744073709551615, 18446744073709551616]",
        "[9223372036854775807, -9223372036854775808, -9223372036854775809, 1e-400, 4.9e-324]",
        "[1e400]",
        "[-1e400]",
        "\"\\u00e9\\ud83d\\ude00\\n\\t\\\"\\\\\\/\\b\\f\\r\\u0000\"",
        "\"\xE8\x89\xB2 \xF0\x9F\x98\x80\"",
        "\xEF\xBB\xBF[1]",
        "17",
        "null",
        "\t\r\n{\"k\":[1,{\"k\":2}]}\n",
        // Malformed.
        "",
        " ",
        "[1,]",
        "[1,,2]",
        "{\"a\" 1}",
        "{\"a\":}",
        "{1: 2}",
        "{\"a\":1,}",
        "{\"a\":1 \"b\":2}",
        "[1 2]",
        "01",
        "-",
        "1.",
        "1e",
        "1e+",
        ".5",
        "+1",
        "-a",
        "tru",
        "nul",
        "fals",
        "truex",
        "[",
        "{\"a\": \"b\"",
        "\"abc",
        "\"a\x01"
        "b\"",
        "\"\\q\"",
        "\"\\u12G4\"",
        "\"\\ud800\"",
        "\"\\udc00\"",
        "\"\\ud800\\u0041\"",
        "\"\\ud800x\"",
        "\"\xFF\"",
        "\"\xC0\xAF\"",
        "\"\xED\xA0\x80\"",
        "\"\xE8\x89\"",
        "[1] 2",
        "[1]]",
        "]",
        "\xEF\xBB",
        "NaN",
        "Infinity",
        "[-]",
        "{\"a\":[}",
        std::string("[\0]", 3),
        "[\"\\",
        "[\"\\u00",
    };
    for (const std::string& text : cases)
        ExpectAsNlohmann(text);
}

TEST(JsonReaderTest, AgreesWithNlohmannOnMangledPalettes)
{
    const std::string palette
        = "{\"name\": \"sky\", \"colours\": [{\"hex\": \"#ff0000\", \"rgb\": [255, 0, 0]},\n"
          "  \"#00ff00\", {\"name\": \"\\u00e9t\\u00e9\", \"rgb\": [1.5e2, -0, 3]}, [true, null]]}";
    const std::string bytes = "{}[],:\"\\ 019e.-+tfnux\t\n\x01\x7f\x80\xbf\xc3\xe2\xed\xf0\xff";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = palette;
        for (int changes = 1 + static_cast<int>(random() % 3); changes > 0; --changes) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = bytes[random() % bytes.size()];
                break;
            case 1:
                text.erase(at, 1 + random() % 4);
                break;
            default:
                text.insert(at, 1, bytes[random() % bytes.size()]);
            }
        }
        ExpectAsNlohmann(text);
    }
}

TEST(JsonReaderTest, AnErrorQuotesItsTokenNotTheWhitespaceBeforeIt)
{
    std::string text = "[";
    text.append(1 << 20, '\n');
    text += "\"";
    text.append(1 << 20, 'a');
    text += "\x01\"]";
    CRecorder ours;
    EXPECT_FALSE(ReadJson(text, ours));
    EXPECT_EQ(ours.Events(), (std::vector<std::string>{"[", "error"}));
    EXPECT_EQ(ours.Position(), text.size() - 2); // at the control byte
    EXPECT_EQ(ours.Token(), "\"" + std::string(63, 'a'));

    CRecorder deep;
    EXPECT_FALSE(ReadJson(std::string(1 << 20, '[') + "}", deep));
    EXPECT_EQ(deep.Token(), "}");
}

} // namespace
} // namespace tintor
