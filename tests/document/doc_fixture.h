#pragma once

#include "core/messages.h"
#include "document/tintor_doc.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tintor::test {

// Both views in one, logging every call so tests can check their order.
class CFakeViews final : public IColorViewPort, public IPreviewPort {
public:
    void SyncControls(const CColorTable& table) override
    {
        m_calls.push_back("SyncControls");
        m_syncedHue = table.Hue();
    }
    void FillList(const CColorTable& table) override
    {
        m_calls.push_back("FillList");
        m_listedCount = table.Map().Size();
    }
    void Stop() override { m_calls.push_back("Stop"); }
    void Refresh() override { m_calls.push_back("Refresh"); }

    std::vector<std::string> m_calls;
    int m_syncedHue = -1;
    std::size_t m_listedCount = 0;
};

// Dialogs answered by the test; counts how often they were asked.
class CFakeDialogs final : public IFileDialogs {
public:
    std::optional<std::filesystem::path> AskOpenFile(std::string_view, std::string_view, std::string_view) override
    {
        ++m_asked;
        return m_open;
    }
    std::optional<std::filesystem::path> AskSaveFile(std::string_view, std::string_view, std::string_view) override
    {
        ++m_asked;
        return m_save;
    }

    std::optional<std::filesystem::path> m_open;
    std::optional<std::filesystem::path> m_save;
    int m_asked = 0;
};

// A scratch folder per test, and a document wired to fakes.
class DocTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> Buffer() const;
    // The selection change of the colour list: pending effect folded in, the
    // keys selected, the others not, one history state.
    void SelectOnly(CTintorDoc& doc, const std::vector<std::uint32_t>& keys);
    bool HasMessage(std::string_view text) const;

    std::filesystem::path m_dir;
    CRecordingSink m_messages;
    CFakeDialogs m_dialogs;
    CFakeViews m_views;
    std::optional<CTintorDoc> m_doc;
};

} // namespace tintor::test
