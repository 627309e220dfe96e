#include "window/qt_message_sink.h"

#include <QApplication>
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

} // namespace

QString CQtMessageSink::Translated(std::string_view text)
{
    const std::string source(text);
    return QCoreApplication::translate("tintor::CQtMessageSink", source.c_str());
}

void CQtMessageSink::Show(std::string_view text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tintor"), Translated(text), QMessageBox::Ok,
        QApplication::activeWindow());
    box.exec();
}

} // namespace tintor
