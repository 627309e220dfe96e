#include "window/qt_frame_prompts.h"

#include "views/hue_range_dialog.h"
#include "window/qt_toolbar_icons.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace tintor {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CQtFramePrompts", text); }

} // namespace

IFramePrompts::SaveAnswer CQtFramePrompts::AskSaveChanges(QWidget* parent, const QString& title)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tintor"),
        Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "%1 への変更を保存しますか?")).arg(title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    // The answers in the language of the question, whatever translations Qt has.
    box.button(QMessageBox::Yes)->setText(Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "はい(&Y)")));
    box.button(QMessageBox::No)->setText(Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "いいえ(&N)")));
    box.button(QMessageBox::Cancel)->setText(Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "キャンセル")));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return SaveAnswer::Save;
    case QMessageBox::No:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}

void CQtFramePrompts::ShowAbout(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "Tintor のﾊﾞｰｼﾞｮﾝ情報")));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(MakeApplicationIcon().pixmap(32, 32));
    auto* text = new QLabel(
        Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "Tintor バージョン %1\nSWF ムービーの色だけを変えるツール"))
            .arg(QStringLiteral(TINTOR_VERSION)),
        &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(text, 0, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    dialog.exec();
}

std::optional<QColor> CQtFramePrompts::AskColor(QWidget* parent, const QColor& initial)
{
    // Qt's own dialog, which speaks the window's language; the desktop's
    // would speak the system's.
    const QColor chosen = QColorDialog::getColor(initial, parent,
        QCoreApplication::translate("tintor::CQtFramePrompts", "色を指定"), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

bool CQtFramePrompts::ConfirmNotice(QWidget* parent, const QString& text)
{
    QMessageBox box(
        QMessageBox::Information, QStringLiteral("Tintor"), text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.button(QMessageBox::Cancel)->setText(Tr(QT_TRANSLATE_NOOP("tintor::CQtFramePrompts", "キャンセル")));
    // A save shows the wait cursor; the box wants the ordinary one.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return answer == QMessageBox::Ok;
}

std::optional<HueRange> CQtFramePrompts::AskHueRange(QWidget* parent)
{
    CHueRangeDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Range();
}

} // namespace tintor
