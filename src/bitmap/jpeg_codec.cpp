// JPEG image data through libjpeg(-turbo): decoded to RGB a row at a time
// (scaled down for thumbnails), recoloured pixel by pixel, and encoded again
// with the subsampling it had and its own quantisation tables, or, for a
// DefineBits image that reads the movie's shared JPEGTables, with exactly
// those tables and without them.
#include "bitmap/codecs.h"
#include "bitmap/colour_cache.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <functional>
#include <new>

namespace tintor::bitmap {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kDqt = 0xDB;
constexpr std::uint8_t kDht = 0xC4;
constexpr std::uint8_t kJpg = 0xC8;
constexpr std::uint8_t kDac = 0xCC;
constexpr std::uint8_t kTem = 0x01;
constexpr std::uint8_t kRst0 = 0xD0;
constexpr std::uint8_t kRst7 = 0xD7;

// A hostile progressive image can hold any number of scans, each a pass over
// the whole image; libjpeg-turbo's own limit.
constexpr int kMaxScans = 500;

// The standard tables that the IJG quality scale is made from, in natural
// order, and the zigzag order that DQT segments store them in.
constexpr std::array<std::uint16_t, 64> kLuminance = {16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64,
    81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<std::uint16_t, 64> kChrominance = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};
constexpr std::array<std::uint8_t, 64> kZigzag = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26,
    33, 40, 48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A marker that stands alone, without a length.
bool Standalone(std::uint8_t marker) { return marker == kTem || (marker >= kRst0 && marker <= kRst7); }

// A start-of-frame marker: C0 to CF but for DHT, JPG and DAC.
bool StartOfFrame(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != kJpg && marker != kDac;
}

std::uint32_t Word(std::span<const std::uint8_t> data, std::size_t at)
{
    return std::uint32_t{data[at]} << 8 | data[at + 1];
}

// Visits the marker segments of a stream after its SOI, stepping over the
// coded data of each scan, up to EOI or the end; visit returns false to stop.
// False when the segments do not parse.
bool ForEachSegment(std::span<const std::uint8_t> stream,
    const std::function<bool(std::uint8_t marker, std::span<const std::uint8_t> segment)>& visit)
{
    std::size_t pos = 2;
    while (pos < stream.size()) {
        if (stream[pos] != kMarker)
            return false;
        while (pos < stream.size() && stream[pos] == kMarker)
            ++pos; // fill bytes
        if (pos == stream.size())
            return false;
        const std::uint8_t marker = stream[pos++];
        if (marker == kEoi)
            return true;
        if (Standalone(marker) || marker == kSoi)
            continue;
        if (pos + 2 > stream.size())
            return false;
        const std::size_t length = Word(stream, pos);
        if (length < 2 || pos + length > stream.size())
            return false;
        if (!visit(marker, stream.subspan(pos + 2, length - 2)))
            return true;
        pos += length;
        if (marker == kSos) {
            // Coded data holds FF only as FF 00 or a restart marker.
            while (pos + 1 < stream.size()
                && !(stream[pos] == kMarker && stream[pos + 1] != 0
                    && !(stream[pos + 1] >= kRst0 && stream[pos + 1] <= kRst7)))
                ++pos;
            if (pos + 1 >= stream.size())
                return true; // the data runs to the end
        }
    }
    return true;
}

// The tables of a DQT or DHT segment into set; false when it does not parse.
bool ReadTableSegment(std::uint8_t marker, std::span<const std::uint8_t> segment, JpegTableSet& set)
{
    for (std::size_t at = 0; at < segment.size();) {
        const std::uint8_t kind = segment[at] >> 4;
        const std::size_t slot = segment[at] & 3;
        if (marker == kDqt) {
            const bool wide = kind != 0;
            const std::size_t size = 1 + 64 * (wide ? 2 : 1);
            if (at + size > segment.size())
                return false;
            std::array<std::uint16_t, 64> table{};
            for (std::size_t k = 0; k < 64; ++k)
                table[k] = wide ? static_cast<std::uint16_t>(Word(segment, at + 1 + 2 * k)) : segment[at + 1 + k];
            set.quantisation[slot] = table;
            at += size;
            continue;
        }
        if (at + 17 > segment.size() || kind > 1)
            return false;
        HuffmanTable table;
        std::size_t symbols = 0;
        for (std::size_t k = 0; k < 16; ++k) {
            table.counts[k] = segment[at + 1 + k];
            symbols += table.counts[k];
        }
        if (symbols > 256 || at + 17 + symbols > segment.size())
            return false;
        table.symbols.assign(segment.begin() + static_cast<std::ptrdiff_t>(at + 17),
            segment.begin() + static_cast<std::ptrdiff_t>(at + 17 + symbols));
        (kind == 0 ? set.dc : set.ac)[slot] = std::move(table);
        at += 17 + symbols;
    }
    return true;
}

// --- libjpeg's errors -------------------------------------------------------------

// Errors end in a jump back to the call that ran into them; warnings that
// mean the data ended before the image are remembered.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool cutShort = false;
    bool tooManyScans = false;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

void NoteWarning(j_common_ptr cinfo, int level)
{
    auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    // "Premature end of JPEG file", "premature end of data segment": what is
    // missing is filled with grey.
    if (level < 0 && (errors->manager.msg_code == JWRN_JPEG_EOF || errors->manager.msg_code == JWRN_HIT_MARKER))
        errors->cutShort = true;
}

void LimitScans(j_common_ptr cinfo)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && decompress->input_scan_number > kMaxScans) {
        reinterpret_cast<JpegErrors*>(cinfo->err)->tooManyScans = true;
        JumpOnError(cinfo);
    }
}

