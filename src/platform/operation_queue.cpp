#include "platform/operation_queue.h"

#include "support/waits.h"

namespace zorvik::platform {

namespace {
// How soon a turn is tried again while the draw cycle lets events run.
constexpr int kRetryMs = 5;
} // namespace

OperationQueue::OperationQueue(QObject* parent) : QObject(parent)
{
    later_.setSingleShot(true);
    later_.setInterval(kRetryMs);
    connect(&later_, &QTimer::timeout, this, &OperationQueue::next);
}

void OperationQueue::run(std::function<void()> op)
{
    ops_.push_back(std::move(op));
    next();
}

void OperationQueue::post(std::function<void()> op)
{
    ops_.push_back(std::move(op));
    QTimer::singleShot(0, this, &OperationQueue::next);
}

void OperationQueue::next()
{
    if (running_ || ops_.empty())
        return;
    if (support::feed_waits() > 0) {
        if (!later_.isActive())
            later_.start();
        return;
    }
    // One after another from here, each from the top: the next one starts from a fresh turn of
    // the event loop, not inside the one that just ended.
    running_ = true;
    std::function<void()> op = std::move(ops_.front());
    ops_.pop_front();
    op();
    running_ = false;
    if (!ops_.empty())
        QTimer::singleShot(0, this, &OperationQueue::next);
}

} // namespace zorvik::platform
