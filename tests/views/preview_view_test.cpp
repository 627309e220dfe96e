// The preview pane with the real web view and the Ruffle player, offscreen:
// the movie appears, follows Apply and Undo, and Alt+click picks colours.
#include "support/corpus.h"
#include "testkit/recording_sink.h"

#include "colour/colour_vision.h"
#include "core/dialogs.h"
#include "core/messages.h"
#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "testkit/abc_builder.h"
#include "testkit/action_writer.h"
#include "testkit/image_bodies.h"
#include "testkit/movie_builder.h"
#include "testkit/no_dialogs.h"
#include "views/preview_environment.h"
#include "views/preview_view.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tintor {
namespace {

// Chromium's first start in a fresh process, on two busy cores, takes its time.
constexpr int kStartTimeoutMs = 120000;
constexpr int kReloadTimeoutMs = 60000;

// The sample's stage is 400 x 300 pixels; a view of that size shows it 1:1.
constexpr QSize kViewSize(400, 300);
// Between the four rectangles (and clear of their outlines): background.
constexpr QPoint kSampleBackground(200, 150);
// Inside the first rectangle, a solid fill of #e63946.
constexpr QPoint kSampleRedShape(105, 80);
constexpr std::uint32_t kSampleRed = 0x4639E6; // red in the low byte
// On the stem of the title's first letter, static text in #264653. The
// player may draw glyphs one step darker per channel.
constexpr QPoint kSampleTitleStem(24, 10);
constexpr std::uint32_t kSampleTitle = 0x534626;

std::uint32_t ToKeyColour(QRgb rgb)
{
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8
        | static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

QImage Screen(QWidget& widget)
{
    const QPixmap pixmap = widget.grab();
    QImage image = pixmap.toImage();
    image.setDevicePixelRatio(pixmap.devicePixelRatio());
    return image;
}

std::uint32_t PixelOnScreen(QWidget& widget, QPoint point)
{
    const QImage image = Screen(widget);
    const qreal ratio = image.devicePixelRatio();
    return ToKeyColour(image.pixel(QPoint(static_cast<int>(point.x() * ratio), static_cast<int>(point.y() * ratio))));
}

// Every channel within one step of the expected colour.
bool CloseTo(std::uint32_t actual, std::uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > 1)
            return false;
    }
    return true;
}

// One window's worth of preview: a document, its preview view, on screen.
struct CPreviewSession {
    QElapsedTimer sinceStart;
    CRecordingSink messages;
    CNoDialogs dialogs;
    CTintorDoc doc{messages, dialogs};
    CTintorView view{doc};

    CPreviewSession()
    {
        sinceStart.start();
        doc.AttachViews(nullptr, &view);
        view.resize(kViewSize);
        view.show();
    }

    QWebEngineView& Web() { return *view.findChild<QWebEngineView*>(); }

    // Runs a script in the page and waits for its result.
    QVariant Evaluate(const QString& script)
    {
        std::optional<QVariant> result;
        Web().page()->runJavaScript(script, [&result](const QVariant& value) { result = value; });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, kReloadTimeoutMs))
            return {};
        return *result;
    }

    // The first key of the given kind in the colour table.
    std::optional<std::uint32_t> FirstKeyOfKind(std::uint32_t kind) const
    {
        std::optional<std::uint32_t> found;
        doc.GetColorTable().Map().ForEach([&](std::uint32_t key, const std::uint32_t&) {
            if (!found && (key & kKindMask) == kind)
                found = key;
        });
        return found;
    }
};

} // namespace

class CPreviewViewTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::filesystem::path WriteMovie(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        return file.fileName().toStdString();
    }

    // Opens the movie and waits until the player reports its first frame and
    // the given point shows the expected colour.
    bool OpenAndWait(CPreviewSession& session, const std::filesystem::path& movie, const QString& label,
        const std::function<bool()>& onScreen)
    {
        QElapsedTimer clock;
        clock.start();
        QSignalSpy shown(&session.view, &CTintorView::movieShown);
        if (!session.doc.OnOpenDocument(movie))
            return false;
        session.view.OnInitialUpdate();
        if (session.view.CurrentTarget()
            != QUrl::fromLocalFile(QString::fromStdString(session.doc.GetTempFilePath()->string())))
            return false;
        if (!shown.wait(kStartTimeoutMs) && shown.isEmpty())
            return false;
        const qint64 reported = clock.elapsed();
        if (!QTest::qWaitFor(onScreen, kReloadTimeoutMs))
            return false;
        qInfo().noquote() << QStringLiteral("%1: first frame reported %2 ms after the open, on screen after %3 ms "
                                            "(%4 ms after the view was made)")
                                 .arg(label)
                                 .arg(reported)
                                 .arg(clock.elapsed())
                                 .arg(session.sinceStart.elapsed());
        return true;
    }

    // Selects the key as a selection change of the colour view would, then
    // moves the value slider to 0 and applies, as the Apply button does.
    static void ApplyValueZero(CPreviewSession& session, std::uint32_t key)
    {
        session.doc.ApplyEffects();
        session.doc.Select(key, 1);
        session.doc.PushHistory();
        session.doc.Effect("V", 0);
        session.doc.UpdatePreview(false);
        session.doc.PushHistory();
    }

    // Apply and Undo on the background, watched at a point that shows it.
    void CheckBackgroundFollowsApplyAndUndo(CPreviewSession& session, QPoint background, const QString& label)
    {
        const auto bgKey = session.FirstKeyOfKind(KIND_BG);
        QVERIFY(bgKey.has_value());
        const std::uint32_t before = *bgKey & 0xFFFFFF;
        QCOMPARE(PixelOnScreen(session.view, background), before);

        QSignalSpy navigations(session.Web().page(), &QWebEnginePage::loadStarted);
        const QUrl target = session.view.CurrentTarget();
        QElapsedTimer clock;
        clock.start();
        ApplyValueZero(session, *bgKey);
        const std::uint32_t after = session.doc.GetColor(*bgKey, 1) & 0xFFFFFF;
        QVERIFY(after != before);
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, background), after, kReloadTimeoutMs);
        qInfo().noquote()
            << QStringLiteral("%1: Apply to new colours on screen: %2 ms").arg(label).arg(clock.elapsed());

        clock.restart();
        QVERIFY(session.doc.OnUpdateEditUndo());
        session.doc.OnEditUndo();
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, background), before, kReloadTimeoutMs);
        qInfo().noquote() << QStringLiteral("%1: Undo to old colours on screen: %2 ms").arg(label).arg(clock.elapsed());

        // The movie was reloaded in place: no navigation, the same target.
        QCOMPARE(navigations.count(), 0);
        QCOMPARE(session.view.CurrentTarget(), target);
        QVERIFY(session.messages.Messages().empty());
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void sampleFollowsApplyAndUndo()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("sample.swf"), BuildSampleMovie());
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("sample"),
            [&] { return PixelOnScreen(session.view, kSampleBackground) == 0xDCEEF4; }));
        QCOMPARE(PixelOnScreen(session.view, kSampleRedShape), kSampleRed);
        // The player draws the movie's glyph text, not only its shapes.
        QVERIFY2(CloseTo(PixelOnScreen(session.view, kSampleTitleStem), kSampleTitle),
            qPrintable(QString::number(PixelOnScreen(session.view, kSampleTitleStem), 16)));
        CheckBackgroundFollowsApplyAndUndo(session, kSampleBackground, QStringLiteral("sample"));
        // The shapes and the text were not selected: untouched throughout.
        QCOMPARE(PixelOnScreen(session.view, kSampleRedShape), kSampleRed);
        QVERIFY(CloseTo(PixelOnScreen(session.view, kSampleTitleStem), kSampleTitle));
    }

    void applyWhileThePlayerStartsShowsTheLatestColours()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("early.swf"), BuildSampleMovie());
        QVERIFY(session.doc.OnOpenDocument(movie));
        QSignalSpy shown(&session.view, &CTintorView::movieShown);
        session.view.OnInitialUpdate();
        // Apply before the page with the player has even loaded.
        const auto bgKey = session.FirstKeyOfKind(KIND_BG);
        QVERIFY(bgKey.has_value());
        ApplyValueZero(session, *bgKey);
        const std::uint32_t after = session.doc.GetColor(*bgKey, 1) & 0xFFFFFF;
        QVERIFY(shown.wait(kStartTimeoutMs) || !shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, kSampleBackground), after, kReloadTimeoutMs);
        // Only the movie sent last is reported; the one it replaced never was.
        QCOMPARE(shown.count(), 1);
    }

    void lzmaMovieStaysLzmaAndPlays()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("lzma.swf"), LzmaMovie(BuildSampleMovie()));
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("sample, LZMA"),
            [&] { return PixelOnScreen(session.view, kSampleRedShape) == kSampleRed; }));
        // The player is given the movie as it came, LZMA-compressed.
        QFile preview(QString::fromStdString(session.doc.GetTempFilePath()->string()));
        QVERIFY(preview.open(QIODevice::ReadOnly));
        QCOMPARE(preview.read(3), QByteArray("ZWS"));
        CheckBackgroundFollowsApplyAndUndo(session, kSampleBackground, QStringLiteral("sample, LZMA"));
    }

    void aMovieThePlayerRefusesIsExplainedInThePane()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("refused.swf"), BuildSampleMovie());
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("before the refusal"),
            [&] { return PixelOnScreen(session.view, kSampleRedShape) == kSampleRed; }));
        // Bytes the player cannot take for a movie, in place of the preview.
        QFile preview(QString::fromStdString(session.doc.GetTempFilePath()->string()));
        QVERIFY(preview.open(QIODevice::WriteOnly | QIODevice::Truncate));
        preview.write("This is no movie at all, but text of some length.");
        preview.close();
        QSignalSpy failed(&session.view, &CTintorView::previewFailed);
        session.view.Stop();
        session.view.Refresh();
        QVERIFY(failed.wait(kReloadTimeoutMs) || !failed.isEmpty());
        QCOMPARE(failed.front().front().toString(), QStringLiteral("invalid"));
        QVERIFY2(session.view.Notice().contains(QStringLiteral("SWF ムービーとして読めませんでした")),
            qPrintable(session.view.Notice()));
        QVERIFY(session.view.findChild<QLabel*>(QStringLiteral("notice"))->isVisible());
        // The next movie that plays, after a change, takes the note away.
        ApplyValueZero(session, *session.FirstKeyOfKind(KIND_BG));
        QCOMPARE(session.view.Notice(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, kSampleRedShape), kSampleRed, kReloadTimeoutMs);
    }

    void aScriptsDrawingColourFollowsApply()
    {
        // A frame script that fills the stage with beginFill(0xe03030).
        CActionWriter w;
        w.CallMethod("_root", "beginFill", {ActionValue::Int(0xE03030), ActionValue::Int(100)});
        w.CallMethod("_root", "moveTo", {ActionValue::Int(0), ActionValue::Int(0)});
        for (const auto& [x, y] : {std::pair{400, 0}, std::pair{400, 300}, std::pair{0, 300}, std::pair{0, 0}})
            w.CallMethod("_root", "lineTo", {ActionValue::Int(x), ActionValue::Int(y)});
        w.CallMethod("_root", "endFill", {});
        CMovieBuilder builder(8, {0, 8000, 0, 6000});
        builder.AddTag(12, w.Take());
        builder.AddTag(1, std::vector<std::uint8_t>{});
        const auto movie = WriteMovie(QStringLiteral("script.swf"), builder.Build());
        constexpr std::uint32_t kDrawn = 0x3030E0; // red in the low byte
        CPreviewSession session;
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("script"),
            [&] { return PixelOnScreen(session.view, kSampleBackground) == kDrawn; }));
        QCOMPARE(session.FirstKeyOfKind(KIND_SCRIPT), std::optional<std::uint32_t>(KIND_SCRIPT | kDrawn));
        ApplyValueZero(session, KIND_SCRIPT | kDrawn);
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, kSampleBackground), std::uint32_t{0}, kReloadTimeoutMs);
        QVERIFY(session.messages.Messages().empty());
    }

    void showsBlankWithoutMovie()
    {
        CPreviewSession session;
        session.view.OnInitialUpdate();
        QCOMPARE(session.view.CurrentTarget(), QUrl(QStringLiteral("about:blank")));
        QTRY_COMPARE_WITH_TIMEOUT(session.Web().url(), QUrl(QStringLiteral("about:blank")), kStartTimeoutMs);
        QVERIFY(session.view.Notice().contains(QStringLiteral("開く")));
        // The document's reload requests leave a blank pane blank.
        session.view.Stop();
        session.view.Refresh();
        QCOMPARE(session.view.CurrentTarget(), QUrl(QStringLiteral("about:blank")));
    }

    void compressedCorpusMovieFollowsApplyAndUndo()
    {
        if (!test::HaveCorpus())
            QSKIP(qPrintable(QString::fromStdString(test::NoCorpusMessage())));
        const auto movie = test::CorpusDir() / "ruffle/tests/tests/swfs/visual/gradient_issue_9892/test.swf";
        CPreviewSession session;
        std::optional<QPoint> background;
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("corpus"), [&] {
            const auto bgKey = session.FirstKeyOfKind(KIND_BG);
            if (!bgKey)
                return false;
            // Any place showing the background will do; the corner is the likeliest.
            const QImage image = Screen(session.view);
            for (const QPoint p : {QPoint(2, 2), QPoint(image.width() - 3, 2), QPoint(2, image.height() - 3)}) {
                if (ToKeyColour(image.pixel(p)) == (*bgKey & 0xFFFFFF)) {
                    background = p / image.devicePixelRatio();
                    return true;
                }
            }
            return false;
        }));
        CheckBackgroundFollowsApplyAndUndo(session, *background, QStringLiteral("corpus"));

        // A preview file that has gone leaves an empty pane, not the old movie.
        std::filesystem::remove(*session.doc.GetTempFilePath());
        session.view.Stop();
        session.view.Refresh();
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, *background), std::uint32_t{0xFFFFFF}, kReloadTimeoutMs);
    }

    // Movies that show DefineBits images, recoloured: one reading the
    // movie's shared JPEGTables beside a whole JPEG of its own, built here,
    // and a corpus movie whose image is a whole JPEG behind an empty
    // JPEGTables. The player draws the new pictures, each coloured pixel
    // the colour the shift gives the old one, within what one more JPEG
    // encoding and the player's smoothing change.
    void recolouredImagesStillPlay()
    {
        const SplitJpeg shared = SplitJpegTables(JpegOf(PhotoLikeRgb(160, 120, 3), 160, 120));
        CMovieBuilder builder;
        builder.AddTag(9, std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF});
        builder.AddTag(8, shared.tables);
        builder.AddTag(6, JpegTagBody(6, 1, shared.image));
        builder.AddTag(6, JpegTagBody(6, 3, JpegOf(PhotoLikeRgb(160, 120, 4), 160, 120)));
        builder.AddTag(2, BitmapShapeBody(2, 1, 160, 120));
        builder.AddTag(2, BitmapShapeBody(4, 3, 160, 120));
        builder.AddTag(26, PlaceBody(2, 1, 20, 20));
        builder.AddTag(26, PlaceBody(4, 2, 200, 200));
        builder.AddTag(1, {});
        std::vector<std::pair<QString, std::filesystem::path>> movies
            = {{QStringLiteral("DefineBits"), WriteMovie(QStringLiteral("images.swf"), builder.Build())}};
        if (test::HaveCorpus())
            movies.emplace_back(QStringLiteral("acid-bitmap-fill"),
                test::CorpusDir() / "ruffle/tests/tests/swfs/from_shumway/acid/acid-bitmap-fill/test.swf");
        for (const auto& [label, movie] : movies) {
            CPreviewSession session;
            // Pixels of the pane inside a coloured part of a picture, clear
            // of edges the player smooths.
            std::vector<std::pair<QPoint, std::uint32_t>> coloured;
            QVERIFY2(OpenAndWait(session, movie, label,
                         [&] {
                             const QImage image = Screen(session.view);
                             const auto colourful = [&](int x, int y) {
                                 const QRgb c = image.pixel(x, y);
                                 return std::max({qRed(c), qGreen(c), qBlue(c)})
                                     - std::min({qRed(c), qGreen(c), qBlue(c)})
                                     > 60;
                             };
                             coloured.clear();
                             for (int y = 2; y + 2 < image.height(); y += 3)
                                 for (int x = 2; x + 2 < image.width(); x += 3)
                                     if (colourful(x, y) && colourful(x - 2, y) && colourful(x + 2, y)
                                         && colourful(x, y - 2) && colourful(x, y + 2))
                                         coloured.emplace_back(QPoint(x, y), ToKeyColour(image.pixel(x, y)));
                             return coloured.size() >= 50;
                         }),
                qPrintable(label));
            for (const BitmapEntry& entry : session.doc.GetBitmaps().Entries())
                QVERIFY2(entry.description.Recolourable(), entry.description.problem.c_str());
            session.doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
            session.doc.Effect("H", 150);
            session.doc.UpdatePreview(false);
            QVERIFY(session.messages.Messages().empty());
            CColorTable table;
            table.ResetColorTable();
            CRecordingSink unused;
            table.Effect("H", 150, unused);
            const RecolourFn shift = ImageChangeOf(table)();
            const auto matches = [&] {
                const QImage image = Screen(session.view);
                std::size_t count = 0;
                for (const auto& [point, was] : coloured) {
                    const std::uint32_t want = shift(was), got = ToKeyColour(image.pixel(point));
                    bool near = true;
                    for (int bits = 0; bits < 24; bits += 8)
                        near = near && std::abs(int((got >> bits) & 0xFF) - int((want >> bits) & 0xFF)) <= 48;
                    count += near ? 1 : 0;
                }
                return count * 10 >= coloured.size() * 9;
            };
            QTRY_VERIFY2_WITH_TIMEOUT(matches(), qPrintable(label), kReloadTimeoutMs);
        }
    }

    void altClickPicksTheColourAndPlainClickReachesTheMovie()
    {
        CPreviewSession session;
        // Start blank, as the window does; the movie's page comes later.
        session.view.OnInitialUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(session.Web().url(), QUrl(QStringLiteral("about:blank")), kStartTimeoutMs);
        QVERIFY(session.view.Notice().contains(QStringLiteral("開く")));
        const auto movie = WriteMovie(QStringLiteral("pick.swf"), BuildSampleMovie(true));
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("sample, compressed"),
            [&] { return PixelOnScreen(session.view, kSampleRedShape) == kSampleRed; }));
        // The page counts every press that reaches it, before the player sees it.
        QCOMPARE(session.Evaluate(
                     QStringLiteral("window.presses = 0; window.releases = 0;"
                                    "window.addEventListener('pointerdown', () => ++window.presses, true);"
                                    "window.addEventListener('pointerup', () => ++window.releases, true); true")),
            QVariant(true));

        QWidget* input = session.Web().focusProxy();
        QVERIFY(input != nullptr);
        QSignalSpy picked(&session.view, &CTintorView::colourPicked);
        // The click lands on the browser's own input widget; its point is
        // relative to that widget, which need not sit at the view's corner.
        const QPoint onInput = input->mapFrom(&session.view, kSampleRedShape);
        QTest::mouseClick(input, Qt::LeftButton, Qt::AltModifier, onInput);
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(0).value<std::uint32_t>(), kSampleRed);

        const QPoint onBackground = input->mapFrom(&session.view, kSampleBackground);
        QTest::mouseClick(input, Qt::LeftButton, Qt::AltModifier, onBackground);
        QCOMPARE(picked.count(), 2);
        QCOMPARE(picked.at(1).at(0).value<std::uint32_t>(), std::uint32_t{0xDCEEF4});

        // A plain click reaches the page; once it has, the Alt+clicks sent
        // before it evidently did not.
        QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, onInput);
        QTRY_COMPARE_WITH_TIMEOUT(session.Evaluate(QStringLiteral("window.releases")).toInt(), 1, kReloadTimeoutMs);
        QCOMPARE(session.Evaluate(QStringLiteral("window.presses")).toInt(), 1);
        QCOMPARE(picked.count(), 2);

        // A right click reaches the page, but the player shows no menu of its own.
        QCOMPARE(session.Evaluate(QStringLiteral(
                     "window.menus = 0; window.addEventListener('contextmenu', () => ++window.menus, true); true")),
            QVariant(true));
        QTest::mouseClick(input, Qt::RightButton, Qt::NoModifier, onInput);
        QTRY_COMPARE_WITH_TIMEOUT(session.Evaluate(QStringLiteral("window.menus")).toInt(), 1, kReloadTimeoutMs);
        QTest::qWait(200);
        QCOMPARE(session.Evaluate(
                     QStringLiteral("[...document.querySelectorAll('ruffle-player')].some(p => { const o = p.shadowRoot"
                                    " && p.shadowRoot.getElementById('context-menu-overlay');"
                                    " return o !== null && !o.classList.contains('hidden'); })")),
            QVariant(false));
    }

    void aSimulationFiltersThePaneAloneAndAltShiftAsksForSimilarColours()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("simulate.swf"), BuildSampleMovie());
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("simulation"),
            [&] { return PixelOnScreen(session.view, kSampleRedShape) == kSampleRed; }));
        const auto buffer = session.doc.GetMovie().Buffer();
        const std::vector<std::uint8_t> before(buffer.begin(), buffer.end());
        // The browser filters in 8 bits between steps: a few steps of rounding.
        const auto near = [](std::uint32_t actual, std::uint32_t expected) {
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF))
                    > 4)
                    return false;
            return true;
        };
        for (const VisionSimulation vision : {VisionSimulation::Greyscale, VisionSimulation::Deuteranopia}) {
            session.view.SetSimulation(vision);
            const std::uint32_t seen = SimulateVision(vision, kSampleRed);
            QVERIFY2(QTest::qWaitFor(
                         [&] { return near(PixelOnScreen(session.view, kSampleRedShape), seen); }, kReloadTimeoutMs),
                qPrintable(QStringLiteral("simulation %1: %2 on screen, %3 expected")
                               .arg(static_cast<int>(vision))
                               .arg(PixelOnScreen(session.view, kSampleRedShape), 6, 16, QLatin1Char('0'))
                               .arg(seen, 6, 16, QLatin1Char('0'))));
        }
        // An Alt+Shift+click asks for the colours similar to the pixel, as seen.
        QWidget* input = session.Web().focusProxy();
        QVERIFY(input != nullptr);
        QSignalSpy similar(&session.view, &CTintorView::similarColoursPicked);
        QSignalSpy picked(&session.view, &CTintorView::colourPicked);
        QTest::mouseClick(
            input, Qt::LeftButton, Qt::AltModifier | Qt::ShiftModifier, input->mapFrom(&session.view, kSampleRedShape));
        QCOMPARE(similar.count(), 1);
        QCOMPARE(picked.count(), 0);
        QVERIFY(near(
            similar.at(0).at(0).value<std::uint32_t>(), SimulateVision(VisionSimulation::Deuteranopia, kSampleRed)));

        session.view.SetSimulation(VisionSimulation::Normal);
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, kSampleRedShape), kSampleRed, kReloadTimeoutMs);
        const auto after = session.doc.GetMovie().Buffer();
        QVERIFY(std::equal(before.begin(), before.end(), after.begin(), after.end()));
        QVERIFY(!session.doc.IsModified());
    }

    // ActionScript 3 fills the whole stage with beginFill of an int pool
    // entry written in five bytes where four would do: the player reads
    // such an entry, and the new colour a hue shift writes into it, in its
    // own five bytes, is what it draws.
    void actionScript3ColourInALongerEncodingReachesTheScreen()
    {
        CPreviewSession session;
        std::uint32_t entry = 0;
        const auto movie = WriteMovie(QStringLiteral("abc.swf"), BuildAbcDrawingMovie(0x3366CC, false, 5, &entry));
        constexpr std::uint32_t kBlue = 0xCC6633; // 0x3366cc, red in the low byte
        constexpr QPoint kStage(200, 150);
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("ActionScript 3"),
            [&] { return PixelOnScreen(session.view, kStage) == kBlue; }));
        const auto key = session.FirstKeyOfKind(KIND_SCRIPT);
        QCOMPARE(key, std::optional<std::uint32_t>(KIND_SCRIPT | kBlue));

        session.doc.ApplyEffects();
        session.doc.Select(*key, 1);
        session.doc.PushHistory();
        session.doc.Effect("H", 85);
        session.doc.UpdatePreview(false);
        session.doc.PushHistory();
        const std::uint32_t after = session.doc.GetColor(*key, 1) & 0xFFFFFF;
        QVERIFY(after != kBlue);
        QTRY_COMPARE_WITH_TIMEOUT(PixelOnScreen(session.view, kStage), after, kReloadTimeoutMs);
        const auto bytes = session.doc.GetMovie().Buffer().subspan(entry, 5);
        QVERIFY((bytes[3] & 0x80) != 0 && bytes[4] == 0);
        QVERIFY(session.messages.Messages().empty());
    }

    void frameShortcutsWinOverThePage()
    {
        CPreviewSession session;
        const auto movie = WriteMovie(QStringLiteral("keys.swf"), BuildSampleMovie());
        QVERIFY(OpenAndWait(session, movie, QStringLiteral("sample, keys"),
            [&] { return PixelOnScreen(session.view, kSampleRedShape) == kSampleRed; }));
        QWidget* input = session.Web().focusProxy();
        QVERIFY(input != nullptr);
        session.view.activateWindow();
        input->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(input->hasFocus(), kReloadTimeoutMs);
        // The window's accelerators, as the frame defines them, while the
        // preview has the focus: the browser must not keep them for itself.
        const QKeyCombination keys[] = {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace, Qt::CTRL | Qt::Key_Y,
            Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::SHIFT | Qt::Key_A,
            Qt::CTRL | Qt::SHIFT | Qt::Key_S, Qt::CTRL | Qt::Key_Q};
        for (const QKeyCombination key : keys) {
            QAction action(QKeySequence(key).toString());
            action.setShortcut(QKeySequence(key));
            session.view.addAction(&action);
            QSignalSpy triggered(&action, &QAction::triggered);
            QTest::keyClick(input, key.key(), key.keyboardModifiers());
            QVERIFY2(triggered.count() == 1, qPrintable(action.text()));
            session.view.removeAction(&action);
        }
    }
};

} // namespace tintor

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside Qt WebEngine frees some of its objects with a sized delete
// of a base type, and it and fontconfig keep some allocations until the
// process ends; none of that is ours to mend. Options given in ASAN_OPTIONS
// and LSAN_OPTIONS still win.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv)
{
    tintor::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    tintor::CPreviewViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "preview_view_test.moc"
