#include "window/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>

namespace tintor {

void CQtMessageSink::Show(std::string_view text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tintor"),
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
        QApplication::activeWindow());
    box.exec();
}

} // namespace tintor