void ListenTo(JpegErrors& errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOnError;
    errors.manager.emit_message = NoteWarning;
}

// Runs one step of libjpeg, which may jump back here on an error: false
// then. The step keeps nothing of its own that needs destroying.
template <typename Step> bool Guarded(JpegErrors& errors, Step&& step)
{
    if (setjmp(errors.jump) != 0)
        return false;
    step();
    return true;
}

// A decompressor over a stream in memory, destroyed however its use ends.
class CJpegDecoder {
public:
    CJpegDecoder()
    {
        ListenTo(m_errors);
        m_cinfo.err = &m_errors.manager;
        m_progress.progress_monitor = LimitScans;
        if (!Guarded(m_errors, [this] { jpeg_create_decompress(&m_cinfo); }))
            throw std::bad_alloc();
        m_cinfo.progress = &m_progress;
    }
    ~CJpegDecoder() { jpeg_destroy_decompress(&m_cinfo); }
    CJpegDecoder(const CJpegDecoder&) = delete;
    CJpegDecoder& operator=(const CJpegDecoder&) = delete;

    // Reads the headers and starts decoding to RGB at scaleNum/8 of the size.
    bool Start(std::span<const std::uint8_t> stream, int scaleNum)
    {
        return Guarded(m_errors, [&] {
            jpeg_mem_src(&m_cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
            jpeg_read_header(&m_cinfo, TRUE);
            m_cinfo.out_color_space = JCS_RGB;
            m_cinfo.scale_num = static_cast<unsigned int>(scaleNum);
            m_cinfo.scale_denom = 8;
            jpeg_start_decompress(&m_cinfo);
        });
    }
    bool ReadRow(std::uint8_t* row)
    {
        return Guarded(m_errors, [&] {
            JSAMPROW rows[] = {row};
            jpeg_read_scanlines(&m_cinfo, rows, 1);
        });
    }
    bool Finish()
    {
        return Guarded(m_errors, [&] { jpeg_finish_decompress(&m_cinfo); });
    }
    // Why the decoding failed, or nothing when the image is whole; throws
    // when it failed for want of memory.
    std::string_view Problem() const
    {
        if (m_errors.manager.msg_code == JERR_OUT_OF_MEMORY && !m_errors.tooManyScans)
            throw std::bad_alloc();
        return m_errors.cutShort ? kJpegCutShort : kCorruptJpeg;
    }
    bool CutShort() const { return m_errors.cutShort; }

    jpeg_decompress_struct& Info() { return m_cinfo; }

private:
    jpeg_decompress_struct m_cinfo{};
    JpegErrors m_errors{};
    jpeg_progress_mgr m_progress{};
};

// --- Encoding --------------------------------------------------------------------

// The settings of one encoding, worked out before libjpeg is called.
struct CompressSettings {
    bool grey = false;
    // Whole images: luminance sampling against chrominance at 1 by 1, the
    // estimated quality and the image's own tables.
    int horizontal = 1;
    int vertical = 1;
    int quality = 75;
    const std::vector<std::array<std::uint16_t, 64>>* tables = nullptr;
    bool progressive = false;
    // Abbreviated images: the shared tables and each component's slots and
    // sampling, as the image had them.
    const JpegTableSet* shared = nullptr;
    const std::vector<JpegComponent>* components = nullptr;
};

void PutHuffmanTable(j_compress_ptr cinfo, JHUFF_TBL*& slot, const HuffmanTable& table)
{
    if (slot == nullptr)
        slot = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
    slot->bits[0] = 0;
    std::copy(table.counts.begin(), table.counts.end(), slot->bits + 1);
    std::copy(table.symbols.begin(), table.symbols.end(), slot->huffval);
    slot->sent_table = FALSE;
}

void PutQuantisationTable(j_compress_ptr cinfo, int slot, const std::array<std::uint16_t, 64>& zigzag, bool baseline)
{
    unsigned int natural[64];
    for (std::size_t k = 0; k < 64; ++k)
        natural[kZigzag[k]] = zigzag[k];
    jpeg_add_quant_table(cinfo, slot, natural, 100, baseline ? TRUE : FALSE);
}

// Sets the tables and components of an abbreviated image: every table the
// movie shares in its slot, each component on the slots it had (a grey image
// that took colour gives its chrominance the luminance's), none written.
void UseSharedTables(j_compress_ptr cinfo, const CompressSettings& settings)
{
    const JpegTableSet& shared = *settings.shared;
    for (int slot = 0; slot < 4; ++slot) {
        if (shared.quantisation[static_cast<std::size_t>(slot)])
            PutQuantisationTable(cinfo, slot, *shared.quantisation[static_cast<std::size_t>(slot)], false);
        if (shared.dc[static_cast<std::size_t>(slot)])
            PutHuffmanTable(cinfo, cinfo->dc_huff_tbl_ptrs[slot], *shared.dc[static_cast<std::size_t>(slot)]);
        if (shared.ac[static_cast<std::size_t>(slot)])
            PutHuffmanTable(cinfo, cinfo->ac_huff_tbl_ptrs[slot], *shared.ac[static_cast<std::size_t>(slot)]);
    }
    const std::vector<JpegComponent>& components = *settings.components;
    const bool sameLayout = components.size() == static_cast<std::size_t>(cinfo->num_components);
    for (int i = 0; i < cinfo->num_components; ++i) {
        const JpegComponent& from = sameLayout ? components[static_cast<std::size_t>(i)] : components.front();
        jpeg_component_info& to = cinfo->comp_info[i];
        to.h_samp_factor = sameLayout ? from.horizontal : 1;
        to.v_samp_factor = sameLayout ? from.vertical : 1;
        to.quant_tbl_no = from.quantisation;
        to.dc_tbl_no = from.dc;
        to.ac_tbl_no = from.ac;
    }
    cinfo->optimize_coding = FALSE;
    jpeg_suppress_tables(cinfo, TRUE);
}

void UseOwnTables(j_compress_ptr cinfo, const CompressSettings& settings)
{
    if (!settings.grey) {
        cinfo->comp_info[0].h_samp_factor = settings.horizontal;
        cinfo->comp_info[0].v_samp_factor = settings.vertical;
    }
    // The estimated quality fills in any table the image does not have.
    jpeg_set_quality(cinfo, settings.quality, TRUE);
    for (std::size_t t = 0; settings.tables != nullptr && t < settings.tables->size() && t < (settings.grey ? 1u : 2u);
         ++t)
        PutQuantisationTable(cinfo, static_cast<int>(t), (*settings.tables)[t], true);
    cinfo->optimize_coding = TRUE;
    if (settings.progressive)
        jpeg_simple_progression(cinfo);
}

// Encodes with libjpeg's own interface: it takes the image's own tables,
// so that the picture keeps its quality and the file its size, and entropy
// coding made to fit the image (or the shared tables as they are).
std::optional<std::vector<std::uint8_t>> Compress(
    const Photo& photo, const CompressSettings& settings, std::string& problem)
{
    struct Compressor {
        jpeg_compress_struct cinfo{};
        JpegErrors errors{};
        unsigned char* out = nullptr;
        unsigned long size = 0;
        ~Compressor()
        {
            jpeg_destroy_compress(&cinfo);
            std::free(out);
        }
    } c;
    ListenTo(c.errors);
    c.cinfo.err = &c.errors.manager;
    const bool done = Guarded(c.errors, [&] {
        jpeg_create_compress(&c.cinfo);
        jpeg_mem_dest(&c.cinfo, &c.out, &c.size);
        c.cinfo.image_width = photo.width;
        c.cinfo.image_height = photo.height;
        c.cinfo.input_components = 3;
        c.cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c.cinfo);
        jpeg_set_colorspace(&c.cinfo, settings.grey ? JCS_GRAYSCALE : JCS_YCbCr);
        if (settings.shared != nullptr)
            UseSharedTables(&c.cinfo, settings);
        else
            UseOwnTables(&c.cinfo, settings);
        jpeg_start_compress(&c.cinfo, settings.shared != nullptr ? FALSE : TRUE);
        while (c.cinfo.next_scanline < c.cinfo.image_height) {
            JSAMPROW row[]
                = {const_cast<JSAMPROW>(photo.rgb.data() + std::size_t{c.cinfo.next_scanline} * photo.width * 3)};
            jpeg_write_scanlines(&c.cinfo, row, 1);
        }
        jpeg_finish_compress(&c.cinfo);
    });
    if (!done) {
        if (c.errors.manager.msg_code == JERR_OUT_OF_MEMORY)
            throw std::bad_alloc();
        char text[JMSG_LENGTH_MAX];
        c.errors.manager.format_message(reinterpret_cast<j_common_ptr>(&c.cinfo), text);
        problem = std::string("the JPEG encoder refused it: ") + text;
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(c.out, c.out + c.size);
}

} // namespace

