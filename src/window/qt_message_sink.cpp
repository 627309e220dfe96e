#include "window/qt_message_sink.h"

#include "core/file.h"
#include "window/qt_paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

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
};

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
    for (const CoreText& known : kCoreTexts)
        if (known.core == text)
            return Tr(known.text);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    // A load may have said more than one thing, each on its own line.
    for (const QString& line : QString::fromStdString(failure.detail).split(u'\n', Qt::SkipEmptyParts))
        lines << Translated(line.toStdString());
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
