#include "window/qt_language.h"

#include "views/data_folders.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>

namespace tintor {

namespace {

// Beside the recent-file list, under the same organisation and application.
constexpr auto kOrganisation = "Reru Zuvidivi";
constexpr auto kApplication = "Tintor";
constexpr auto kLanguageKey = "Settings/Language";
constexpr auto kTranslationsFolder = "translations";

QSettings Settings() { return QSettings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)); }

QLocale LocaleOf(UiLanguage language)
{
    return language == UiLanguage::Japanese ? QLocale(QLocale::Japanese, QLocale::Japan)
                                            : QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace

CLanguage::CLanguage() = default;

CLanguage::~CLanguage() { Remove(); }

std::optional<UiLanguage> CLanguage::Parse(const QString& code)
{
    if (code == u"ja")
        return UiLanguage::Japanese;
    if (code == u"en")
        return UiLanguage::English;
    return std::nullopt;
}

QString CLanguage::Code(UiLanguage language)
{
    return language == UiLanguage::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

UiLanguage CLanguage::FromLocale(const QLocale& locale)
{
    // The language of messages, which may differ from that of numbers and dates.
    const QStringList languages = locale.uiLanguages();
    const QLocale first = languages.isEmpty() ? locale : QLocale(languages.front());
    return first.language() == QLocale::Japanese ? UiLanguage::Japanese : UiLanguage::English;
}

UiLanguage CLanguage::Choose(
    std::optional<UiLanguage> commandLine, std::optional<UiLanguage> chosen, const QLocale& system)
{
    if (commandLine)
        return *commandLine;
    if (chosen)
        return *chosen;
    return FromLocale(system);
}

std::optional<UiLanguage> CLanguage::Chosen()
{
    return Parse(Settings().value(QString::fromLatin1(kLanguageKey)).toString());
}

void CLanguage::SetChosen(std::optional<UiLanguage> language)
{
    if (language)
        Settings().setValue(QString::fromLatin1(kLanguageKey), Code(*language));
    else
        Settings().remove(QString::fromLatin1(kLanguageKey));
}

QString CLanguage::SearchDescription()
{
    return DataFolders(QString::fromLatin1(kTranslationsFolder)).join(QStringLiteral(", "));
}

bool CLanguage::Use(UiLanguage language)
{
    Remove();
    m_current = language;
    const QLocale locale = LocaleOf(language);
    QLocale::setDefault(locale);
    bool found = true;
    // The texts are written in Japanese: only other languages need the
    // program's translation.
    if (language != UiLanguage::Japanese) {
        found = false;
        auto program = std::make_unique<QTranslator>();
        for (const QString& folder : DataFolders(QString::fromLatin1(kTranslationsFolder))) {
            if (program->load(locale, QStringLiteral("tintor"), QStringLiteral("_"), folder)) {
                QCoreApplication::installTranslator(program.get());
                m_program = std::move(program);
                found = true;
                break;
            }
        }
    }
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        m_qt = std::move(qt);
    }
    if (!m_program && !m_qt) {
        // Nothing was installed, so nothing told the widgets.
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
    return found;
}

void CLanguage::Remove()
{
    if (m_program)
        QCoreApplication::removeTranslator(m_program.get());
    if (m_qt)
        QCoreApplication::removeTranslator(m_qt.get());
    m_program.reset();
    m_qt.reset();
}

} // namespace tintor
