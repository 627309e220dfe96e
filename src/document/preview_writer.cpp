#include "document/preview_writer.h"

namespace tintor {

CPreviewWriter::CPreviewWriter(Done done) : m_done(std::move(done)) {}

CPreviewWriter::~CPreviewWriter() = default;

std::uint64_t CPreviewWriter::Write(CMovieImage image, std::filesystem::path path)
{
    const std::uint64_t number = ++m_lastJob;
    m_worker.Post([this, number, image = std::move(image), path = std::move(path)]() mutable {
        Result result{number, path, false, {}};
        result.ok = CSwfFile::SaveImageToPath(image, path, &result.error);
        // The image goes before anyone hears of the write.
        image = CMovieImage{};
        m_done(result);
    });
    return number;
}

void CPreviewWriter::Flush() { m_worker.Flush(); }

} // namespace tintor
