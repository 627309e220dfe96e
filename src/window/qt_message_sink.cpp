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

// The core's messages for the user, which it writes in Japanese without
// knowing of translations: listed here so that they are translated. Its
// internal English messages are shown as they are.
[[maybe_unused]] const char* const kCoreTexts[] = {
    QT_TRANSLATE_NOOP("tintor::CQtMessageSink", "見つからない色があるんですけど……いいですか？"),
};

void ShowBox(const QString& text)
{
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Tintor"), text, QMessageBox::Ok, QApplication::activeWindow());
    // A box shown while the window is busy gets the ordinary cursor.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
}

// The reason in the user's language: the system's own words come localised
// already; the refusals of paths that are not files are the program's.
QString ReasonText(const FileFailure& failure)
{
    if (failure.code && failure.code.category() == make_error_code(FileErrc::Fifo).category()) {
        switch (static_cast<FileErrc>(failure.code.value())) {
        case FileErrc::Fifo:
            return QCoreApplication::translate(
                "tintor::CQtMessageSink", "名前付きパイプ (FIFO) で、ファイルではありません");
        case FileErrc::Device:
            return QCoreApplication::translate("tintor::CQtMessageSink", "デバイスで、ファイルではありません");
        case FileErrc::Socket:
            return QCoreApplication::translate("tintor::CQtMessageSink", "ソケットで、ファイルではありません");
        }
    }
    return QString::fromLocal8Bit(failure.Reason());
}

} // namespace

QString CQtMessageSink::Translated(std::string_view text)
{
    const std::string source(text);
    return QCoreApplication::translate("tintor::CQtMessageSink", source.c_str());
}

void CQtMessageSink::Show(std::string_view text) { ShowBox(Translated(text)); }

void CQtMessageSink::ShowFileFailure(const FileFailure& failure) { ShowBox(FileFailureText(failure)); }

QString CQtMessageSink::FileFailureText(const FileFailure& failure)
{
    const QString file = QDir::toNativeSeparators(ToQString(failure.path));
    const QString text = failure.action == FileFailure::Action::Open
        ? QCoreApplication::translate("tintor::CQtMessageSink", "ファイル “%1” を開けませんでした: %2")
        : QCoreApplication::translate("tintor::CQtMessageSink", "ファイル “%1” を保存できませんでした: %2");
    return text.arg(file, ReasonText(failure));
}

} // namespace tintor