bool JpegTableSet::Empty() const
{
    const auto none = [](const auto& slots) {
        return std::none_of(slots.begin(), slots.end(), [](const auto& slot) { return slot.has_value(); });
    };
    return none(quantisation) && none(dc) && none(ac);
}

std::optional<std::vector<std::uint8_t>> JoinJpegStreams(std::span<const std::uint8_t> data)
{
    // Movies made before version 8 may put an end and a start marker before
    // the real start of the image.
    static constexpr std::uint8_t kErroneous[] = {kMarker, kEoi, kMarker, kSoi};
    if (data.size() >= 4 && std::equal(std::begin(kErroneous), std::end(kErroneous), data.begin()))
        data = data.subspan(4);
    if (data.size() < 4 || data[0] != kMarker || data[1] != kSoi)
        return std::nullopt;
    std::vector<std::uint8_t> out = {kMarker, kSoi};
    std::size_t pos = 2;
    while (pos < data.size()) {
        if (data[pos] != kMarker)
            return std::nullopt;
        while (pos < data.size() && data[pos] == kMarker)
            ++pos; // fill bytes
        if (pos == data.size())
            return std::nullopt;
        const std::uint8_t marker = data[pos++];
        // The end of a stream of tables and the start of the next stream:
        // the two streams become one.
        if (marker == kEoi || marker == kSoi)
            continue;
        if (Standalone(marker)) {
            out.insert(out.end(), {kMarker, marker});
            continue;
        }
        if (pos + 2 > data.size())
            return std::nullopt;
        const std::size_t length = Word(data, pos);
        if (length < 2 || pos + length > data.size())
            return std::nullopt;
        out.insert(out.end(), {kMarker, marker});
        if (marker == kSos) {
            // The scans and the end of the image follow as they are.
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos), data.end());
            return out;
        }
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
            data.begin() + static_cast<std::ptrdiff_t>(pos + length));
        pos += length;
    }
    return std::nullopt; // no image in it
}

