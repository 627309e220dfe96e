#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

#include <memory>
#include <optional>

namespace tintor {

// The languages of the window. Its texts are written in Japanese; English
// comes from the program's translation.
enum class UiLanguage { Japanese, English };

// Puts the window in one language: the program's own translation and Qt's
// (file dialogs, standard buttons) for it. Which language a run starts in:
// --lang, else the View menu's choice kept in the settings, else the
// system's locale (Japanese locales Japanese, any other English).
class CLanguage {
public:
    CLanguage();
    ~CLanguage();
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    // "ja" or "en"; nullopt for anything else.
    static std::optional<UiLanguage> Parse(const QString& code);
    static QString Code(UiLanguage language);
    static UiLanguage FromLocale(const QLocale& locale);
    static UiLanguage Choose(std::optional<UiLanguage> commandLine, std::optional<UiLanguage> chosen,
        const QLocale& system = QLocale::system());

    // The View menu's choice; nullopt follows the system.
    static std::optional<UiLanguage> Chosen();
    static void SetChosen(std::optional<UiLanguage> language);

    // Installs the translations of the language (replacing those of the
    // one before); every widget is told through a LanguageChange event.
    // False when the program's own translation was not found: the window
    // then stays in Japanese.
    bool Use(UiLanguage language);
    UiLanguage Current() const { return m_current; }
    // Where the program's translations were looked for, for the message
    // shown when they are missing.
    static QString SearchDescription();

private:
    void Remove();

    std::unique_ptr<QTranslator> m_program;
    std::unique_ptr<QTranslator> m_qt;
    UiLanguage m_current = UiLanguage::Japanese;
};

} // namespace tintor
