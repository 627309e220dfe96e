#include "window/qt_message_sink.h"

#include "core/file.h"
#include "window/qt_paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

namespace tintor {

namespace {

void ShowBox(const QString& text)
{
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Tintor"), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

// The reason in the user's language: the system's own words come localised
// already; the refusals of paths that are not files are the program's.
QString ReasonText(const FileFailure& failure)
{
    if (failure.code && failure.code.category() == make_error_code(FileErrc::Fifo).category()) {
        switch (static_cast<FileErrc>(failure.code.value())) {
        case FileErrc::Fifo:
            return QCoreApplication::translate("CQtMessageSink", "名前付きパイプ (FIFO) で、ファイルではありません");
        case FileErrc::Device:
            return QCoreApplication::translate("CQtMessageSink", "デバイスで、ファイルではありません");
        case FileErrc::Socket:
            return QCoreApplication::translate("CQtMessageSink", "ソケットで、ファイルではありません");
        }
    }
    return QString::fromLocal8Bit(failure.Reason());
}

} // namespace

void CQtMessageSink::Show(std::string_view text)
{
    ShowBox(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void CQtMessageSink::ShowFileFailure(const FileFailure& failure) { ShowBox(FileFailureText(failure)); }

QString CQtMessageSink::FileFailureText(const FileFailure& failure)
{
    const QString file = QDir::toNativeSeparators(ToQString(failure.path));
    const QString text = failure.action == FileFailure::Action::Open
        ? QCoreApplication::translate("CQtMessageSink", "ファイル “%1” を開けませんでした: %2")
        : QCoreApplication::translate("CQtMessageSink", "ファイル “%1” を保存できませんでした: %2");
    return text.arg(file, ReasonText(failure));
}

} // namespace tintor
