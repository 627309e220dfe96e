#include "window/qt_message_sink.h"

#include "core/file.h"
#include "window/qt_paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include <span>
#include <string>

namespace tintor {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CQtMessageSink", text); }

// The core's messages for the user, which it writes without knowing of
// translations, with the window's Japanese for each. The English window
// shows the core's own words (the English translation of the Japanese is
// the core's text), under a headline of its own where the message is about
// a file. Its messages about states that cannot occur are shown as they are.
struct CoreText {
    std::string_view core;
    const char* text;
};

const CoreText kCoreTexts[] = {
    {"見つからない色があるんですけど……いいですか？",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "見つからない色があるんですけど……いいですか？")},
    {"ERROR: Illegal Header - not a Shockwave Flash File",
        QT_TRANSLATE_NOOP(
            "tintor::CQtMessageSink", "ヘッダーが正しくありません。Shockwave Flash ファイルではありません。")},
    {"ERROR: Can't read the header of file",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ファイルのヘッダーを読めません。")},
    {"ERROR: Can't read the body of file", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ファイルの本体を読めません。")},
    {"ERROR: file size is too short",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ヘッダーに書かれたファイル サイズが小さすぎます。")},
    {"ERROR: not enough memory for the movie",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ムービーを読み込むためのメモリが足りません。")},
    {"not a colour script", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "カラー スクリプトではありません。")},
    {"loadtable: memory allocation error!",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "カラー スクリプトを読み込むためのメモリが足りません。")},
    {"no RGB colours in the palette", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "パレットに RGB の色がありません。")},
};

// The core's texts with variable parts (MessageText), by their English
// pattern: where a palette file goes wrong and why.
const CoreText kCorePatterns[] = {
    {"line %1", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "%1 行目")},
    {"byte %1", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "%1 バイト目")},
    {"the first line is not \"GIMP Palette\"",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "1 行目が \"GIMP Palette\" ではありません")},
    {"%1 is not a colour 'R G B name' with each of R, G, B 0..255",
        QT_TRANSLATE_NOOP(
            "tintor::CQtMessageSink", "%1 は色の行 'R G B 名前' (R, G, B はそれぞれ 0..255) ではありません")},
    {"not an Adobe swatch exchange file (no \"ASEF\" header)",
        QT_TRANSLATE_NOOP(
            "tintor::CQtMessageSink", "Adobe スウォッチ交換ファイルではありません (\"ASEF\" ヘッダーがありません)")},
    {"version %1 of the format is not known",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "形式のバージョン %1 は知らないものです")},
    {"block header cut short", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ブロックのヘッダーが途中で切れています")},
    {"block of %1 bytes runs past the end",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "%1 バイトのブロックがファイルの終わりを越えています")},
    {"colour entry ends before its name",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色のエントリーが名前の前で終わっています")},
    {"colour entry ends inside its name",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色のエントリーが名前の途中で終わっています")},
    {"unknown colour model %1", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "カラー モデル %1 は知らないものです")},
    {"colour entry ends inside its values",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色のエントリーが値の途中で終わっています")},
    {"colour value is not a number", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色の値が数ではありません")},
    {"a comment that never ends", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "コメントが閉じられていません")},
    {"%1 has the value %2, not a colour #rrggbb",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "%1 の値 %2 は色 #rrggbb ではありません")},
    {"no \"colours\" array of colours",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色の配列 \"colours\" がありません")},
    {"not valid JSON at byte %1, after %2",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "%1 バイト目 (%2 の後) が正しい JSON ではありません")},
    {"colour %1 is %2, not an object or \"#rrggbb\"",
        QT_TRANSLATE_NOOP(
            "tintor::CQtMessageSink", "色 %1 が%2です (オブジェクトか \"#rrggbb\" でなければなりません)")},
    {"\"rgb\" of colour %1 holds %2, not a number",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色 %1 の \"rgb\" に%2があります (数でなければなりません)")},
    {"\"%1\" of colour %2 is %3", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色 %2 の \"%1\" が%3です")},
    {"\"%1\" is %2, not an array",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "\"%1\" が%2です (配列でなければなりません)")},
    {"the file holds %1, not a palette",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ファイルの中身が%1で、パレットではありません")},
    {"\"rgb\" of colour %1 holds %2, not a whole number 0..255",
        QT_TRANSLATE_NOOP(
            "tintor::CQtMessageSink", "色 %1 の \"rgb\" に %2 があります (0..255 の整数でなければなりません)")},
    {"%1 of colour %2 is not a colour \"#rrggbb\"",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色 %2 の %1 は色 \"#rrggbb\" ではありません")},
    {"\"rgb\" of colour %1 holds %2 numbers, not 3",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色 %1 の \"rgb\" の数が %2 個です (3 個でなければなりません)")},
    {"colour %1 has neither \"hex\" nor \"rgb\"",
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "色 %1 に \"hex\" も \"rgb\" もありません")},
};

// The words the palette reader puts into its patterns for what it found.
const CoreText kCoreWords[] = {
    {"null", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", " null ")},
    {"true or false", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", " true か false ")},
    {"binary data", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "バイナリ データ")},
    {"a number", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "数")},
    {"a string", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "文字列")},
    {"an array", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "配列")},
    {"an object", QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "オブジェクト")},
};

const char* Find(std::span<const CoreText> table, std::string_view core)
{
    for (const CoreText& known : table)
        if (known.core == core)
            return known.text;
    return nullptr;
}