std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> stream)
{
    JpegHeader header;
    bool frame = false;
    bool parsed = true;
    const bool whole = ForEachSegment(stream, [&](std::uint8_t marker, std::span<const std::uint8_t> segment) {
        if (marker == kDqt || marker == kDht) {
            parsed = ReadTableSegment(marker, segment, header.defined);
        } else if (StartOfFrame(marker) && !frame) {
            if (segment.size() < 6 || segment.size() < 6 + 3 * std::size_t{segment[5]}) {
                parsed = false;
                return false;
            }
            header.precision = segment[0];
            header.height = Word(segment, 1);
            header.width = Word(segment, 3);
            header.progressive = (marker & 0x03) == 0x02;
            header.arithmetic = (marker & 0x08) != 0;
            for (std::size_t c = 0; c < segment[5]; ++c) {
                const std::uint8_t* f = segment.data() + 6 + 3 * c;
                header.components.push_back({f[0], static_cast<std::uint8_t>(f[1] >> 4),
                    static_cast<std::uint8_t>(f[1] & 15), static_cast<std::uint8_t>(f[2] & 3), 0xFF, 0xFF});
            }
            frame = true;
        } else if (marker == kSos && !segment.empty()) {
            // Each component's Huffman tables, from the first scan that codes it.
            for (std::size_t s = 0; s < segment[0] && 2 + 2 * s < segment.size(); ++s)
                for (JpegComponent& component : header.components)
                    if (component.id == segment[1 + 2 * s] && component.dc == 0xFF) {
                        component.dc = static_cast<std::uint8_t>((segment[2 + 2 * s] >> 4) & 3);
                        component.ac = static_cast<std::uint8_t>(segment[2 + 2 * s] & 3);
                    }
        }
        return parsed;
    });
    if (!whole || !parsed || !frame || header.components.empty())
        return std::nullopt;
    // Luminance is the first component's table, chrominance the second's.
    for (std::size_t c = 0; c < std::min<std::size_t>(header.components.size(), 2); ++c)
        if (const auto& table = header.defined.quantisation[header.components[c].quantisation])
            header.tables.push_back(*table);
    header.quality = EstimateJpegQuality(header.tables);
    return header;
}

