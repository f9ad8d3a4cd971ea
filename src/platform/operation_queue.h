#pragma once
// The platform operations of one account (orders, logins, balance reads, page loads), run one
// at a time in the order asked. An operation waits for the platform's page with the event loop
// running; it is started only while the draw cycle is not letting events run (a poll awaiting
// its replies, a long pass breathing), so that it never sits beneath them and holds them up:
// polls, draws and their judging that come while it waits run on top of it and return at once.
// The other account's operations may run inside its waits.

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace zorvik::platform {

class OperationQueue final : public QObject {
    Q_OBJECT
public:
    explicit OperationQueue(QObject* parent = nullptr);

    // Runs `op` now when nothing of this account is under way and the draw cycle is not waiting,
    // else as soon as that holds.
    void run(std::function<void()> op);
    // Runs `op` in its turn, never within this call: for what is asked from a draw's judging,
    // which must not wait for a page.
    void post(std::function<void()> op);
    // An operation is under way or waiting its turn.
    bool busy() const { return running_ || !ops_.empty(); }
    qsizetype waiting() const { return qsizetype(ops_.size()); }
    // Operations not started yet are dropped (the program is ending).
    void clear() { ops_.clear(); }

private:
    void next();
    std::deque<std::function<void()>> ops_;
    bool running_ = false;
    QTimer later_;
};

} // namespace zorvik::platform
