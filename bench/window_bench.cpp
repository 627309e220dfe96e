// The window's own paths on movies of 200,000 and 2,000,000 colours: the
// document and the colour list driven as the user drives them and painted
// offscreen. Each edit is read against a plain pass over the colour array
// of the same size, measured in the same run; opening (until the list is
// painted) against tintor-cli's `colours` of the same movie; and the peak
// memory of a session that fills the history against tintor-cli's peak.
//   window_bench [--benchmark_filter=...]
// Counters: x_pass (time / plain pass), x_cli (time / tintor-cli colours),
// goal (1 when the figure meets its goal: an edit within 0.2 s or 2 plain
// passes, opening within 1.5 x tintor-cli, memory within 2 x tintor-cli's
// peak plus 8 bytes per colour per history state actually changed); the
// same with _cpu from the CPU time of the window's thread (and tintor-cli's),
// which a busy machine does not stretch as it stretches wall time. Memory
// is the peak resident size less that of an empty session (Qt's own).
#include "core/file.h"
#include "core/memory.h"
#include "document/tintor_doc.h"
#include "testkit/bench_movies.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"
#include "views/colour_view.h"
#include "views/list_arranger.h"
#include "views/preview_environment.h"
#include "views/qt_task_poster.h"
#include "window_bench_preview.h"

#include <QApplication>
#include <QListView>
#include <QSlider>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tintor::CColorView;
using tintor::CTintorDoc;

