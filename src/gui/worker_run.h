#pragma once
// Work run off the window's thread (a replay, a sweep): one at a time, with a progress bar
// that follows it, a cancel button, and a message when it could not be done. The window's
// thread never waits for it, except to join it once it has finished or been cancelled.

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

class QProgressBar;
class QPushButton;
class QTimer;

namespace zorvik::support {
class Shell;
}

namespace zorvik::app {

class WorkerRun : public QObject {
    Q_OBJECT
public:
    // The progress is counted in `unit` ("期" when the bar counts draws; empty: per mille).
    WorkerRun(support::Shell& shell, QPushButton* start, QPushButton* cancel, QProgressBar* progress,
              QObject* parent = nullptr);
    ~WorkerRun() override;

    // Runs `work` on a thread of its own; it returns why it could not be done, or nothing. The
    // bar is busy until the work sets its total.
    void run(std::function<QString()> work);
    bool running() const { return thread_.joinable() && !done_; }
    // Asks the work to stop and waits for it.
    void stop();

    // For the work, from its thread.
    void set_total(qint64 total) { total_ = total; }
    // Records how far it got; false once a cancel was asked for.
    bool advance(qint64 done)
    {
        done_count_ = done;
        return !cancelled_.load();
    }
    bool cancelled() const { return cancelled_.load(); }

signals:
    // The work has ended (its failure, if any, told already) and its thread is joined.
    void finished();

private:
    void poll();

    support::Shell& shell_;
    QPushButton* start_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QTimer* poll_;
    std::thread thread_;
    std::atomic<qint64> done_count_{0};
    std::atomic<qint64> total_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{true};
    QString failure_; // written by the work's thread before done_
};

} // namespace zorvik::app
