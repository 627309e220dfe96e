#include "core/json_writer.h"

#include "core/utf8.h"

namespace tintor {

namespace {

// The text goes out in pieces of about this size.
constexpr std::size_t kPiece = 1 << 16;
constexpr std::size_t kIndent = 2;

} // namespace

CJsonWriter::CJsonWriter(IOutputFile* out) : m_out(out)
{
    if (m_out != nullptr)
        m_text.reserve(2 * kPiece);
}

void CJsonWriter::BeginObject(Layout layout) { Begin(true, layout, '{'); }

void CJsonWriter::EndObject() { End('}'); }

void CJsonWriter::BeginArray(Layout layout) { Begin(false, layout, '['); }

void CJsonWriter::EndArray() { End(']'); }

void CJsonWriter::Begin(bool object, Layout layout, char open)
{
    BeforeValue();
    m_text += open;
    // Inside an inline container everything is inline.
    if (!m_levels.empty() && m_levels.back().layout == Layout::Inline)
        layout = Layout::Inline;
    m_levels.push_back({object, layout});
}

void CJsonWriter::End(char close)
{
    if (m_levels.empty())
        return;
    const Level level = m_levels.back();
    m_levels.pop_back();
    if (level.members > 0 && level.layout == Layout::Block)
        NewLine(m_levels.size());
    m_text += close;
    AfterValue();
}

void CJsonWriter::Key(std::string_view name)
{
    BeforeMember();
    Quoted(name);
    m_text += ": ";
    m_afterKey = true;
}

void CJsonWriter::String(std::string_view text)
{
    BeforeValue();
    Quoted(text);
    AfterValue();
}

void CJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
    AfterValue();
}

void CJsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    AfterValue();
}

bool CJsonWriter::Finish()
{
    m_text += '\n';
    Drain(true);
    return !m_failed;
}

void CJsonWriter::BeforeMember()
{
    if (m_levels.empty())
        return;
    Level& level = m_levels.back();
    if (level.members++ > 0)
        m_text += level.layout == Layout::Block ? "," : ", ";
    if (level.layout == Layout::Block)
        NewLine(m_levels.size());
}

void CJsonWriter::BeforeValue()
{
    // A member's value follows its key on the same line.
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    BeforeMember();
}

void CJsonWriter::AfterValue()
{
    if (m_text.size() >= kPiece)
        Drain(false);
}

void CJsonWriter::Quoted(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    m_text += '"';
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            m_text += kReplacementCharacter;
            text.remove_prefix(1);
            continue;
        }
        const char c = text.front();
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\b':
            m_text += "\\b";
            break;
        case '\f':
            m_text += "\\f";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                m_text += "\\u00";
                m_text += kHex[c >> 4];
                m_text += kHex[c & 0xF];
            } else {
                m_text.append(text.substr(0, length));
            }
        }
        text.remove_prefix(length);
    }
    m_text += '"';
}

void CJsonWriter::NewLine(std::size_t depth)
{
    m_text += '\n';
    m_text.append(depth * kIndent, ' ');
}

void CJsonWriter::Drain(bool all)
{
    if (m_out == nullptr)
        return;
    if (!m_failed && (all || m_text.size() >= kPiece))
        m_failed = !m_out->Write({reinterpret_cast<const std::uint8_t*>(m_text.data()), m_text.size()});
    m_text.clear();
}

} // namespace tintor