std::optional<JpegTableSet> ReadJpegTables(std::span<const std::uint8_t> data)
{
    JpegTableSet set;
    static constexpr std::uint8_t kErroneous[] = {kMarker, kEoi, kMarker, kSoi};
    if (data.size() >= 4 && std::equal(std::begin(kErroneous), std::end(kErroneous), data.begin()))
        data = data.subspan(4);
    if (data.empty())
        return set;
    if (data.size() < 2 || data[0] != kMarker || data[1] != kSoi)
        return std::nullopt;
    bool parsed = true;
    const bool whole = ForEachSegment(data, [&](std::uint8_t marker, std::span<const std::uint8_t> segment) {
        if (marker == kDqt || marker == kDht)
            parsed = ReadTableSegment(marker, segment, set);
        return parsed;
    });
    if (!whole || !parsed)
        return std::nullopt;
    return set;
}

int EstimateJpegQuality(std::span<const std::array<std::uint16_t, 64>> tables)
{
    // Without tables to go by, libjpeg's own default.
    if (tables.empty())
        return 75;
    // The scale of the tables against the standard ones, over all their
    // entries: tables of other makers (Photoshop's, say) come out at the IJG
    // quality that makes a file of about their size, where matching entry by
    // entry would follow their few fine entries to a much larger file.
    double actual = 0;
    double standard = 0;
    for (std::size_t t = 0; t < tables.size(); ++t)
        for (std::size_t k = 0; k < 64; ++k) {
            actual += tables[t][k];
            standard += (t == 0 ? kLuminance : kChrominance)[kZigzag[k]];
        }
    const double scale = 100.0 * actual / standard;
    const int estimate
        = std::clamp(static_cast<int>(std::lround(scale <= 100 ? (200 - scale) / 2 : 5000 / scale)), 1, 100);
    // The quality that makes exactly these tables, when one does, nearest
    // the estimate first: entries clamped to 1 or 255 at the ends of the
    // scale pull the sums off.
    for (int distance = 0; distance < 100; ++distance)
        for (const int quality : {estimate - distance, estimate + distance}) {
            if (quality < 1 || quality > 100)
                continue;
            const long factor = quality < 50 ? 5000 / quality : 200 - quality * 2;
            bool exact = true;
            for (std::size_t t = 0; exact && t < tables.size(); ++t)
                for (std::size_t k = 0; exact && k < 64; ++k)
                    exact = std::clamp(((t == 0 ? kLuminance : kChrominance)[kZigzag[k]] * factor + 50) / 100, 1L, 255L)
                        == tables[t][k];
            if (exact)
                return quality;
        }
    return estimate;
}

