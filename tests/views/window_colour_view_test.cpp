// The colour list view on a real document: the list's order and painting,
// clicks and the table's selection, the sliders, Apply, undo and the picker.
#include "window_test_support.h"

#include "colour/colour.h"
#include "core/messages.h"
#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "testkit/action_writer.h"
#include "testkit/recording_sink.h"
#include "views/colour_view.h"
#include "views/colour_view_delegate.h"
#include "views/list_arranger.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <algorithm>
#include <memory>
#include <set>

namespace tintor::test {
namespace {

constexpr std::uint32_t kBackground = Rgb(0xF0, 0xF0, 0xE0);
constexpr std::uint32_t kRed = Rgb(0xE0, 0x30, 0x30);
constexpr std::uint32_t kBlue = Rgb(0x20, 0x40, 0xC0);
constexpr std::uint32_t kDark = Rgb(0x10, 0x10, 0x10);
constexpr std::uint32_t kGreen = Rgb(0x30, 0xA0, 0x40);

std::uint32_t Lightness(std::uint32_t rgb) { return (CColor(rgb).ToHls() >> 16) & 0xFF; }

// A grey (or, failing that, any colour) whose lightness byte is exactly l.
std::optional<std::uint32_t> ColourOfLightness(std::uint32_t l)
{
    for (std::uint32_t v = 0; v < 256; ++v)
        if (Lightness(Rgb(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v)))
            == l)
            return Rgb(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v));
    for (std::uint32_t c = 0; c < 0x1000000; c += 97)
        if (Lightness(c) == l)
            return c;
    return std::nullopt;
}

// A document with the colour view as its first view, on screen.
struct CSession {
    CRecordingSink messages;
    CScriptedDialogs dialogs;
    CTintorDoc doc{messages, dialogs};
    CColorView view{doc};

    CSession()
    {
        doc.AttachViews(&view, nullptr);
        doc.OnNewDocument();
        view.OnInitialUpdate();
        view.resize(300, 560);
        view.show();
    }
    ~CSession() { doc.AttachViews(nullptr, nullptr); }

    bool Open(const std::filesystem::path& path)
    {
        const bool opened = doc.OnOpenDocument(path);
        view.OnInitialUpdate();
        return opened;
    }

    int Row(std::uint32_t key) const
    {
        for (int row = 0; row < view.Count(); ++row)
            if (view.KeyAt(row) == key)
                return row;
        return -1;
    }
    QRect ItemRect(int row) const { return view.List()->visualRect(view.List()->model()->index(row, 0)); }
    void Click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(view.List()->viewport(), Qt::LeftButton, modifiers, ItemRect(row).center());
    }

    std::set<std::uint32_t> TableSelection() const
    {
        std::set<std::uint32_t> keys;
        doc.GetColorTable().Map().ForEach([&](std::uint32_t key, std::uint32_t value) {
            if (value & kSelectedBit)
                keys.insert(key);
        });
        return keys;
    }
    std::set<std::uint32_t> ListSelection() const
    {
        std::set<std::uint32_t> keys;
        for (int row = 0; row < view.Count(); ++row)
            if (view.IsRowSelected(row))
                keys.insert(view.KeyAt(row));
        return keys;
    }
    int UndoCount() const { return doc.GetHistory().GetUndoCount(); }

    // The swatch of a row as painted on screen, in list coordinates.
    QImage ListImage() { return Grab(*view.List()->viewport()); }
    std::uint32_t SwatchPixel(int row) { return PixelAt(ListImage(), ItemRect(row).center() + QPoint(8, 4)); }
};

} // namespace

class CColorViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_movie;
    std::uint32_t m_grey111 = 0;
    std::uint32_t m_grey112 = 0;

    std::filesystem::path Path(const char* name) const
    {
        return std::filesystem::path(m_dir.filePath(QString::fromLatin1(name)).toStdString());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const auto dark = ColourOfLightness(111);
        const auto light = ColourOfLightness(112);
        QVERIFY(dark && light);
        m_grey111 = *dark;
        m_grey112 = *light;
        m_movie = Path("colours.swf");
        QVERIFY(WriteFile(m_movie,
            CColourMovie()
                .Background(kBackground)
                .Shape(kRed, kRed)
                .Shape(kBlue, kDark)
                .Text(kGreen)
                .Shape(kGreen, m_grey111)
                .Shape(kDark, m_grey112)
                .Build()));
    }

    void startsEmptyWithNeutralControls()
    {
        CSession s;
        QCOMPARE(s.view.Count(), 0);
        for (QSlider* slider : {s.view.HueSlider(), s.view.SaturationSlider(), s.view.ValueSlider()}) {
            QCOMPARE(slider->minimum(), 0);
            QCOMPARE(slider->maximum(), 200);
            QCOMPARE(slider->pageStep(), 25);
            QCOMPARE(slider->value(), 100);
        }
        for (QLabel* label : {s.view.HueLabel(), s.view.SaturationLabel(), s.view.ValueLabel()})
            QCOMPARE(label->text(), QStringLiteral("0"));
        QVERIFY(!s.view.UnifyCheck()->isChecked());
        QCOMPARE(s.view.UnifyCheck()->text(), QStringLiteral("色彩の統一(&O)"));
        QCOMPARE(s.view.ApplyButton()->text(), QStringLiteral("適用(&A) >>"));
    }

    void listIsSortedByLightnessThenHue()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const auto& table = s.doc.GetColorTable();
        QCOMPARE(static_cast<std::size_t>(s.view.Count()), table.Map().Size());
        QCOMPARE(table.Map().Size(), std::size_t{10});
        QString previous;
        for (int row = 0; row < s.view.Count(); ++row) {
            const std::uint32_t key = s.view.KeyAt(row);
            QVERIFY(table.Map().Find(key));
            const QString text = s.view.List()->model()->index(row, 0).data().toString();
            QCOMPARE(text, QString::asprintf("%08x", CColor(key).ToHls() & 0x00FF00FFu));
            QVERIFY2(previous <= text, qPrintable(previous + QStringLiteral(" > ") + text));
            previous = text;
        }
        // The same colour as fill and as line: two items with one sort text, side by side.
        const int fill = s.Row(kRed | KIND_FILL);
        const int line = s.Row(kRed | KIND_LINE);
        QVERIFY(fill >= 0 && line >= 0);
        QCOMPARE(std::abs(fill - line), 1);
    }

    void swatchesShowColourAndKindLabel()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        QTest::qWait(50);
        const QImage image = s.ListImage();
        const auto swatch
            = [&](std::uint32_t key) { return image.copy(s.ItemRect(s.Row(key)).adjusted(4, 4, -4, -4)); };
        // How many pixels differ from the swatch colour, and the most extreme one.
        const auto labelPixels = [&](std::uint32_t key, int& lighter, int& darker) {
            const QImage part = swatch(key);
            const int base = qGray(part.pixel(part.width() - 1, part.height() - 1));
            lighter = darker = 0;
            for (int y = 0; y < part.height(); ++y)
                for (int x = 0; x < part.width(); ++x) {
                    const int g = qGray(part.pixel(x, y));
                    lighter += g > base + 40;
                    darker += g < base - 40;
                }
        };
        int lighter = 0;
        int darker = 0;
        for (std::uint32_t key : {kRed | KIND_FILL, kBlue | KIND_FILL, kGreen | KIND_FILL}) {
            const QImage part = swatch(key);
            QCOMPARE(PixelAt(part, QPoint(0, 0)), key & kColourMask);
            labelPixels(key, lighter, darker);
            QCOMPARE(lighter + darker, 0);
        }
        for (std::uint32_t key : {kRed | KIND_LINE, kGreen | KIND_TEXT, kBackground | KIND_BG, kDark | KIND_LINE}) {
            QCOMPARE(PixelAt(swatch(key), QPoint(swatch(key).width() - 1, 0)), key & kColourMask);
            labelPixels(key, lighter, darker);
            QVERIFY2(lighter + darker > 5, qPrintable(QString::number(key, 16)));
        }
        // Labels turn from white to black at lightness 112.
        labelPixels(m_grey111 | KIND_LINE, lighter, darker);
        QVERIFY(lighter > 5 && darker == 0);
        labelPixels(m_grey112 | KIND_LINE, lighter, darker);
        QVERIFY(darker > 5 && lighter == 0);
    }

    void everyKindsLabelFitsItsSwatch()
    {
        CSession s;
        const CColorSwatchDelegate delegate(s.doc);
        const QRect swatch = CColorSwatchDelegate::SwatchRect(
            QRect(0, 0, CColorSwatchDelegate::kItemWidth, CColorSwatchDelegate::kItemHeight));
        // As the core writes the label, and as the window's language does;
        // a long one is condensed to fit, the short ones are not.
        for (const ColorKindInfo& kind : kColorKinds)
            for (const QString& label : {QString::fromLatin1(kind.label.data(), kind.label.size()),
                     CColorSwatchDelegate::LabelText(kind.label)}) {
                const QFont font = delegate.LabelFontFor(label, swatch.width() - kind.labelX);
                QVERIFY2(
                    font == delegate.LabelFont() || (label == QStringLiteral("スクリプト") && font.stretch() >= 50),
                    qPrintable(label));
                const QFontMetrics metrics(font);
                const QRect ink = metrics.boundingRect(label);
                QVERIFY2(kind.labelX + ink.right() < swatch.width(), qPrintable(label));
                QVERIFY2(kind.labelY + metrics.ascent() + metrics.descent() <= swatch.height(), qPrintable(label));
            }
    }

    void notesSayWhatStaysAndWhichTintsKeptTheirColour()
    {
        const auto movie = Path("leftovers.swf");
        QVERIFY(WriteFile(movie, BuildLeftoversMovie()));
        CSession s;
        QVERIFY(!s.view.AccountLabel()->isVisibleTo(&s.view));
        QVERIFY(s.Open(movie));
        QVERIFY(s.view.AccountLabel()->isVisibleTo(&s.view));
        QCOMPARE(s.view.AccountLabel()->text(),
            QStringLiteral("このムービーにはほかに ビットマップ 1 個、カラーマトリックスフィルター 1 個、"
                           "色合いでないカラー変換 1 個、ほかの色を入れる余地のない色合い 1 か所、"
                           "#rrggbb 以外の形の HTML の色 1 個、描画するスクリプト、ビデオ があります — "
                           "これらの色はそのままです"));
        QVERIFY(s.view.AccountLabel()->toolTip().contains(
            QStringLiteral("DefineBitsLossless: ビットマップ 1 個、12 バイト (読み取れないデータ)")));
        QVERIFY(
            s.view.AccountLabel()->toolTip().contains(QStringLiteral("DoAction: 描画するスクリプト 1 個 (beginFill)")));
        QVERIFY(!s.view.KeptLabel()->isVisibleTo(&s.view));

        constexpr std::uint32_t kTint = KIND_TINT | 0x800040;
        QCOMPARE(s.view.SwatchToolTip(s.Row(kTint)), QStringLiteral("色合い #400080\n1 か所で使われています"));
        s.Click(s.Row(kTint));
        s.doc.SetSelectedColor(0xFFFFFF);
        QVERIFY(s.view.KeptLabel()->isVisibleTo(&s.view));
        QCOMPARE(
            s.view.KeptLabel()->text(), QStringLiteral("色合い 1 か所は新しい色を入れる余地がなく、元の色のままです"));
        QCOMPARE(s.view.KeptLabel()->toolTip(), QStringLiteral("#400080 → #ffffff: 1 か所が元の色のまま"));
        s.doc.OnEditUndo();
        QVERIFY(!s.view.KeptLabel()->isVisibleTo(&s.view));
    }

    void aScriptColourNamesItsCallsAndSaysWhenItKeptItsValue()
    {
        // One push that setRGB takes and gotoAndStop uses as a number.
        CActionWriter w;
        w.PushOne(ActionValue::Int(0xE03030));
        w.StoreRegister(1);
        w.CallMethod("c", "setRGB", {ActionValue::Reg(1)});
        w.CallMethod("mc", "beginFill", {ActionValue::Reg(1)});
        const std::uint8_t flags[] = {0};
        w.Action(0x9F, flags); // GotoFrame2
        const auto movie = Path("script.swf");
        QVERIFY(WriteFile(movie, ActionMovie(w.Take())));
        CSession s;
        QVERIFY(s.Open(movie));
        QVERIFY(s.view.AccountLabel()->text().contains(QStringLiteral("数としても使われるスクリプトの定数 1 個")));
        const int row = s.Row(KIND_SCRIPT | kRed);
        QCOMPARE(
            s.view.SwatchToolTip(row), QStringLiteral("スクリプト #e03030\nbeginFill, setRGB\n1 か所で使われています"));
        s.Click(row);
        s.doc.SetSelectedColor(0xFFFFFF);
        QCOMPARE(
            s.view.KeptLabel()->text(), QStringLiteral("数としても使われるスクリプトの定数 1 か所は元の色のままです"));
        QCOMPARE(s.view.KeptLabel()->toolTip(),
            QStringLiteral("#e03030 → #ffffff: 1 か所が元の色のまま (うち 1 か所は数としても使われる)"));
    }

    void swatchTipsSayWhatAColourIsAndWillBecome()
    {
        const auto movie = Path("tips.swf");
        QVERIFY(WriteFile(movie, CColourMovie().Shape(kRed).Shape(kRed, kBlue).Build()));
        CSession s;
        QVERIFY(s.Open(movie));
        const int red = s.Row(kRed | KIND_FILL);
        QCOMPARE(s.view.SwatchToolTip(red), QStringLiteral("塗り #e03030\n2 か所で使われています"));
        QCOMPARE(s.view.SwatchToolTip(s.Row(kBlue | KIND_LINE)), QStringLiteral("線 #2040c0\n1 か所で使われています"));
        // Shown where the mouse rests.
        const QPoint at = s.ItemRect(red).center();
        QHelpEvent help(QEvent::ToolTip, at, s.view.List()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(s.view.List()->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), s.view.SwatchToolTip(red));

        // A pending shift shows what the colour will become; once it is
        // made permanent, what it was in the movie.
        s.Click(red);
        s.view.ValueSlider()->setValue(0);
        QCOMPARE(s.view.SwatchToolTip(red), QStringLiteral("塗り #e03030 → #000000\n2 か所で使われています"));
        s.Click(s.Row(kBlue | KIND_LINE));
        QCOMPARE(s.view.SwatchToolTip(red), QStringLiteral("塗り #000000\n元の色 #e03030\n2 か所で使われています"));
    }

    void framesShowTheSelection()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        s.Click(2);
        QTest::qWait(50);
        const QImage image = s.ListImage();
        const QRect selected = s.ItemRect(2);
        QCOMPARE(PixelAt(image, selected.topLeft() + QPoint(1, 1)), 0u);
        QCOMPARE(PixelAt(image, selected.topLeft() + QPoint(3, 3)), 0xFFFFFFu);
        // Inside the frame a ring and a check in a disc at the corner, in the mark colour.
        const std::uint32_t mark = Rgb(0x10, 0x60, 0xF0);
        QCOMPARE(PixelAt(image, selected.topLeft() + QPoint(4, 4)), mark);
        QCOMPARE(PixelAt(image, selected.topRight() + QPoint(-6, 3)), mark);
        QCOMPARE(PixelAt(image, selected.center() + QPoint(8, 4)), s.doc.GetColor(s.view.KeyAt(2), 1) & kColourMask);
        QVERIFY(PixelAt(image, s.ItemRect(3).topRight() + QPoint(-6, 3)) != mark);
        const QRect plain = s.ItemRect(3);
        QCOMPARE(PixelAt(image, plain.topLeft() + QPoint(2, 2)), 0xFFFFFFu);
        QCOMPARE(PixelAt(image, plain.topLeft() + QPoint(3, 3)), 0u);
        QCOMPARE(PixelAt(image, plain.topLeft() + QPoint(4, 4)), s.view.KeyAt(3) & kColourMask);
    }

    void clicksDriveTheTableSelection()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const auto rows = [&](std::initializer_list<int> list) {
            std::set<std::uint32_t> keys;
            for (const int row : list)
                keys.insert(s.view.KeyAt(row));
            return keys;
        };
        const struct {
            const char* name;
            int row;
            Qt::KeyboardModifiers modifiers;
            std::set<std::uint32_t> selected;
        } clicks[] = {
            {"a click", 0, Qt::NoModifier, rows({0})},
            {"Ctrl adds", 2, Qt::ControlModifier, rows({0, 2})},
            // Qt's extended selection: Shift adds the range from the last click.
            {"Shift adds the range", 4, Qt::ShiftModifier, rows({0, 2, 3, 4})},
            {"Ctrl takes a selected one away", 3, Qt::ControlModifier, rows({0, 2, 4})},
            // As in Qt's own selection model, Shift replaces what the last
            // click did: item 3 is back, with the range from it.
            {"Shift from there", 1, Qt::ShiftModifier, rows({0, 1, 2, 3, 4})},
            {"a click starts afresh", 5, Qt::NoModifier, rows({5})},
        };
        for (const auto& click : clicks) {
            s.Click(click.row, click.modifiers);
            QVERIFY2(s.TableSelection() == click.selected, click.name);
            QVERIFY2(s.ListSelection() == click.selected, click.name);
        }
        // Selection changes are no steps and never touch the movie.
        QCOMPARE(s.UndoCount(), 0);
        QVERIFY(!s.doc.IsModified());
    }

    void keysTypingAndDragsSelectThroughTheTable()
    {
        // Enough colours for many lines.
        CColourMovie movie;
        for (std::uint32_t i = 0; i < 90; ++i)
            movie.Shape(Rgb(static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 11), 0x80));
        const auto path = Path("columns.swf");
        QVERIFY(WriteFile(path, movie.Build()));
        CSession s;
        QVERIFY(s.Open(path));
        auto* list = static_cast<CColorListView*>(s.view.List());
        const int perLine = list->ItemsPerLine();
        QVERIFY(perLine > 2 && perLine < s.view.Count());
        const auto rows = [&](std::initializer_list<int> list) {
            std::set<std::uint32_t> keys;
            for (const int row : list)
                keys.insert(s.view.KeyAt(row));
            return keys;
        };
        // Items run along the first line, then along the next; the list
        // scrolls down, never sideways.
        QCOMPARE(s.ItemRect(perLine).topLeft(), QPoint(0, s.ItemRect(0).bottom() + 1));
        QCOMPARE(list->indexAt(s.ItemRect(perLine + 1).center()).row(), perLine + 1);
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);

        list->setFocus();
        s.Click(1);
        const struct {
            const char* name;
            int key;
            Qt::KeyboardModifiers modifiers;
            std::set<std::uint32_t> selected;
        } keys[] = {
            {"right", Qt::Key_Right, Qt::NoModifier, rows({2})},
            {"shift right", Qt::Key_Right, Qt::ShiftModifier, rows({2, 3})},
            {"down: the next line", Qt::Key_Down, Qt::NoModifier, rows({3 + perLine})},
            {"home", Qt::Key_Home, Qt::NoModifier, rows({0})},
        };
        for (const auto& key : keys) {
            QTest::keyClick(list, static_cast<Qt::Key>(key.key), key.modifiers);
            QVERIFY2(s.TableSelection() == key.selected, key.name);
        }

        // Typing a sort text finds its first row.
        const int target = s.view.Count() - 3;
        const QString text = list->model()->index(target, 0).data().toString();
        int first = target;
        while (first > 0 && list->model()->index(first - 1, 0).data().toString() == text)
            --first;
        QTest::keyClicks(list, text);
        QCOMPARE(s.TableSelection(), rows({first}));

        // A rubber band takes the items it covers, line by line.
        const QPoint from = s.ItemRect(1).center();
        const QPoint to = s.ItemRect(perLine + 2).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(
            QEvent::MouseMove, to, list->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, to);
        QCOMPARE(s.TableSelection(), rows({1, 2, perLine + 1, perLine + 2}));
        // Qt's own selection model holds none of it.
        QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());
    }

    void sliderPositionIsTheParameter_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("left end") << 0;
        QTest::newRow("one step right") << 1;
        QTest::newRow("middle") << 100;
        QTest::newRow("one step left of the end") << 199;
        QTest::newRow("right end") << 200;
    }

    void sliderPositionIsTheParameter()
    {
        QFETCH(int, position);
        CSession s;
        QVERIFY(s.Open(m_movie));
        const auto& table = s.doc.GetColorTable();
        s.view.HueSlider()->setValue(position == 100 ? 0 : 100);
        s.view.HueSlider()->setValue(position);
        s.view.SaturationSlider()->setValue(position == 100 ? 0 : 100);
        s.view.SaturationSlider()->setValue(position);
        s.view.ValueSlider()->setValue(position == 100 ? 0 : 100);
        s.view.ValueSlider()->setValue(position);
        QCOMPARE(table.Hue(), position);
        QCOMPARE(table.Saturation(), position);
        QCOMPARE(table.Value(), position);
        const QString label = QString::number(position - 100);
        QCOMPARE(s.view.HueLabel()->text(), label);
        QCOMPARE(s.view.SaturationLabel()->text(), label);
        QCOMPARE(s.view.ValueLabel()->text(), label);
    }

    void draggingTheHandleSetsTheParameterLive()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        QVERIFY(QTest::qWaitForWindowExposed(&s.view));
        QSlider* slider = s.view.SaturationSlider();
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.subControls = QStyle::SC_SliderHandle;
        const QRect handle
            = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, handle.center());
        QTest::mouseMove(slider, QPoint(handle.center().x() + slider->width() / 4, handle.center().y()));
        const int midway = s.doc.GetColorTable().Saturation();
        QVERIFY(midway > 100 && midway < 200);
        QCOMPARE(s.view.SaturationLabel()->text(), QString::number(midway - 100));
        QTest::mouseMove(slider, QPoint(-50, handle.center().y()));
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(-50, handle.center().y()));
        QCOMPARE(s.doc.GetColorTable().Saturation(), 0);
        QCOMPARE(s.view.SaturationLabel()->text(), QStringLiteral("-100"));
    }

    void keysMoveSlidersByPageAndStep()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        QSlider* value = s.view.ValueSlider();
        value->setFocus();
        QTest::keyClick(value, Qt::Key_PageUp);
        QCOMPARE(s.doc.GetColorTable().Value(), 125);
        QCOMPARE(s.view.ValueLabel()->text(), QStringLiteral("25"));
        QTest::keyClick(value, Qt::Key_Left);
        QCOMPARE(s.doc.GetColorTable().Value(), 124);
        QCOMPARE(s.doc.GetColorTable().Hue(), 100);
        QCOMPARE(s.doc.GetColorTable().Saturation(), 100);
    }

    void draggingRepaintsOnlySelectedSwatches()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const int chosen = s.Row(kRed | KIND_FILL);
        const int other = s.Row(kBlue | KIND_FILL);
        const std::vector<std::uint8_t> before(s.doc.GetMovie().Buffer().begin(), s.doc.GetMovie().Buffer().end());

        // Nothing selected: the parameter moves, no swatch changes.
        s.view.ValueSlider()->setValue(20);
        QCOMPARE(s.doc.GetColorTable().Value(), 20);
        QTest::qWait(30);
        QCOMPARE(s.SwatchPixel(chosen), kRed);
        s.view.ValueSlider()->setValue(100);

        s.Click(chosen);
        for (int p = 100; p >= 30; p -= 10) {
            s.view.ValueSlider()->setValue(p);
            QTest::qWait(10);
            QCOMPARE(s.SwatchPixel(chosen), s.doc.GetColor(kRed | KIND_FILL, 1) & kColourMask);
            QCOMPARE(s.SwatchPixel(other), kBlue);
        }
        QVERIFY(s.SwatchPixel(chosen) != kRed);
        s.view.UnifyCheck()->click();
        QCOMPARE(s.doc.GetColorTable().Unify(), 1);
        QTest::qWait(10);
        QCOMPARE(s.SwatchPixel(chosen), s.doc.GetColor(kRed | KIND_FILL, 1) & kColourMask);
        QCOMPARE(s.SwatchPixel(other), kBlue);
        // Nothing reached the movie.
        QVERIFY(std::equal(
            before.begin(), before.end(), s.doc.GetMovie().Buffer().begin(), s.doc.GetMovie().Buffer().end()));
    }

    void applyWritesSelectedColoursAndStoresAState()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const std::uint32_t key = kRed | KIND_FILL;
        s.Click(s.Row(key));
        s.view.HueSlider()->setValue(160);
        const int undo = s.UndoCount();
        const std::vector<std::uint8_t> before(s.doc.GetMovie().Buffer().begin(), s.doc.GetMovie().Buffer().end());
        QTest::mouseClick(s.view.ApplyButton(), Qt::LeftButton);
        QCOMPARE(s.UndoCount(), undo + 1);
        QVERIFY(s.doc.IsModified());
        // The pending effect stays pending after Apply.
        QCOMPARE(s.doc.GetColorTable().Hue(), 160);
        const std::uint32_t c = s.doc.GetColor(key, 1);
        QVERIFY((c & kColourMask) != kRed);
        const auto buffer = s.doc.GetMovie().Buffer();
        std::set<std::uint32_t> written;
        for (std::uint32_t pos : s.doc.GetMovie().Colors().PositionsOf(key)) {
            QCOMPARE(buffer[pos], static_cast<std::uint8_t>(c));
            QCOMPARE(buffer[pos + 1], static_cast<std::uint8_t>(c >> 8));
            QCOMPARE(buffer[pos + 2], static_cast<std::uint8_t>(c >> 16));
            written.insert({pos, pos + 1, pos + 2});
        }
        for (std::uint32_t i = 0; i < buffer.size(); ++i)
            if (!written.count(i))
                QCOMPARE(buffer[i], before[i]);
    }

    void enterInTheListPressesApply()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        s.Click(0);
        s.view.ValueSlider()->setValue(130); // the first colour is a grey, which a hue turn leaves
        const int undo = s.UndoCount();
        QTest::keyClick(s.view.List(), Qt::Key_Return);
        QTRY_COMPARE(s.UndoCount(), undo + 1);
        QVERIFY(s.doc.IsModified());
    }

    void undoAndRedoRestoreListAndSliders()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const std::uint32_t first = kRed | KIND_FILL;
        const std::uint32_t second = kBlue | KIND_FILL;
        s.Click(s.Row(first));
        s.view.ValueSlider()->setValue(50);
        QTest::mouseClick(s.view.ApplyButton(), Qt::LeftButton);
        const std::uint32_t applied = s.doc.GetColor(first, 1) & kColourMask;
        s.Click(s.Row(second));
        // The selection change made the effect permanent and set the sliders back.
        QCOMPARE(*s.doc.GetColorTable().Map().Find(first) & kColourMask, applied);
        QCOMPARE(s.view.ValueSlider()->value(), 100);
        QCOMPARE(s.view.ValueLabel()->text(), QStringLiteral("0"));

        // Choosing the second colour changed no colour: no step of its own.
        // Undo takes Apply back, to the first colour selected as it was.
        QCOMPARE(s.UndoCount(), 1);
        s.doc.OnEditUndo();
        QCOMPARE(s.view.ValueSlider()->value(), 100);
        QCOMPARE(s.view.ValueLabel()->text(), QStringLiteral("0"));
        QCOMPARE(s.ListSelection(), (std::set<std::uint32_t>{first}));
        QCOMPARE(*s.doc.GetColorTable().Map().Find(first) & kColourMask, kRed);
        QVERIFY(!s.doc.IsModified());
        s.doc.OnEditRedo(); // Apply and the second selection, as they were last
        QCOMPARE(s.ListSelection(), (std::set<std::uint32_t>{second}));
        QCOMPARE(*s.doc.GetColorTable().Map().Find(first) & kColourMask, applied);
        QCOMPARE(s.view.Count(), 10);
        QTest::qWait(30);
        QCOMPARE(s.SwatchPixel(s.Row(first)), applied);
    }

    void selectNearestAddsTheClosestColour()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        s.Click(s.Row(kBlue | KIND_FILL));
        // Squared distance 1000 is too far, 998 is near enough.
        s.view.SelectNearest(Rgb(0x20 + 30, 0x40 + 10, 0xC0));
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{kBlue | KIND_FILL}));
        QCOMPARE(s.view.PickedColour(), std::optional<std::uint32_t>(Rgb(0x20 + 30, 0x40 + 10, 0xC0)));
        s.view.SelectNearest(Rgb(0xE0 - 31, 0x30 + 6, 0x30 + 1));
        // Fill and line share the colour: the lower row wins, added to the selection.
        const std::uint32_t lower = s.view.KeyAt(std::min(s.Row(kRed | KIND_FILL), s.Row(kRed | KIND_LINE)));
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{kBlue | KIND_FILL, lower}));
        QCOMPARE(s.ListSelection(), s.TableSelection());
    }

    void searchSortAndFamiliesArrangeTheList()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const auto listed = [&] {
            std::set<std::uint32_t> keys;
            for (int row = 0; row < s.view.Count(); ++row)
                keys.insert(s.view.KeyAt(row));
            return keys;
        };
        const struct {
            const char* text;
            std::set<std::uint32_t> keys;
        } searches[] = {
            {"#E03030", {kRed | KIND_FILL, kRed | KIND_LINE}},
            {"e0 line", {kRed | KIND_LINE}},
            {"線 #e0", {kRed | KIND_LINE}},
            {"背景", {kBackground | KIND_BG}},
            {"text", {kGreen | KIND_TEXT}},
            {"nothing", {}},
        };
        for (const auto& search : searches) {
            s.view.SearchBox()->setText(QString::fromUtf8(search.text));
            QVERIFY2(listed() == search.keys, search.text);
        }
        s.view.SearchBox()->clear();
        QCOMPARE(s.view.Count(), 10);
        // Select All takes what the list shows.
        s.view.SetSearchText(QStringLiteral("e03030"));
        s.view.OnEditSelectAll();
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{kRed | KIND_FILL, kRed | KIND_LINE}));
        s.view.OnEditDeselect();
        s.view.SetSearchText(QString());

        s.view.SortBox()->setCurrentIndex(1);
        QCOMPARE(s.view.Sort(), ListSort::Lightness);
        QCOMPARE(s.view.KeyAt(9), kBackground | KIND_BG);
        QCOMPARE(s.view.KeyAt(0) & kColourMask, kDark);

        // Families: one per line behind a grip that takes the whole family.
        s.view.SetGrouped(true);
        auto* list = static_cast<CColorListView*>(s.view.List());
        QVERIFY(list->Grouped());
        const int red = s.Row(kRed | KIND_FILL);
        QVERIFY(s.ItemRect(red).left() >= CColorListView::kHandleWidth);
        QCOMPARE(s.ItemRect(s.Row(kRed | KIND_LINE)).top(), s.ItemRect(red).top());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, s.ItemRect(red).center().y()));
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{kRed | KIND_FILL, kRed | KIND_LINE}));
        QCOMPARE(s.UndoCount(), 0);
        s.view.SetGrouped(false);
        QVERIFY(!list->Grouped());
    }

    void largeListsAreArrangedAsideAndTheNewestRowsWin()
    {
        CSession s;
        // Every list counts as large here.
        s.view.Arranger()->SetAsideFrom(0);
        QVERIFY(s.Open(m_movie));
        s.view.SetSort(ListSort::Lightness);
        // Keys typed faster than the rows come: only the last one's show.
        for (const char* text : {"e", "e0", "e03030"})
            s.view.SetSearchText(QString::fromLatin1(text));
        QTRY_VERIFY(!s.view.Arranger()->Pending());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(s.view.Count(), 2);
        QCOMPARE((std::set<std::uint32_t>{s.view.KeyAt(0), s.view.KeyAt(1)}),
            (std::set<std::uint32_t>{kRed | KIND_FILL, kRed | KIND_LINE}));
        // Select All takes the rows asked for, come or not.
        s.view.SetSearchText(QStringLiteral("背景"));
        s.view.OnEditSelectAll();
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{kBackground | KIND_BG}));
        s.view.OnEditDeselect();
        // A new table: its rows at once in the list's order, then sorted.
        s.view.SetSearchText(QString());
        QVERIFY(s.Open(m_movie));
        QCOMPARE(s.view.Count(), 10);
        QTRY_VERIFY(!s.view.Arranger()->Pending());
        QCOMPARE(s.view.KeyAt(9), kBackground | KIND_BG);
    }

    void altClickScrollsToThePickAndSaysHowSureItIs()
    {
        CColourMovie movie;
        for (std::uint32_t i = 0; i < 300; ++i)
            movie.Shape(Rgb(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7), 0x80));
        const auto path = Path("many.swf");
        QVERIFY(WriteFile(path, movie.Build()));
        CSession s;
        QVERIFY(s.Open(path));
        auto* list = static_cast<CColorListView*>(s.view.List());
        using Found = CColorView::PickFound;
        const struct {
            std::uint32_t picked;
            Found found;
            std::optional<std::uint32_t> key;
        } picks[] = {
            {Rgb(250, static_cast<std::uint8_t>(250 * 7), 0x80), Found::Exact,
                KIND_FILL | Rgb(250, static_cast<std::uint8_t>(250 * 7), 0x80)},
            {Rgb(3, 21, 0x85), Found::Uncertain, KIND_FILL | Rgb(3, 21, 0x80)},
            {Rgb(0, 0, 0xFF), Found::NotNear, std::nullopt},
        };
        for (const auto& pick : picks) {
            s.view.SelectNearest(pick.picked);
            QCOMPARE(s.view.PickResult(), pick.found);
            if (!pick.key) {
                QCOMPARE(list->Highlight(), -1);
                continue;
            }
            const int row = s.Row(*pick.key);
            QCOMPARE(list->Highlight(), row);
            QCOMPARE(s.view.PickedListColour(), std::optional<std::uint32_t>(*pick.key & kColourMask));
            QVERIFY(list->viewport()->rect().contains(s.ItemRect(row)));
        }
    }

    void showInPreviewNamesTheSwatchsEntry()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        const int row = s.Row(kBlue | KIND_FILL);
        QMenu menu;
        s.view.BuildContextMenu(menu, row);
        auto* show = menu.findChild<QAction*>(QStringLiteral("showInPreview"));
        QVERIFY(show && show->isEnabled());
        QSignalSpy shown(&s.view, &CColorView::showInPreview);
        show->trigger();
        QCOMPARE(shown.count(), 1);
        const auto keys = s.doc.GetColorTable().Map().DenseKeys();
        QCOMPARE(keys[shown.front().front().toUInt()], kBlue | KIND_FILL);
    }

    void altClickOnTheFormDeselectsAll()
    {
        CSession s;
        QVERIFY(s.Open(m_movie));
        s.view.OnEditSelectAll();
        QCOMPARE(s.TableSelection().size(), std::size_t{10});
        QWidget* form = s.view.widget();
        const QRect apply = s.view.ApplyButton()->geometry();
        const QPoint free(apply.left() - 30, apply.center().y());
        QCOMPARE(form->childAt(free), nullptr);
        // A plain click there does nothing.
        QTest::mouseClick(form, Qt::LeftButton, Qt::NoModifier, free);
        QCOMPARE(s.TableSelection().size(), std::size_t{10});
        QTest::mouseClick(form, Qt::LeftButton, Qt::AltModifier, free);
        QVERIFY(s.TableSelection().empty());
        QVERIFY(s.ListSelection().empty());
        // Inside the list an Alt+click is just a click.
        s.Click(1, Qt::AltModifier);
        QCOMPARE(s.TableSelection(), (std::set<std::uint32_t>{s.view.KeyAt(1)}));
    }

    void commandsWithoutAMovieChangeNothing()
    {
        CSession s;
        s.view.OnEditSelectAll();
        s.view.OnEditDeselect();
        s.view.HueSlider()->setValue(20);
        s.view.OnApply();
        QCOMPARE(s.UndoCount(), 0);
        QVERIFY(!s.doc.IsModified());
        QVERIFY(s.messages.Messages().empty());
    }
};

} // namespace tintor::test

QTEST_MAIN(tintor::test::CColorViewTest)
#include "window_colour_view_test.moc"
