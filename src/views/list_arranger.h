#pragma once

#include "colour/list_arrangement.h"
#include "core/latest_worker.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tintor {

// Arranges the colour list (search, sort, families) as a request asks: at
// once for a small list, and for a large one on a thread of its own, so
// that typing, sorting and grouping millions of colours never hold the
// window up. The newest request's rows are handed over on the window's
// thread when they are ready; those of any request before it are dropped.
// While rows are on their way the mouse pointer shows that work goes on.
class CListArranger final : public QObject {
    Q_OBJECT
public:
    // Shows rows made for a request, on the window's thread.
    using Apply = std::function<void(ListArrangement arrangement, const ListRequest& request)>;

    // From this many colours of the list's order on, arranging goes aside.
    static constexpr std::size_t kAsideFrom = 100000;

    explicit CListArranger(Apply apply, QObject* parent = nullptr);
    ~CListArranger() override;

    // For tests: the size from which arranging goes aside.
    void SetAsideFrom(std::size_t colours) { m_asideFrom = colours; }
    // Arranges the rows. replacing: the rows shown belong to another table
    // and must go now; when the request's sort or families have to wait,
    // its filter alone is shown until they are ready.
    void Request(ListRequest request, bool replacing);
    // Whether rows are still to come.
    bool Pending() const { return m_pending; }
    // Waits for the rows to come and shows them now: for whatever needs the
    // list as asked for (Select All takes the rows shown).
    void Settle();
    // Drops the rows still to come and waits until nothing of the work on
    // them is held any more: the table they were for has gone, and its
    // memory is to go back to the system.
    void Cancel();

private:
    struct Ready {
        std::uint64_t generation = 0;
        ListArrangement arrangement;
        ListRequest request;
    };
    // On the window's thread: the rows that came, if the newest.
    void TakeReady();
    void SetBusy(bool busy);

    Apply m_apply;
    std::size_t m_asideFrom = kAsideFrom;
    std::uint64_t m_generation = 0;
    // The newest request, for the work under way to tell that it is still
    // wanted.
    std::shared_ptr<std::atomic<std::uint64_t>> m_wanted = std::make_shared<std::atomic<std::uint64_t>>(0);
    bool m_pending = false;
    bool m_busyShown = false;
    std::mutex m_readyMutex;
    std::optional<Ready> m_ready;
    // Last, so that it goes first: the arrangement under way ends while
    // everything it hands its rows to is still there.
    std::unique_ptr<CLatestWorker> m_worker;
};

} // namespace tintor
