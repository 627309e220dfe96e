// The colour view's selection tools on a real document: the perceptual
// switch and the history, the swatch menu's similar colours, tolerance and
// locks (with their mark), Alt+Shift+click and the hue dialog.
#include "window_test_support.h"

#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "testkit/recording_sink.h"
#include "views/colour_view.h"
#include "views/colour_view_delegate.h"
#include "views/hue_range_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <set>

namespace tintor::test {
namespace {

constexpr std::uint32_t kRed = Rgb(0xFF, 0x00, 0x00);
constexpr std::uint32_t kDarkRed = Rgb(0xDC, 0x18, 0x18); // ΔE 6.8 from red
constexpr std::uint32_t kOrange = Rgb(0xFF, 0x80, 0x00);  // ΔE 15.5 from red
constexpr std::uint32_t kBlue = Rgb(0x00, 0x00, 0xFF);
constexpr std::uint32_t kGrey = Rgb(0x80, 0x80, 0x80);

struct CSession {
    CRecordingSink messages;
    CScriptedDialogs dialogs;
    CTintorDoc doc{messages, dialogs};
    CColorView view{doc};

    explicit CSession(const std::filesystem::path& movie)
    {
        doc.AttachViews(&view, nullptr);
        doc.OnNewDocument();
        doc.OnOpenDocument(movie);
        view.OnInitialUpdate();
        view.resize(300, 560);
        view.show();
    }
    ~CSession() { doc.AttachViews(nullptr, nullptr); }

