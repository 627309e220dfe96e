#include "views/preview_page.h"

#include <QDebug>
#include <QStringList>
#include <QStringView>

namespace tintor {

namespace {

constexpr QStringView kReportPrefix = u"tintor:";

} // namespace

CPreviewPage::CPreviewPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

void CPreviewPage::javaScriptConsoleMessage(
    JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber, const QString& sourceID)
{
    if (!message.startsWith(kReportPrefix)) {
        if (level == ErrorMessageLevel)
            qWarning().noquote() << "preview:" << sourceID << lineNumber << message;
        return;
    }
    // "tintor:<what> <generation>[ <detail>]"
    const QStringView report = QStringView(message).mid(kReportPrefix.size());
    const qsizetype space = report.indexOf(u' ');
    const QStringView what = report.left(space);
    const QStringView rest = space < 0 ? QStringView() : report.mid(space + 1);
    const qsizetype detailAt = rest.indexOf(u' ');
    bool ok = false;
    const int generation = rest.left(detailAt).toInt(&ok);
    if (!ok)
        return;
    const QString detail = detailAt < 0 ? QString() : rest.mid(detailAt + 1).toString();
    if (what == u"ready") {
        emit playerReady();
    } else if (what == u"shown") {
        // "<renderer> <width> <height>"
        const QStringList parts = detail.split(u' ');
        const QSizeF stage = parts.size() == 3 ? QSizeF(parts[1].toDouble(), parts[2].toDouble()) : QSizeF();
        emit movieShown(generation, parts.value(0), stage);
    } else if (what == u"failed") {
        emit movieFailed(generation, detail);
    } else if (what == u"original") {
        emit originalReady(generation);
    } else if (what == u"aside") {
        emit asideShown(generation);
    } else if (what == u"asidefailed") {
        emit asideFailed(generation, detail);
    }
}

bool CPreviewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // The preview only ever shows our own page or a blank one, as the view
    // asks; a movie's links and forms would take the player away.
    if (type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted)
        return false;
    if (!isMainFrame)
        return url.isLocalFile() || url.scheme() == u"about";
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

} // namespace tintor
