#include "views/account_text.h"

#include <QCoreApplication>
#include <QStringList>

namespace tintor {

namespace {

constexpr const char* kContext = "tintor::ListNote";

QString Tr(const char* text, int n = -1) { return QCoreApplication::translate(kContext, text, nullptr, n); }

int Count(std::uint64_t n) { return static_cast<int>(std::min<std::uint64_t>(n, INT32_MAX)); }

// "#rrggbb", red first.
QString Hex(std::uint32_t rgb)
{
    return QStringLiteral("#%1%2%3")
        .arg(rgb & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((rgb >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((rgb >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

QString CallNames(std::uint32_t calls)
{
    QStringList names;
    for (std::size_t i = 0; i < std::size(kDrawingCalls); ++i)
        if (calls & (1u << i))
            names << QString::fromLatin1(kDrawingCalls[i].data(), static_cast<qsizetype>(kDrawingCalls[i].size()));
    return names.join(QStringLiteral(", "));
}

QString ReasonText(BitmapLeftReason reason)
{
    switch (reason) {
    case BitmapLeftReason::SharedTables:
        return Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "共有の JPEGTables では作り直せない"));
    case BitmapLeftReason::InSprite:
        return Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "スプライトの中"));
    case BitmapLeftReason::Undecodable:
        break;
    }
    return Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "読み取れないデータ"));
}

QString TagText(std::uint16_t code)
{
    const std::string_view name = TagName(code);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

ListNote AccountNote(const CTintorDoc& doc)
{
    if (!doc.HasMovie())
        return {};
    const ColourAccount& account = doc.GetMovie().Account();
    return AccountNote(account, BitmapsLeft(account, doc.GetBitmaps().Entries()));
}

ListNote AccountNote(const ColourAccount& a, std::span<const LeftBitmaps> left)
{
    QStringList items;
    QStringList details;
    const auto both = [&](std::uint64_t n, const char* item) {
        if (n == 0)
            return;
        items << Tr(item, Count(n));
        details << Tr(item, Count(n));
    };
    std::uint64_t bitmaps = 0;
    for (const LeftBitmaps& group : left)
        bitmaps += group.tally.count;
    if (bitmaps != 0)
        items << Tr(QT_TRANSLATE_N_NOOP("tintor::ListNote", "ビットマップ %n 個"), Count(bitmaps));
    for (const LeftBitmaps& group : left)
        details << Tr(
            QT_TRANSLATE_N_NOOP("tintor::ListNote", "%1: ビットマップ %n 個、%2 バイト (%3)"), Count(group.tally.count))
                       .arg(TagText(group.code))
                       .arg(group.tally.bytes)
                       .arg(ReasonText(group.reason));
    both(a.colourMatrixFilters, QT_TRANSLATE_N_NOOP("tintor::ListNote", "カラーマトリックスフィルター %n 個"));
    both(a.colourTransforms, QT_TRANSLATE_N_NOOP("tintor::ListNote", "色合いでないカラー変換 %n 個"));
    both(a.tintsWithoutRoom, QT_TRANSLATE_N_NOOP("tintor::ListNote", "ほかの色を入れる余地のない色合い %n か所"));
    both(a.htmlColours, QT_TRANSLATE_N_NOOP("tintor::ListNote", "#rrggbb 以外の形の HTML の色 %n 個"));
    both(a.scriptNumbers, QT_TRANSLATE_N_NOOP("tintor::ListNote", "数としても使われるスクリプトの定数 %n 個"));
    both(a.scriptsWithoutRoom,
        QT_TRANSLATE_N_NOOP("tintor::ListNote", "ほかの色を入れる余地のないスクリプトの定数 %n 個"));
    both(a.uncollectedFilterColours, QT_TRANSLATE_N_NOOP("tintor::ListNote", "従来の色に入らないフィルターの色 %n 個"));
    both(a.uncollectedTints, QT_TRANSLATE_N_NOOP("tintor::ListNote", "従来の色に入らない色合い %n か所"));
    both(a.uncollectedHtmlColours, QT_TRANSLATE_N_NOOP("tintor::ListNote", "従来の色に入らない HTML の色 %n 個"));
    if (!a.scripts.empty())
        items << Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "描画するスクリプト"));
    for (const auto& [code, tally] : a.scripts)
        details << Tr(QT_TRANSLATE_N_NOOP("tintor::ListNote", "%1: 描画するスクリプト %n 個 (%2)"), Count(tally.blocks))
                       .arg(TagText(code), CallNames(tally.calls));
    both(a.textBoxes, QT_TRANSLATE_N_NOOP("tintor::ListNote", "プレーヤーが白地と黒枠を描くテキストボックス %n 個"));
    if (a.videoStreams != 0 || a.videoFrames != 0) {
        items << Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "ビデオ"));
        details << Tr(QT_TRANSLATE_N_NOOP("tintor::ListNote", "ビデオ: %n フレーム"), Count(a.videoFrames));
    }
    if (items.isEmpty())
        return {};
    return {Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "このムービーにはほかに %1 があります — これらの色はそのままです"))
                .arg(items.join(Tr(QT_TRANSLATE_NOOP("tintor::ListNote", "、")))),
        details.join(u'\n')};
}

ListNote KeptNote(const std::vector<KeptColour>& kept)
{
    // Places kept for want of room, tints apart from script constants, and
    // script constants that are numbers too.
    std::size_t tints = 0, scripts = 0, numbers = 0;
    QStringList details;
    for (const KeptColour& colour : kept) {
        const std::size_t withoutRoom = colour.places - std::min(colour.asNumbers, colour.places);
        (KindOf(colour.key) == KIND_TINT ? tints : scripts) += withoutRoom;
        numbers += colour.places - withoutRoom;
        QString detail
            = Tr(QT_TRANSLATE_N_NOOP("tintor::ListNote", "%1 → %2: %n か所が元の色のまま"), Count(colour.places))
                  .arg(Hex(colour.key), Hex(colour.wanted));
        if (colour.asNumbers != 0)
            detail += Tr(QT_TRANSLATE_N_NOOP("tintor::ListNote", " (うち %n か所は数としても使われる)"),
                Count(colour.asNumbers));
        details << detail;
    }
    QStringList lines;
    if (tints != 0)
        lines << Tr(
            QT_TRANSLATE_N_NOOP("tintor::ListNote", "色合い %n か所は新しい色を入れる余地がなく、元の色のままです"),
            Count(tints));
    if (scripts != 0)
        lines << Tr(QT_TRANSLATE_N_NOOP(
                        "tintor::ListNote", "スクリプトの定数 %n か所は新しい色を入れる余地がなく、元の色のままです"),
            Count(scripts));
    if (numbers != 0)
        lines << Tr(
            QT_TRANSLATE_N_NOOP("tintor::ListNote", "数としても使われるスクリプトの定数 %n か所は元の色のままです"),
            Count(numbers));
    if (lines.isEmpty())
        return {};
    return {lines.join(u'\n'), details.join(u'\n')};
}

} // namespace tintor
