#include "doc_fixture.h"

#include "core/file.h"

#include <algorithm>
#include <cstdlib>

namespace tintor::test {

void DocTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tintor-doc-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    m_doc.emplace(m_messages, m_dialogs);
    m_doc->AttachViews(&m_views, &m_views);
}

void DocTest::TearDown()
{
    m_doc.reset();
    std::error_code ignored;
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_dir, ignored);
}

std::filesystem::path DocTest::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
{
    const auto path = m_dir / name;
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
}

std::vector<std::uint8_t> DocTest::Buffer() const
{
    const auto bytes = m_doc->GetMovie().Buffer();
    return {bytes.begin(), bytes.end()};
}

void DocTest::SelectOnly(CTintorDoc& doc, const std::vector<std::uint32_t>& keys)
{
    doc.SelectWhere([&](ColorKey key) { return std::find(keys.begin(), keys.end(), key) != keys.end(); });
}

bool DocTest::HasMessage(std::string_view text) const
{
    return std::any_of(m_messages.Messages().begin(), m_messages.Messages().end(),
        [&](const std::string& m) { return m.find(text) != std::string::npos; });
}

} // namespace tintor::test
