#include "views/list_arranger.h"

#include <QApplication>
#include <QMetaObject>

namespace tintor {

CListArranger::CListArranger(Apply apply, QObject* parent) : QObject(parent), m_apply(std::move(apply)) {}

CListArranger::~CListArranger()
{
    m_worker.reset();
    SetBusy(false);
}

void CListArranger::Request(ListRequest request, bool replacing)
{
    // Rows of the table before, made or in the making, go first.
    if (replacing)
        Cancel();
    const std::uint64_t generation = ++m_generation;
    m_wanted->store(generation);
    const std::size_t colours = request.listOrder ? request.listOrder->size() : 0;
    // The whole list in its own order is no work at all.
    if (colours < m_asideFrom || (request.FilterOnly() && request.filter.TakesAll())) {
        m_pending = false;
        SetBusy(false);
        m_apply(Arrange(request), request);
        return;
    }
    if (replacing) {
        // The filter alone is quick and names only entries of the new table.
        ListRequest interim = request;
        interim.sort = ListSort::ListOrder;
        interim.grouped = false;
        m_apply(Arrange(interim), interim);
        if (request.FilterOnly()) {
            m_pending = false;
            SetBusy(false);
            return;
        }
    }
    if (!m_worker)
        m_worker = std::make_unique<CLatestWorker>("tintor-arrange");
    m_pending = true;
    SetBusy(true);
    m_worker->Post([this, generation, wanted = m_wanted, request = std::move(request)] {
        ListArrangement arrangement = Arrange(request, [&] { return wanted->load() != generation; });
        if (wanted->load() != generation)
            return;
        {
            const std::lock_guard lock(m_readyMutex);
            m_ready = Ready{generation, std::move(arrangement), request};
        }
        // Dropped, should this object go before the event is delivered.
        QMetaObject::invokeMethod(
            this, [this] { TakeReady(); }, Qt::QueuedConnection);
    });
}

void CListArranger::TakeReady()
{
    std::optional<Ready> ready;
    {
        const std::lock_guard lock(m_readyMutex);
        ready.swap(m_ready);
    }
    if (!ready || !m_pending || ready->generation != m_generation)
        return;
    m_pending = false;
    SetBusy(false);
    m_apply(std::move(ready->arrangement), ready->request);
}

void CListArranger::Settle()
{
    if (!m_pending || !m_worker)
        return;
    m_worker->Flush();
    TakeReady();
}

void CListArranger::Cancel()
{
    m_wanted->store(++m_generation);
    m_pending = false;
    SetBusy(false);
    if (m_worker)
        m_worker->Flush();
    const std::lock_guard lock(m_readyMutex);
    m_ready.reset();
}

void CListArranger::SetBusy(bool busy)
{
    if (busy == m_busyShown)
        return;
    m_busyShown = busy;
    // The pointer of work going on in the background: the window still
    // takes input.
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace tintor