    int Row(std::uint32_t rgb) const
    {
        for (int row = 0; row < view.Count(); ++row)
            if (RgbOf(view.KeyAt(row)) == rgb)
                return row;
        return -1;
    }
    void Press(std::uint32_t rgb, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = view.List()->visualRect(view.List()->model()->index(Row(rgb), 0)).center();
        // Sent to the list itself: a real right press would also open the
        // swatch's menu, which waits for the user.
        QMouseEvent press(
            QEvent::MouseButtonPress, at, view.List()->viewport()->mapToGlobal(at), button, button, modifiers);
        QApplication::sendEvent(view.List()->viewport(), &press);
        QMouseEvent release(
            QEvent::MouseButtonRelease, at, view.List()->viewport()->mapToGlobal(at), button, Qt::NoButton, modifiers);
        QApplication::sendEvent(view.List()->viewport(), &release);
    }
    // The colour as the table has it, and as the movie's bytes hold it.
    std::uint32_t TableColour(std::uint32_t rgb) const { return RgbOf(doc.GetColor(KIND_FILL | rgb, 1)); }
    std::set<std::uint32_t> MovieColours(std::uint32_t rgb) const
    {
        std::set<std::uint32_t> colours;
        const auto bytes = doc.GetMovie().Buffer();
        for (const std::uint32_t p : doc.GetMovie().Colors().PositionsOf(KIND_FILL | rgb))
            colours.insert(Rgb(bytes[p], bytes[p + 1], bytes[p + 2]));
        return colours;
    }
    std::set<std::uint32_t> Selected() const
    {
        std::set<std::uint32_t> colours;
        for (int row = 0; row < view.Count(); ++row)
            if (view.IsRowSelected(row))
                colours.insert(RgbOf(view.KeyAt(row)));
        return colours;
    }
    // The swatch menu's item of that name for the colour's swatch, triggered.
    void Trigger(std::uint32_t rgb, const char* item)
    {
        QMenu menu;
        view.AddSelectionActions(menu, Row(rgb));
        auto* action = menu.findChild<QAction*>(QString::fromLatin1(item));
        QVERIFY(action != nullptr);
        action->trigger();
    }
};

} // namespace

class CSelectionToolsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_movie;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        m_movie = m_dir.filePath(QStringLiteral("tools.swf")).toStdString();
        QVERIFY(WriteFile(
            m_movie, CColourMovie().Background(kGrey).Shape(kRed).Shape(kDarkRed).Shape(kOrange).Shape(kBlue).Build()));
    }

    void init() { QSettings(QStringLiteral("Reru Zuvidivi"), QStringLiteral("Tintor")).clear(); }

    void perceptualSwitchFollowsTheTableThroughUndo()
    {
        CSession s(m_movie);
        QVERIFY(!s.view.PerceptualCheck()->isChecked());
        QTest::mouseClick(s.view.List()->viewport(), Qt::LeftButton, Qt::NoModifier,
            s.view.List()->visualRect(s.view.List()->model()->index(s.Row(kBlue), 0)).center());
        s.view.PerceptualCheck()->click();
        QCOMPARE(s.doc.GetColorTable().Space(), EffectSpace::OkLch);
        s.view.HueSlider()->setValue(150);
        s.view.ApplyButton()->click();
        QCOMPARE(s.doc.GetHistory().GetUndoCount(), 1);
        s.doc.OnEditUndo();
        QVERIFY(!s.view.PerceptualCheck()->isChecked());
        s.doc.OnEditRedo();
        QVERIFY(s.view.PerceptualCheck()->isChecked());
    }

    void similarColoursTakeTheToleranceAndPassLocksBy()
    {
        CSession s(m_movie);
        QCOMPARE(CColorView::SimilarTolerance(), 8);
        s.Trigger(kRed, "selectSimilar");
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kDarkRed}));

        // The tolerance set in the menu stays for the next menu.
        {
            QMenu menu;
            s.view.AddSelectionActions(menu, s.Row(kRed));
            auto* spin = menu.findChild<QSpinBox*>(QStringLiteral("similarTolerance"));
            QVERIFY(spin != nullptr);
            QCOMPARE(spin->value(), 8);
            spin->setValue(20);
        }
        QCOMPARE(CColorView::SimilarTolerance(), 20);
        s.view.OnEditDeselect();
        s.Trigger(kDarkRed, "lockColour");
        QVERIFY(s.view.IsRowLocked(s.Row(kDarkRed)));
        s.Trigger(kRed, "selectSimilar");
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kOrange}));
        s.view.OnEditSelectAll();
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kOrange, kBlue, kGrey}));

        // Alt+Shift+click: the nearest colour to the pixel and its similar ones.
        s.view.OnEditDeselect();
        s.view.SelectSimilarToPick(Rgb(0xFA, 0x04, 0x02));
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kOrange}));
        QCOMPARE(s.view.PickedColour(), std::optional<std::uint32_t>(Rgb(0xFA, 0x04, 0x02)));

        // The menu offers to unlock a locked colour; a click still selects it.
        s.Trigger(kDarkRed, "lockColour");
        QVERIFY(!s.view.IsRowLocked(s.Row(kDarkRed)));
    }

    void aLockedColourSurvivesEveryEdit()
    {
        const auto palette = std::filesystem::path(m_dir.filePath(QStringLiteral("one.gpl")).toStdString());
        QVERIFY(WriteFile(palette,
            {'G', 'I', 'M', 'P', ' ', 'P', 'a', 'l', 'e', 't', 't', 'e', '\n', '1', ' ', '2', ' ', '3', '\n'}));
        const auto script = std::filesystem::path(m_dir.filePath(QStringLiteral("both.iro")).toStdString());
        const std::string text = "[TINTOR SCRIPT]\n@fill #0000ff -> #654321\n@fill #ff0000 -> #123456\n[END]\n";
        QVERIFY(WriteFile(script, {text.begin(), text.end()}));
        // Each after Select All, the file dialog answered with the palette or script.
        const struct {
            const char* name;
            std::function<void(CSession&)> edit;
        } edits[] = {
            {"apply", [](CSession& s) { s.view.HueSlider()->setValue(150), s.view.ApplyButton()->click(); }},
            {"set colour", [](CSession& s) { s.doc.SetSelectedColor(Rgb(1, 2, 3)); }},
            {"map to palette", [](CSession& s) { s.doc.MapSelectedToPaletteFile(PaletteMatch::Nearest); }},
            {"colour script", [](CSession& s) { s.doc.LoadTable(); }},
        };
        for (const auto& e : edits) {
            CSession s(m_movie);
            // Selected by a click, then locked: the list still shows it selected.
            s.Press(kRed, Qt::LeftButton);
            s.Trigger(kRed, "lockColour");
            QVERIFY(s.view.IsRowSelected(s.Row(kRed)));
            s.view.OnEditSelectAll();
            s.dialogs.answers.push_back(e.name == std::string("colour script") ? script : palette);
            e.edit(s);
            QVERIFY2(s.TableColour(kBlue) != kBlue, e.name); // the edit was made
            QVERIFY2(s.TableColour(kRed) == kRed, e.name);
            QVERIFY2(s.MovieColours(kRed) == std::set<std::uint32_t>{kRed}, e.name);
            QVERIFY2(s.view.IsRowLocked(s.Row(kRed)), e.name);
        }
    }

    void aRightClickKeepsTheSelectionOrTakesItsSwatchAlone()
    {
        CSession s(m_movie);
        s.Press(kRed, Qt::LeftButton);
        s.Press(kBlue, Qt::LeftButton, Qt::ControlModifier);
        s.Press(kRed, Qt::RightButton);
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kBlue}));
        s.Trigger(kRed, "selectSimilar"); // adds to the selection kept
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kBlue, kDarkRed}));
        s.Press(kOrange, Qt::RightButton);
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kOrange}));
    }

    void aLockedSwatchShowsItsPadlock()
    {
        CSession s(m_movie);
        const int row = s.Row(kGrey);
        const QRect item = s.view.List()->visualRect(s.view.List()->model()->index(row, 0));
        const QImage before = Grab(*s.view.List()->viewport()).copy(item);
        s.view.SetLocked(row, true);
        const QImage after = Grab(*s.view.List()->viewport()).copy(item);
        int changed = 0, black = 0;
        for (int y = 0; y < item.height(); ++y)
            for (int x = 0; x < item.width(); ++x) {
                changed += before.pixel(x, y) != after.pixel(x, y);
                black += qGray(after.pixel(x, y)) < 40 && qGray(before.pixel(x, y)) > 100;
            }
        // A mark, small against the swatch, in black that shows on grey.
        QVERIFY(black >= 20);
        QVERIFY(changed < item.width() * item.height() / 4);
        // The right half of the swatch: its label stays readable on the left.
        QCOMPARE(PixelAt(after, QPoint(item.width() / 4, item.height() / 2)),
            PixelAt(before, QPoint(item.width() / 4, item.height() / 2)));

        // Selected, it keeps the whole padlock (its black in the swatch's
        // lower right quarter) beside the check.
        const QRect swatch = CColorSwatchDelegate::SwatchRect(QRect(QPoint(), item.size()));
        const auto count = [&](const QImage& image, QRect area, QRgb colour) {
            int n = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    n += image.pixel(x, y) == colour;
            return n;
        };
        const QRect lock = swatch.adjusted(swatch.width() / 2, swatch.height() / 2, 0, 0);
        s.Press(kGrey, Qt::LeftButton);
        const QImage selected = Grab(*s.view.List()->viewport()).copy(item);
        QCOMPARE(count(selected, lock, qRgb(0, 0, 0)), count(after, lock, qRgb(0, 0, 0)));
        QVERIFY(count(selected, QRect(item.width() / 2, 0, item.width() / 2, item.height() / 2),
                    CColorSwatchDelegate::kMarkColour.rgb())
            >= 10);
    }

    void hueDialogKeepsItsRangeAndSelectsWrappingHues()
    {
        {
            CHueRangeDialog dialog;
            QCOMPARE(dialog.Range().from, 0.0);
            QCOMPARE(dialog.Range().to, 60.0);
            dialog.FromBox()->setValue(250);
            dialog.ToBox()->setValue(40);
            dialog.accept();
        }
        CHueRangeDialog again;
        QCOMPARE(again.Range().from, 250.0);
        QCOMPARE(again.Range().to, 40.0);

        CSession s(m_movie);
        s.view.SetLocked(s.Row(kDarkRed), true);
        s.view.SelectHues(again.Range());
        // Red (29°) and blue (264°), not orange (53°), dark red locked, grey never.
        QCOMPARE(s.Selected(), (std::set<std::uint32_t>{kRed, kBlue}));
    }
};

} // namespace tintor::test

QTEST_MAIN(tintor::test::CSelectionToolsTest)
#include "window_selection_tools_test.moc"
