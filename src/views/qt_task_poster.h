#pragma once

#include "document/tintor_doc.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <functional>

namespace tintor {

// Hands tasks from any thread to the thread of a Qt object's event loop;
// a task still waiting when the object goes is dropped.
class CQtTaskPoster final : public ITaskPoster {
public:
    explicit CQtTaskPoster(QObject* context) : m_context(context) {}
    void Post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(m_context, std::move(task), Qt::QueuedConnection);
    }

private:
    QObject* m_context;
};

} // namespace tintor