// The arguments into their places, in one pass, so that an argument
// holding "%2" stays as it is.
QString Fill(const QString& pattern, const QStringList& arguments)
{
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar next = i + 1 < pattern.size() ? pattern[i + 1] : QChar();
        const qsizetype n = next.unicode() - u'1';
        if (pattern[i] == u'%' && next >= u'1' && next <= u'9' && n < arguments.size()) {
            text += arguments[n];
            ++i;
        } else
            text += pattern[i];
    }
    return text;
}

// A box shown while the window is busy gets the ordinary cursor.
int Exec(QMessageBox& box)
{
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return answer;
}

void ShowBox(QMessageBox::Icon icon, const QString& text, const QString& details = QString())
{
    QMessageBox box(icon, QStringLiteral("Tintor"), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setInformativeText(details);
    Exec(box);
}

QString FileName(const std::filesystem::path& path) { return QDir::toNativeSeparators(ToQString(path)); }

// The system's reason in the user's language: its own words come localised
// already; the refusals of paths that are not files, and of links it will
// not follow, are the program's.
QString CodeText(const std::error_code& code)
{
    if (code.category() == make_error_code(FileErrc::Fifo).category()) {
        switch (static_cast<FileErrc>(code.value())) {
        case FileErrc::Fifo:
            return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "名前付きパイプ (FIFO) で、ファイルではありません"));
        case FileErrc::Device:
            return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "デバイスで、ファイルではありません"));
        case FileErrc::Socket:
            return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ソケットで、ファイルではありません"));
        case FileErrc::ForeignLink:
            return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink",
                "共有フォルダー (スティッキーで誰でも書き込める) "
                "にある他のユーザーのシンボリックリンクなので、たどりません"));
        }
    }
    return QString::fromLocal8Bit(code.message());
}

} // namespace

QString CQtMessageSink::Translated(std::string_view text)
{
    if (const char* known = Find(kCoreTexts, text))
        return Tr(known);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString CQtMessageSink::Translated(const MessageText& text)
{
    const char* known = Find(kCorePatterns, text.pattern);
    if (known == nullptr)
        return QString::fromStdString(text.Text());
    QStringList arguments;
    for (const std::string& argument : text.arguments) {
        const char* word = Find(kCoreWords, argument);
        arguments << (word != nullptr ? Tr(word) : QString::fromStdString(argument));
    }
    return Fill(Tr(known), arguments);
}

void CQtMessageSink::Show(std::string_view text) { ShowBox(QMessageBox::Warning, Translated(text)); }

void CQtMessageSink::ShowFileFailure(const FileFailure& failure)
{
    ShowBox(QMessageBox::Warning, FileFailureHeadline(failure), FileFailureReason(failure));
}

bool CQtMessageSink::AskKeepScript(const ScriptMismatch& mismatch)
{
    // With no line used there is nothing to keep: a notice, not a question.
    if (mismatch.used == 0) {
        ShowBox(QMessageBox::Warning, ScriptMismatchHeadline(mismatch), ScriptMismatchDetails(mismatch));
        return true;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tintor"), ScriptMismatchHeadline(mismatch),
        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    box.setInformativeText(ScriptMismatchDetails(mismatch));
    box.setDefaultButton(QMessageBox::Ok);
    return Exec(box) == QMessageBox::Ok;
}

QString CQtMessageSink::FileFailureHeadline(const FileFailure& failure)
{
    const QString text = failure.action == FileFailure::Action::Open
        ? Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ファイル “%1” を開けませんでした。"))
        : Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "ファイル “%1” を保存できませんでした。"));
    return text.arg(FileName(failure.path));
}

QString CQtMessageSink::FileFailureReason(const FileFailure& failure)
{
    QStringList lines;
    if (!failure.detailParts.empty()) {
        QStringList parts;
        for (const MessageText& part : failure.detailParts)
            parts << Translated(part);
        lines << parts.join(QStringLiteral(": "));
    } else {
        // A load may have said more than one thing, each on its own line.
        for (const QString& line : QString::fromStdString(failure.detail).split(u'\n', Qt::SkipEmptyParts))
            lines << Translated(line.toStdString());
    }
    if (failure.code)
        lines << CodeText(failure.code);
    return lines.join(u'\n');
}

QString CQtMessageSink::FileFailureText(const FileFailure& failure)
{
    const QString reason = FileFailureReason(failure);
    return reason.isEmpty() ? FileFailureHeadline(failure) : FileFailureHeadline(failure) + u'\n' + reason;
}

QString CQtMessageSink::ScriptMismatchHeadline(const ScriptMismatch& mismatch)
{
    if (mismatch.used == 0)
        return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "“%1” の色は、このムービーにひとつもありません。"))
            .arg(FileName(mismatch.path));
    return Translated(mismatch.warning);
}

QString CQtMessageSink::ScriptMismatchDetails(const ScriptMismatch& mismatch)
{
    if (mismatch.used == 0)
        return Tr(QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "見つからない行: %1。色は何も変わりません。"))
            .arg(mismatch.notFound);
    return Tr(
        QT_TRANSLATE_NOOP("tintor::CQtMessageSink",
            "“%1” の行のうち、使った行: %2、見つからない行: %3。\nOK で変更を残し、キャンセルで元の色に戻します。"))
        .arg(FileName(mismatch.path), QString::number(mismatch.used), QString::number(mismatch.notFound));
}

} // namespace tintor
