// Before and after in the preview pane, with the real web view and player:
// the switch to the movie as it was opened and back, from the player kept
// ready, timed until the pane looks different, against what the same switch
// took when it loaded the original as a passing look (writing the original
// and loading it in a new player) and the preview again (reloading it).
// Counters: to_ms and back_ms (median switch), old_to_ms and old_back_ms,
// x_old_to and x_old_back (switch / old way), goal (1 when both ways take
// at most 0.1 s).
#include "window_bench_preview.h"

#include "core/file.h"
#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "testkit/bench_movies.h"
#include "testkit/movie_builder.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"
#include "views/preview_view.h"
#include "views/qt_task_poster.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tintor::CTintorDoc;
using tintor::CTintorView;

constexpr double kGoalSeconds = 0.1;
// Chromium's start and a movie of millions of colours take their time on a
// busy machine.
constexpr auto kPatience = std::chrono::minutes(5);
constexpr int kOldWayRuns = 3;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs the event loop until done() or the patience runs out; whether done.
bool WaitFor(const std::function<bool()>& done)
{
    const auto end = Clock::now() + kPatience;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    return true;
}

// A document and its preview pane at the size of the sample's stage.
class CPreviewSession {
public:
    CPreviewSession()
    {
        m_doc.WritePreviewAside(&m_poster);
        m_doc.AttachViews(nullptr, &m_view);
        m_view.resize(400, 300);
        m_view.show();
        QObject::connect(&m_view, &CTintorView::movieShown, [this] { ++m_shown; });
    }
    ~CPreviewSession() { m_doc.AttachViews(nullptr, nullptr); }

    // Opens the movie and waits until it and its original are ready.
    bool Open(const std::filesystem::path& movie)
    {
        if (!m_doc.OnOpenDocument(movie))
            return false;
        m_view.OnInitialUpdate();
        return WaitFor([this] { return m_shown > 0 && m_view.OriginalReady(); });
    }

    // The background shifted to black and applied, so that the preview and
    // the original differ all over the pane.
    bool DarkenBackground()
    {
        std::optional<std::uint32_t> bg;
        m_doc.GetColorTable().Map().ForEach([&](std::uint32_t key, const std::uint32_t&) {
            if (!bg && (key & tintor::kKindMask) == tintor::KIND_BG)
                bg = key;
        });
        if (!bg)
            return false;
        return SecondsToChange([&] {
            m_doc.ApplyEffects();
            m_doc.Select(*bg, 1);
            m_doc.PushHistory();
            m_doc.Effect("V", 0);
            m_doc.UpdatePreview(false);
            m_doc.PushHistory();
        }) >= 0;
    }

    // Seconds from act() until the movie in the pane looks other than it
    // did, at the middle, where the background shows and no word over the
    // pane lies; -1 when it never does.
    double SecondsToChange(const std::function<void()>& act)
    {
        const auto middle = [this] {
            const QImage image = m_view.grab().toImage();
            return image.pixel(image.width() / 2, image.height() / 2);
        };
        const QRgb before = middle();
        const auto start = Clock::now();
        act();
        if (!WaitFor([&] { return middle() != before; }))
            return -1;
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    // The old way there: the original written beside the preview and
    // loaded as a passing look, at every press.
    double OldWayToOriginal()
    {
        return SecondsToChange([&] {
            const auto path = m_doc.WriteBesidePreview(m_doc.OriginalImage(), "__original.swf");
            if (path)
                m_view.ShowAside(QString::fromStdString(path->string()), QString());
        });
    }

    // The old way back: the passing look gone and the preview loaded anew,
    // until its first frame.
    double OldWayBack()
    {
        const int shown = m_shown;
        const auto start = Clock::now();
        m_view.Stop();
        m_view.Refresh();
        if (!WaitFor([&] { return m_shown > shown; }))
            return -1;
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    CTintorView& View() { return m_view; }

private:
    tintor::CQtTaskPoster m_poster{qApp};
    tintor::CRecordingSink m_messages;
    tintor::CNoDialogs m_dialogs;
    CTintorDoc m_doc{m_messages, m_dialogs};
    CTintorView m_view{m_doc};
    int m_shown = 0;
};

void BM_BeforeAfter(benchmark::State& state, const std::filesystem::path& movie, std::size_t colours)
{
    CPreviewSession session;
    if (!session.Open(movie) || !session.DarkenBackground()) {
        state.SkipWithError("the preview did not show the movie");
        return;
    }
    CTintorView& view = session.View();
    std::vector<double> to, back;
    for (auto _ : state) {
        const double t = session.SecondsToChange([&] { view.ShowOriginal(true); });
        const double b = session.SecondsToChange([&] { view.ShowOriginal(false); });
        if (t < 0 || b < 0) {
            state.SkipWithError("the pane did not switch");
            return;
        }
        to.push_back(t);
        back.push_back(b);
        state.SetIterationTime(t + b);
    }
    std::vector<double> oldTo, oldBack;
    for (int run = 0; run < kOldWayRuns; ++run) {
        oldTo.push_back(session.OldWayToOriginal());
        oldBack.push_back(session.OldWayBack());
    }
    const double t = Median(to), b = Median(back), ot = Median(oldTo), ob = Median(oldBack);
    state.counters["colours"] = static_cast<double>(colours);
    state.counters["to_ms"] = t * 1000.0;
    state.counters["back_ms"] = b * 1000.0;
    state.counters["old_to_ms"] = ot * 1000.0;
    state.counters["old_back_ms"] = ob * 1000.0;
    state.counters["x_old_to"] = ot > 0 ? t / ot : 0.0;
    state.counters["x_old_back"] = ob > 0 ? b / ob : 0.0;
    state.counters["goal"] = t <= kGoalSeconds && b <= kGoalSeconds ? 1.0 : 0.0;
}

} // namespace

void RegisterPreviewBenchmarks(const std::filesystem::path& scratch)
{
    struct Case {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::size_t colours;
    };
    // The demonstration movie, and 2,000,000 fill colours behind a background.
    std::vector<Case> cases;
    cases.push_back({"sample", tintor::BuildSampleMovie(), 0});
    cases.push_back({"2000000", tintor::BuildManyColoursMovie(20000, true), 2000001});
    for (Case& c : cases) {
        const std::filesystem::path path = scratch / ("before-after-" + c.name + ".swf");
        if (!tintor::WriteWholeFile(path, c.bytes))
            continue;
        benchmark::RegisterBenchmark(("BeforeAfter/" + c.name).c_str(), BM_BeforeAfter, path, c.colours)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(10);
    }
}