bool JpegDataTooShort(const JpegHeader& header, std::size_t streamBytes)
{
    // Every block of every component has its DC coefficient coded in some
    // scan, sequential or progressive, and no Huffman code is shorter than
    // one bit (a sequential scan adds an end-of-block code to each block):
    // n bytes code at most 8n blocks. Arithmetic coding has no such floor
    // and is refused apart.
    std::uint64_t horizontal = 1, vertical = 1;
    for (const JpegComponent& c : header.components) {
        horizontal = std::max<std::uint64_t>(horizontal, c.horizontal);
        vertical = std::max<std::uint64_t>(vertical, c.vertical);
    }
    std::uint64_t blocks = 0;
    for (const JpegComponent& c : header.components) {
        const std::uint64_t columns
            = (std::uint64_t{header.width} * std::max<std::uint8_t>(c.horizontal, 1) + horizontal - 1) / horizontal;
        const std::uint64_t rows
            = (std::uint64_t{header.height} * std::max<std::uint8_t>(c.vertical, 1) + vertical - 1) / vertical;
        blocks += (columns + 7) / 8 * ((rows + 7) / 8);
    }
    return blocks > 8 * std::uint64_t{streamBytes};
}

bool CodesEverySymbol(const HuffmanTable& table, bool dc)
{
    std::array<bool, 256> coded{};
    std::size_t codes = 0;
    for (const std::uint8_t count : table.counts)
        codes += count;
    for (std::size_t i = 0; i < codes && i < table.symbols.size(); ++i)
        coded[table.symbols[i]] = true;
    if (dc) {
        for (int category = 0; category <= 11; ++category)
            if (!coded[static_cast<std::size_t>(category)])
                return false;
        return true;
    }
    if (!coded[0x00] || !coded[0xF0])
        return false;
    for (int run = 0; run < 16; ++run)
        for (int size = 1; size <= 10; ++size)
            if (!coded[static_cast<std::size_t>(run << 4 | size)])
                return false;
    return true;
}

bool StreamJpeg(std::span<const std::uint8_t> stream, int scaleNum, CThumbnailMaker* thumbnail, std::string& problem)
{
    CJpegDecoder decoder;
    if (!decoder.Start(stream, scaleNum)) {
        problem = decoder.Problem();
        return false;
    }
    jpeg_decompress_struct& info = decoder.Info();
    std::vector<std::uint8_t> row(std::size_t{info.output_width} * 3);
    for (std::uint32_t y = 0; y < info.output_height; ++y) {
        if (!decoder.ReadRow(row.data())) {
            problem = decoder.Problem();
            return false;
        }
        if (thumbnail != nullptr)
            thumbnail->AddColours(
                {info.output_width, info.output_height, y, 0, 1, row.data(), info.output_width, 3, true});
    }
    if (!decoder.Finish() || decoder.CutShort()) {
        problem = decoder.Problem();
        return false;
    }
    return true;
}