constexpr double kEditGoalSeconds = 0.2;
constexpr double kEditGoalPasses = 2.0;
constexpr double kOpenGoalCli = 1.5;
constexpr double kMemoryGoalCli = 2.0;
constexpr double kMemoryGoalBytesPerChange = 8.0;
// What a window that held a big movie may keep after a small one took its
// place, over a window that only ever held the small one.
constexpr double kReopenGoalMiB = 100.0;
// Colours per shape of the generated movies.
constexpr std::uint32_t kColoursPerShape = 100;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The CPU time of the calling thread: what the window's own thread spends,
// whatever else the machine runs.
double ThreadSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and thread CPU time of one run of f.
struct Timing {
    double wall = 0;
    double cpu = 0;
};
template <typename F> Timing Time(F&& f)
{
    const auto start = Clock::now();
    const double cpuStart = ThreadSeconds();
    f();
    return Timing{Seconds(Clock::now() - start), ThreadSeconds() - cpuStart};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Lets the list lay itself out and paint, as the event loop would before
// the user sees the result.
void Settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The baseline: one read-modify-write pass over an array of n colours, as
// flipping one bit of every entry of the colour table takes.
Timing PlainPass(std::size_t n)
{
    std::vector<std::uint32_t> colours(n);
    for (std::size_t i = 0; i < n; ++i)
        colours[i] = tintor::ScatteredColour(static_cast<std::uint32_t>(i));
    std::vector<double> wall, cpu;
    for (int run = 0; run < 31; ++run) {
        const Timing t = Time([&] {
            for (std::uint32_t& c : colours)
                c ^= tintor::kSelectedBit;
            benchmark::DoNotOptimize(colours.data());
            benchmark::ClobberMemory();
        });
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    return Timing{Median(wall), Median(cpu)};
}

struct ChildResult {
    double seconds = 0;
    // User and system time.
    double cpuSeconds = 0;
    double peakMiB = 0;
    bool ok = false;
    // What it wrote to stdout, when kept.
    std::string output;
};

// Runs a program; its wall time, peak resident size and (when keep) its
// stdout, which otherwise goes to /dev/null.
ChildResult RunChild(const std::vector<std::string>& args, bool keep = false)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2] = {-1, -1};
    if (keep && ::pipe(pipeFds) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = keep ? pipeFds[1] : ::open("/dev/null", O_WRONLY);
        if (out >= 0)
            ::dup2(out, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildResult result;
    if (keep) {
        ::close(pipeFds[1]);
        char buffer[256];
        for (ssize_t n; pid > 0 && (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            result.output.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeFds[0]);
    }
    if (pid < 0)
        return result;
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.seconds = Seconds(Clock::now() - start);
    result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

// The movies and the baselines of this run, one per size.
struct Movie {
    std::filesystem::path path;
    std::size_t colours = 0;
    Timing plainPass;
    double cliColours = 0;
    double cliColoursCpu = 0;
    double cliPeakMiB = 0;
};

std::string g_self;

// The document and the colour list as the window has them: the list shown
// at the width the window gives it, preview files written aside.
class CSession {
public:
    CSession()
    {
        m_doc.WritePreviewAside(&m_poster);
        m_doc.AttachViews(&m_view, nullptr);
        m_view.resize(270, 640);
        m_view.show();
        Settle();
    }
    ~CSession() { m_doc.AttachViews(nullptr, nullptr); }
    // What the window does to open a movie, up to the painted list.
    bool Open(const std::filesystem::path& movie)
    {
        if (!m_doc.OnOpenDocument(movie))
            return false;
        m_view.OnInitialUpdate();
        tintor::ReturnFreedMemory();
        Settle();
        return true;
    }
    // Lets the preview file being written and the list being arranged
    // finish, so that the next edit does not share the machine with them.
    void Quiet()
    {
        m_doc.FlushPreview();
        WaitForRows();
        Settle();
    }
    // Until the list shows the rows last asked for.
    void WaitForRows()
    {
        while (m_view.Arranger()->Pending())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Settle();
    }
    CTintorDoc& Doc() { return m_doc; }
    CColorView& View() { return m_view; }

private:
    tintor::CQtTaskPoster m_poster{qApp};
    tintor::CRecordingSink m_messages;
    tintor::CNoDialogs m_dialogs;
    CTintorDoc m_doc{m_messages, m_dialogs};
    CColorView m_view{m_doc};
};

void Report(benchmark::State& state, const Movie& movie, const std::vector<Timing>& times)
{
    std::vector<double> wall, cpu;
    for (const Timing& t : times) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    const double w = Median(wall), c = Median(cpu);
    state.counters["colours"] = static_cast<double>(movie.colours);
    state.counters["cpu_ms"] = c * 1000.0;
    state.counters["worst_ms"] = wall.empty() ? 0.0 : *std::max_element(wall.begin(), wall.end()) * 1000.0;
    state.counters["x_pass"] = w / movie.plainPass.wall;
    state.counters["x_pass_cpu"] = c / movie.plainPass.cpu;
    state.counters["goal"] = w <= std::max(kEditGoalSeconds, kEditGoalPasses * movie.plainPass.wall) ? 1.0 : 0.0;
    // The same for the window's own thread alone, which is what a machine
    // busy with other work leaves of it.
    state.counters["goal_cpu"] = c <= std::max(kEditGoalSeconds, kEditGoalPasses * movie.plainPass.cpu) ? 1.0 : 0.0;
}

// Times `measured` after `prepare` (not timed), each followed by painting:
// how long the window's thread is held. A large list is arranged aside, so
// its rows may come later: ready_ms is the time until they are shown.
void TimeEdits(benchmark::State& state, const Movie& movie, CSession& session, const std::function<void()>& prepare,
    const std::function<void()>& measured)
{
    std::vector<Timing> times;
    std::vector<double> ready;
    for (auto _ : state) {
        prepare();
        session.Quiet();
        const auto start = Clock::now();
        const Timing t = Time([&] {
            measured();
            Settle();
        });
        session.WaitForRows();
        ready.push_back(Seconds(Clock::now() - start));
        times.push_back(t);
        state.SetIterationTime(t.wall);
    }
    Report(state, movie, times);
    state.counters["ready_ms"] = Median(ready) * 1000.0;
}

void BM_PlainPass(benchmark::State& state, const Movie* movie)
{
    std::vector<std::uint32_t> colours(movie->colours, 0);
    for (auto _ : state) {
        for (std::uint32_t& c : colours)
            c ^= tintor::kSelectedBit;
        benchmark::DoNotOptimize(colours.data());
        benchmark::ClobberMemory();
    }
    state.counters["colours"] = static_cast<double>(movie->colours);
}

enum class Edit { SelectAll, SelectNone, Undo, Redo, SliderStep, SelectHues };

void BM_Edit(benchmark::State& state, const Movie* movie, Edit edit)
{
    CSession session;
    if (!session.Open(movie->path)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    CColorView& view = session.View();
    CTintorDoc& doc = session.Doc();
    QSlider& hue = *view.HueSlider();
    switch (edit) {
    case Edit::SelectAll:
        TimeEdits(
            state, *movie, session, [&] { view.OnEditDeselect(); }, [&] { view.OnEditSelectAll(); });
        break;
    case Edit::SelectNone:
        TimeEdits(
            state, *movie, session, [&] { view.OnEditSelectAll(); }, [&] { view.OnEditDeselect(); });
        break;
    case Edit::Undo:
        // The step undone changes every colour: all selected, shifted, applied.
        TimeEdits(
            state, *movie, session,
            [&] {
                if (doc.OnUpdateEditRedo())
                    doc.OnEditRedo();
                else {
                    view.OnEditSelectAll();
                    hue.setValue(hue.value() == 150 ? 151 : 150);
                    view.OnApply();
                }
            },
            [&] { doc.OnEditUndo(); });
        break;
    case Edit::Redo:
        TimeEdits(
            state, *movie, session,
            [&] {
                if (!doc.OnUpdateEditRedo()) {
                    view.OnEditSelectAll();
                    hue.setValue(hue.value() == 150 ? 151 : 150);
                    view.OnApply();
                }
                doc.OnEditUndo();
            },
            [&] { doc.OnEditRedo(); });
        break;
    case Edit::SliderStep:
        view.OnEditSelectAll();
        TimeEdits(
            state, *movie, session, [] {}, [&] { hue.setValue(hue.value() >= 199 ? 101 : hue.value() + 1); });
        break;
    case Edit::SelectHues:
        // Edit > Select by Hue, the reds, on top of nothing selected.
        TimeEdits(
            state, *movie, session, [&] { view.OnEditDeselect(); },
            [&] {
                view.SelectHues(tintor::HueRange{330, 30});
            });
        break;
    }
}

// The list's arrangement: each sort from the list's own order (the list
// order from hue), and the families toggled on and off.
enum class Arrange { SortLightness, SortHue, SortPlaces, SortList, FamiliesOn, FamiliesOff };

void BM_Arrange(benchmark::State& state, const Movie* movie, Arrange arrange)
{
    CSession session;
    if (!session.Open(movie->path)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    CColorView& view = session.View();
    const auto sort = [&](tintor::ListSort from, tintor::ListSort to) {
        TimeEdits(
            state, *movie, session, [&] { view.SetSort(from); }, [&] { view.SetSort(to); });
    };
    switch (arrange) {
    case Arrange::SortLightness:
        sort(tintor::ListSort::ListOrder, tintor::ListSort::Lightness);
        break;
    case Arrange::SortHue:
        sort(tintor::ListSort::ListOrder, tintor::ListSort::Hue);
        break;
    case Arrange::SortPlaces:
        sort(tintor::ListSort::ListOrder, tintor::ListSort::Places);
        break;
    case Arrange::SortList:
        sort(tintor::ListSort::Hue, tintor::ListSort::ListOrder);
        break;
    case Arrange::FamiliesOn:
        TimeEdits(
            state, *movie, session, [&] { view.SetGrouped(false); }, [&] { view.SetGrouped(true); });
        break;
    case Arrange::FamiliesOff:
        TimeEdits(
            state, *movie, session, [&] { view.SetGrouped(true); }, [&] { view.SetGrouped(false); });
        break;
    }
}

// Typing into the search box and taking it back, one key at a time: each
// iteration is the next text of the round, timed until the list is painted.
// The worst key of the round counts as well as the median.
void BM_SearchKeystroke(benchmark::State& state, const Movie* movie)
{
    static const char* const kRound[] = {"f", "fa", "fa3", "fa", "f", ""};
    CSession session;
    if (!session.Open(movie->path)) {
        state.SkipWithError("cannot open the movie");
        return;
    }
    std::size_t next = 0;
    TimeEdits(
        state, *movie, session, [] {},
        [&] { session.View().SetSearchText(QString::fromLatin1(kRound[next++ % std::size(kRound)])); });
}

// From nothing to a painted list of the movie's colours.
void BM_Open(benchmark::State& state, const Movie* movie)
{
    std::vector<Timing> times;
    for (auto _ : state) {
        auto session = std::make_unique<CSession>();
        bool ok = false;
        const Timing t = Time([&] { ok = session->Open(movie->path); });
        if (!ok) {
            state.SkipWithError("cannot open the movie");
            return;
        }
        times.push_back(t);
        state.SetIterationTime(t.wall);
        session->Quiet();
    }
    Report(state, *movie, times);
    std::vector<double> wall;
    for (const Timing& t : times)
        wall.push_back(t.wall);
    state.counters["x_cli"] = Median(wall) / movie->cliColours;
    state.counters["x_cli_cpu"] = state.counters["cpu_ms"] / 1000.0 / movie->cliColoursCpu;
    state.counters["goal_cpu"] = state.counters["x_cli_cpu"] <= kOpenGoalCli ? 1.0 : 0.0;
    state.counters["goal"] = Median(wall) <= kOpenGoalCli * movie->cliColours ? 1.0 : 0.0;
}

void BM_CliColours(benchmark::State& state, const Movie* movie)
{
    for (auto _ : state) {
        const ChildResult r = RunChild({TINTOR_CLI, "colours", movie->path.string()});
        if (!r.ok) {
            state.SkipWithError("tintor-cli failed");
            return;
        }
        state.SetIterationTime(r.seconds);
        state.counters["peak_MiB"] = r.peakMiB;
        state.counters["cpu_ms"] = r.cpuSeconds * 1000.0;
    }
    state.counters["colours"] = static_cast<double>(movie->colours);
}

// Sessions as the window has them, in processes of their own: peak memory
// against tintor-cli's. What Qt itself takes is measured on an empty
// session and not counted.
enum class Session { Edits, Selections };

void BM_Memory(benchmark::State& state, const Movie* movie, Session kind)
{
    const char* name = kind == Session::Edits ? "edits" : "selections";
    for (auto _ : state) {
        const ChildResult empty = RunChild({g_self, "--session", "empty", ""});
        const ChildResult r = RunChild({g_self, "--session", name, movie->path.string()}, true);
        if (!empty.ok || !r.ok) {
            state.SkipWithError("the session failed");
            return;
        }
        // The session says how many steps (states that changed colours)
        // its history holds, and how many table entries they keep.
        char* end = nullptr;
        const double steps = std::strtod(r.output.c_str(), &end);
        const double stored = std::strtod(end, nullptr);
        const double allowed = kMemoryGoalCli * movie->cliPeakMiB
            + kMemoryGoalBytesPerChange * static_cast<double>(movie->colours) * steps / (1024.0 * 1024.0);
        // The same with 8 bytes for each entry a step keeps rather than for
        // every colour of each step.
        const double strict
            = kMemoryGoalCli * movie->cliPeakMiB + kMemoryGoalBytesPerChange * stored / (1024.0 * 1024.0);
        const double used = r.peakMiB - empty.peakMiB;
        state.SetIterationTime(r.seconds);
        state.counters["peak_MiB"] = r.peakMiB;
        state.counters["qt_MiB"] = empty.peakMiB;
        state.counters["cli_MiB"] = movie->cliPeakMiB;
        state.counters["steps"] = steps;
        state.counters["stored_M"] = stored / 1e6;
        state.counters["allowed_MiB"] = allowed;
        state.counters["x_allowed"] = used / allowed;
        state.counters["x_strict"] = used / strict;
        state.counters["goal"] = used <= allowed ? 1.0 : 0.0;
    }
    state.counters["colours"] = static_cast<double>(movie->colours);
}

// The child of BM_Memory. "edits": 60 rounds of select all, a slider step,
// Apply and select none, each Apply and each folding of the effect a step
// that changes every colour, so the history is full. "selections": 60
// rounds of select all and select none, which change no colour. "empty":
// no movie. Prints the steps the history holds and the table entries they keep.
int RunSession(const std::string& kind, const std::string& movie)
{
    CSession session;
    if (!movie.empty()) {
        if (!session.Open(movie))
            return 2;
        CColorView& view = session.View();
        for (int round = 0; round < 60; ++round) {
            view.OnEditSelectAll();
            if (kind == "edits") {
                view.HueSlider()->setValue(100 + 1 + round % 50);
                view.OnApply();
            }
            view.OnEditDeselect();
            session.Quiet();
        }
    }
    const tintor::CHistory& history = session.Doc().GetHistory();
    std::printf("%d %zu\n", history.GetUndoCount() + history.GetRedoCount(), history.StoredEntries());
    return 0;
}

// The resident size of this process now, in MiB.
double ResidentMiB()
{
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The child of BM_MemoryAfterClose. "fresh": the small movie opened in a
// new session. "reopen": the big movie opened and worked on as a user
// does (every arrangement, a search, selections, an applied shift), then
// the small one opened in its place, three times over. Prints the
// resident size with the small movie open after each round.
int RunReopenSession(const std::string& kind, const std::string& big, const std::string& small)
{
    CSession session;
    const int rounds = kind == "reopen" ? 3 : 0;
    for (int round = 0; round < rounds; ++round) {
        if (!session.Open(big))
            return 2;
        CColorView& view = session.View();
        view.OnEditSelectAll();
        view.HueSlider()->setValue(120 + round);
        view.OnApply();
        view.OnEditDeselect();
        view.SelectHues(tintor::HueRange{330, 30});
        for (const tintor::ListSort sort :
            {tintor::ListSort::Lightness, tintor::ListSort::Hue, tintor::ListSort::Places, tintor::ListSort::ListOrder})
            view.SetSort(sort);
        view.SetGrouped(true);
        view.SetSearchText(QStringLiteral("f"));
        view.SetSearchText(QString());
        view.SetGrouped(false);
        view.OnEditDeselect();
        session.Quiet();
        if (!session.Open(small))
            return 2;
        session.Quiet();
        std::printf("%.1f ", ResidentMiB());
    }
    if (rounds == 0) {
        if (!session.Open(small))
            return 2;
        session.Quiet();
        std::printf("%.1f", ResidentMiB());
    }
    std::printf("\n");
    return 0;
}

// After a big movie, a small one opened in its place: the resident size
// then against a new session that opened only the small movie.
void BM_MemoryAfterClose(benchmark::State& state, const Movie* movie, const std::filesystem::path& small)
{
    for (auto _ : state) {
        const ChildResult fresh = RunChild({g_self, "--session", "fresh", "", small.string()}, true);
        const ChildResult r = RunChild({g_self, "--session", "reopen", movie->path.string(), small.string()}, true);
        if (!fresh.ok || !r.ok) {
            state.SkipWithError("the session failed");
            return;
        }
        const double base = std::strtod(fresh.output.c_str(), nullptr);
        std::vector<double> after;
        const char* at = r.output.c_str();
        for (char* end = nullptr;; at = end) {
            const double v = std::strtod(at, &end);
            if (end == at)
                break;
            after.push_back(v);
        }
        if (after.empty()) {
            state.SkipWithError("the session said nothing");
            return;
        }
        state.SetIterationTime(r.seconds);
        state.counters["fresh_MiB"] = base;
        state.counters["after1_MiB"] = after.front() - base;
        state.counters["after3_MiB"] = after.back() - base;
        state.counters["goal"] = *std::max_element(after.begin(), after.end()) - base <= kReopenGoalMiB ? 1.0 : 0.0;
    }
    state.counters["colours"] = static_cast<double>(movie->colours);
}

} // namespace

int main(int argc, char** argv)
{
    // As the window's main does.
    tintor::ReturnLargeBlocksWhenFreed();
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tintor::PrepareWebEngineEnvironment();
    if (argc >= 4 && std::string(argv[1]) == "--session") {
        int qtArgc = 1;
        QApplication app(qtArgc, argv);
        if (argc >= 5)
            return RunReopenSession(argv[2], argv[3], argv[4]);
        return RunSession(argv[2], argv[3]);
    }

    std::string pattern = (std::filesystem::temp_directory_path() / "tintor-window-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return 1;
    const std::filesystem::path scratch = pattern;

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // The small movie opened after a big one: 1,000 colours.
    const std::filesystem::path small = scratch / "colours-1000.swf";
    if (!tintor::WriteWholeFile(small, tintor::BuildManyColoursMovie(10)))
        return 1;
    std::vector<std::unique_ptr<Movie>> movies;
    for (const std::size_t colours : {std::size_t{200000}, std::size_t{2000000}}) {
        auto movie = std::make_unique<Movie>();
        movie->colours = colours;
        movie->path = scratch / ("colours-" + std::to_string(colours) + ".swf");
        if (!tintor::WriteWholeFile(
                movie->path, tintor::BuildManyColoursMovie(static_cast<std::uint32_t>(colours / kColoursPerShape))))
            return 1;
        movie->plainPass = PlainPass(colours);
        std::vector<double> cli, cliCpu;
        for (int run = 0; run < 5; ++run) {
            const ChildResult r = RunChild({TINTOR_CLI, "colours", movie->path.string()});
            cli.push_back(r.seconds);
            cliCpu.push_back(r.cpuSeconds);
            movie->cliPeakMiB = std::max(movie->cliPeakMiB, r.peakMiB);
        }
        movie->cliColours = Median(cli);
        movie->cliColoursCpu = Median(cliCpu);
        movies.push_back(std::move(movie));
    }

    for (const auto& movie : movies) {
        const Movie* m = movie.get();
        const std::string n = std::to_string(m->colours);
        const auto reg = [&](const std::string& name, auto&&... args) {
            return benchmark::RegisterBenchmark((name + "/" + n).c_str(), args...)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        };
        benchmark::RegisterBenchmark(("PlainPass/" + n).c_str(), BM_PlainPass, m)->Unit(benchmark::kMillisecond);
        reg("SelectAll", BM_Edit, m, Edit::SelectAll)->Iterations(10);
        reg("SelectNone", BM_Edit, m, Edit::SelectNone)->Iterations(10);
        reg("Undo", BM_Edit, m, Edit::Undo)->Iterations(10);
        reg("Redo", BM_Edit, m, Edit::Redo)->Iterations(10);
        reg("SliderStep", BM_Edit, m, Edit::SliderStep)->Iterations(20);
        reg("SelectHues", BM_Edit, m, Edit::SelectHues)->Iterations(5);
        reg("SearchKeystroke", BM_SearchKeystroke, m)->Iterations(12);
        reg("SortLightness", BM_Arrange, m, Arrange::SortLightness)->Iterations(5);
        reg("SortHue", BM_Arrange, m, Arrange::SortHue)->Iterations(5);
        reg("SortPlaces", BM_Arrange, m, Arrange::SortPlaces)->Iterations(5);
        reg("SortList", BM_Arrange, m, Arrange::SortList)->Iterations(5);
        reg("FamiliesOn", BM_Arrange, m, Arrange::FamiliesOn)->Iterations(5);
        reg("FamiliesOff", BM_Arrange, m, Arrange::FamiliesOff)->Iterations(5);
        reg("Open", BM_Open, m)->Iterations(5);
        reg("CliColours", BM_CliColours, m)->Iterations(5);
        reg("MemoryEdits", BM_Memory, m, Session::Edits)->Iterations(1);
        reg("MemorySelections", BM_Memory, m, Session::Selections)->Iterations(1);
        reg("MemoryAfterClose", BM_MemoryAfterClose, m, small)->Iterations(1);
    }

    RegisterPreviewBenchmarks(scratch);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(scratch);
    return 0;
}
