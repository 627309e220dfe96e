// The strip of images under the colour list: clicks and the document's
// selection, images that cannot be recoloured, the selection mark, the
// thumbnails through the sliders, Apply and undo, and the Edit commands.
#include "window_test_support.h"

#include "document/tintor_doc.h"
#include "testkit/image_bodies.h"
#include "testkit/recording_sink.h"
#include "views/bitmap_strip.h"
#include "views/colour_view.h"

#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace tintor::test {
namespace {

// Two opaque lossless images, red and green (3 x 2, so rows are padded),
// and a corrupt one between them.
std::vector<std::uint8_t> MovieWithImages()
{
    CMovieBuilder b;
    b.AddTag(9, std::vector<std::uint8_t>{0x20, 0x40, 0x60});
    const auto solid = [](std::uint8_t r, std::uint8_t g, std::uint8_t bl) {
        std::vector<std::uint8_t> argb;
        for (int i = 0; i < 3 * 2; ++i)
            argb.insert(argb.end(), {0xFF, r, g, bl});
        return argb;
    };
    b.AddTag(36, LosslessBody(1, 5, 3, 2, solid(0xE0, 0x20, 0x20)));
    b.AddTag(20, std::vector<std::uint8_t>{2, 0, 5, 2, 0, 2, 0, 0x78, 0x9C, 0xFF});
    b.AddTag(36, LosslessBody(3, 5, 3, 2, solid(0x20, 0xC0, 0x30)));
    b.AddTag(1, {});
    return b.Build();
}

struct CSession {
    CRecordingSink messages;
    CScriptedDialogs dialogs;
    CTintorDoc doc{messages, dialogs};
    CColorView view{doc};
    CBitmapStrip& strip = *view.BitmapStrip();

    CSession()
    {
        doc.AttachViews(&view, nullptr);
        doc.SetPreviewFileWritten(false);
        doc.OnNewDocument();
        view.OnInitialUpdate();
        view.resize(300, 560);
        view.show();
    }
    ~CSession() { doc.AttachViews(nullptr, nullptr); }

    void Click(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(strip.viewport(), Qt::LeftButton, modifiers, strip.CellRect(index).center());
    }
    // Which images are selected, as "101" for the first and last.
    QString Selected() const
    {
        QString marks;
        for (const BitmapEntry& e : doc.GetBitmaps().Entries())
            marks += e.selected ? u'1' : u'0';
        return marks;
    }
    // The middle of a thumbnail, red in the low byte.
    std::uint32_t ThumbnailColour(int index)
    {
        const QImage image = strip.ThumbnailOf(index).convertToFormat(QImage::Format_RGB32);
        const QRgb c = image.pixel(image.width() / 2, image.height() / 2);
        return Rgb(static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
            static_cast<std::uint8_t>(qBlue(c)));
    }
};

} // namespace

class CBitmapStripTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_movie;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_movie = std::filesystem::path(m_dir.filePath(QStringLiteral("images.swf")).toStdString());
        QVERIFY(WriteFile(m_movie, MovieWithImages()));
    }

    void listsEveryImageAndSaysWhyOneCannotBeRecoloured()
    {
        CSession s;
        QVERIFY(s.strip.isHidden());
        QVERIFY(s.doc.OnOpenDocument(m_movie));
        s.view.OnInitialUpdate();
        QVERIFY(s.strip.isVisible());
        QCOMPARE(s.strip.Count(), 3);
        QVERIFY(s.strip.ToolTipOf(0).contains(QStringLiteral("3 × 2 lossless2")));
        QVERIFY(s.strip.ToolTipOf(0).contains(QStringLiteral("1")));
        QVERIFY(!s.strip.ToolTipOf(0).contains(QStringLiteral("色を変えられません")));
        // Why, in the window's language.
        QVERIFY(s.strip.ToolTipOf(1).contains(QStringLiteral("色を変えられません: 画像のデータが壊れています")));
        QVERIFY(s.strip.ThumbnailOf(1).isNull());
        QCOMPARE(s.ThumbnailColour(0), Rgb(0xE0, 0x20, 0x20));
        QCOMPARE(s.strip.IndexAt(s.strip.CellRect(2).center()), 2);
    }

    void clicksSelectAloneOrAddWithCtrlAndShift()
    {
        CSession s;
        QVERIFY(s.doc.OnOpenDocument(m_movie));
        s.view.OnInitialUpdate();
        const struct {
            int index;
            Qt::KeyboardModifiers modifiers;
            const char* selected;
        } steps[] = {
            {0, Qt::NoModifier, "100"},
            {2, Qt::NoModifier, "001"},
            {0, Qt::ControlModifier, "101"},
            {1, Qt::NoModifier, "101"}, // cannot be recoloured: nothing changes
            {1, Qt::ControlModifier, "101"},
            {0, Qt::NoModifier, "100"}, // alone out of two
            {0, Qt::NoModifier, "000"}, // the only one: deselected
            {2, Qt::ShiftModifier, "001"},
            {2, Qt::ShiftModifier, "000"},
        };
        for (const auto& step : steps) {
            s.Click(step.index, step.modifiers);
            QCOMPARE(s.Selected(), QString::fromLatin1(step.selected));
        }
        // The keys, from the image clicked last: back to the first, then on
        // past the corrupt one, which Space cannot select.
        s.strip.setFocus();
        for (const auto& [key, selected] : {std::pair{Qt::Key_Left, "000"}, std::pair{Qt::Key_Left, "000"},
                 std::pair{Qt::Key_Space, "100"}, std::pair{Qt::Key_Right, "100"}, std::pair{Qt::Key_Space, "100"},
                 std::pair{Qt::Key_Right, "100"}, std::pair{Qt::Key_Space, "101"}}) {
            QTest::keyClick(&s.strip, key);
            QCOMPARE(s.Selected(), QString::fromLatin1(selected));
        }
        QCOMPARE(s.doc.GetHistory().GetUndoCount(), 0);
    }

    void theSelectedImageCarriesAMark()
    {
        CSession s;
        QVERIFY(s.doc.OnOpenDocument(m_movie));
        s.view.OnInitialUpdate();
        const QRect cell = s.strip.CellRect(2);
        // The tick's corner of the cell.
        const QPoint tick(cell.right() - 8, cell.top() + 4);
        const std::uint32_t before = PixelAt(Grab(*s.strip.viewport()), tick);
        s.Click(2);
        const QColor highlight = s.strip.palette().color(QPalette::Active, QPalette::Highlight);
        const std::uint32_t after = PixelAt(Grab(*s.strip.viewport()), tick);
        QVERIFY(before != after);
        QCOMPARE(after,
            Rgb(static_cast<std::uint8_t>(highlight.red()), static_cast<std::uint8_t>(highlight.green()),
                static_cast<std::uint8_t>(highlight.blue())));
    }

    void thumbnailsFollowTheSlidersApplyAndUndo()
    {
        CSession s;
        QVERIFY(s.doc.OnOpenDocument(m_movie));
        s.view.OnInitialUpdate();
        const std::uint32_t red = s.ThumbnailColour(0);
        s.Click(0);
        s.view.HueSlider()->setValue(160);
        const std::uint32_t shifted = s.ThumbnailColour(0);
        QVERIFY(shifted != red);
        // Not selected: the sliders leave it alone.
        QCOMPARE(s.ThumbnailColour(2), Rgb(0x20, 0xC0, 0x30));
        s.view.OnApply();
        QCOMPARE(s.doc.GetHistory().GetUndoCount(), 1);
        // Another image chosen: the shift is made the first one's own.
        s.Click(2);
        QCOMPARE(s.ThumbnailColour(0), shifted);
        QCOMPARE(s.view.HueSlider()->value(), CColorTable::kDefaultParameter);
        s.doc.OnEditUndo();
        QCOMPARE(s.ThumbnailColour(0), red);
        QCOMPARE(s.Selected(), QStringLiteral("100"));
        s.doc.OnEditRedo();
        QCOMPARE(s.ThumbnailColour(0), shifted);
    }

    void selectAllMeansColoursAndSelectAllBitmapsImages()
    {
        CSession s;
        QVERIFY(s.doc.OnOpenDocument(m_movie));
        s.view.OnInitialUpdate();
        s.view.OnEditSelectAll();
        QCOMPARE(s.Selected(), QStringLiteral("000"));
        QVERIFY(s.doc.SelectedCount() > 0);
        s.view.OnEditSelectBitmaps();
        QCOMPARE(s.Selected(), QStringLiteral("101"));
        QVERIFY(s.doc.SelectedCount() > 0);
        s.view.OnEditDeselect();
        QCOMPARE(s.Selected(), QStringLiteral("000"));
        QCOMPARE(s.doc.SelectedCount(), std::size_t{0});
    }
};

} // namespace tintor::test

QTEST_MAIN(tintor::test::CBitmapStripTest)
#include "window_bitmap_strip_test.moc"