std::optional<Photo> DecodeJpeg(std::span<const std::uint8_t> stream, const JpegHeader& header, std::string& problem)
{
    CJpegDecoder decoder;
    if (!decoder.Start(stream, 8)) {
        problem = decoder.Problem();
        return std::nullopt;
    }
    jpeg_decompress_struct& info = decoder.Info();
    if (info.output_width != header.width || info.output_height != header.height) {
        problem = kCorruptJpeg;
        return std::nullopt;
    }
    Photo photo;
    photo.width = header.width;
    photo.height = header.height;
    photo.grey = info.num_components == 1;
    photo.rgb.resize(std::size_t{photo.width} * photo.height * 3);
    for (std::uint32_t y = 0; y < photo.height; ++y)
        if (!decoder.ReadRow(photo.rgb.data() + std::size_t{y} * photo.width * 3)) {
            problem = decoder.Problem();
            return std::nullopt;
        }
    if (!decoder.Finish() || decoder.CutShort()) {
        problem = decoder.Problem();
        return std::nullopt;
    }
    return photo;
}

void RecolourPhoto(Photo& photo, const RecolourFn& recolour)
{
    const bool alpha = !photo.alpha.empty();
    CColourCache cache([&](std::uint32_t v) {
        const std::uint32_t a = alpha ? v >> 24 : 255;
        if (a == 0)
            return v & 0xFFFFFF; // invisible: as it was
        if (a == 255)
            return recolour(v & 0xFFFFFF);
        const std::uint32_t c = recolour(Unpremultiply(v & 0xFF, a) | Unpremultiply((v >> 8) & 0xFF, a) << 8
            | Unpremultiply((v >> 16) & 0xFF, a) << 16);
        return Premultiply(c & 0xFF, a) | Premultiply((c >> 8) & 0xFF, a) << 8 | Premultiply((c >> 16) & 0xFF, a) << 16;
    });
    // Opaque pixels, nearly all of most images, go through the memo.
    CRgbMemo opaque([&](std::uint32_t v) { return recolour(v); });
    std::uint8_t* p = photo.rgb.data();
    const std::size_t count = photo.rgb.size() / 3;
    // Neighbours often share their colour: the last one is kept at hand.
    std::uint32_t lastKey = 0;
    std::uint32_t lastColour = cache(0);
    for (std::size_t i = 0; i < count; ++i, p += 3) {
        std::uint32_t key = p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
        if (alpha)
            key |= std::uint32_t{photo.alpha[i]} << 24;
        if (key != lastKey) {
            lastKey = key;
            lastColour = key >> 24 == (alpha ? 255u : 0u) ? opaque(key & 0xFFFFFF) : cache(key);
        }
        p[0] = static_cast<std::uint8_t>(lastColour);
        p[1] = static_cast<std::uint8_t>(lastColour >> 8);
        p[2] = static_cast<std::uint8_t>(lastColour >> 16);
    }
}

std::optional<std::vector<std::uint8_t>> EncodeJpeg(
    const Photo& photo, const JpegEncoding& encoding, std::string& problem)
{
    const JpegHeader& header = *encoding.header;
    CompressSettings settings;
    if (photo.grey) {
        // A grey image stays grey unless the change gave it colour.
        settings.grey = true;
        for (std::size_t i = 0; settings.grey && i < photo.rgb.size(); i += 3)
            settings.grey = photo.rgb[i] == photo.rgb[i + 1] && photo.rgb[i] == photo.rgb[i + 2];
    }
    if (encoding.shared != nullptr) {
        settings.shared = encoding.shared;
        settings.components = &header.components;
        return Compress(photo, settings, problem);
    }
    if (photo.grey) {
        settings.horizontal = settings.vertical = 2; // colour given to a grey image: 4:2:0
    } else if (header.components.size() >= 3) {
        // Luminance sampled finer than both chrominance components, by whole factors.
        const JpegComponent& y = header.components[0];
        const JpegComponent& cb = header.components[1];
        const JpegComponent& cr = header.components[2];
        if (cb.horizontal == cr.horizontal && cb.vertical == cr.vertical && cb.horizontal != 0 && cb.vertical != 0
            && y.horizontal % cb.horizontal == 0 && y.vertical % cb.vertical == 0) {
            settings.horizontal = y.horizontal / cb.horizontal;
            settings.vertical = y.vertical / cb.vertical;
        }
    }
    settings.quality = header.quality;
    settings.tables = &header.tables;
    settings.progressive = header.progressive;
    return Compress(photo, settings, problem);
}

} // namespace tintor::bitmap
