#include "gui/worker_run.h"

#include "support/shell.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace zorvik::app {

WorkerRun::WorkerRun(support::Shell& shell, QPushButton* start, QPushButton* cancel, QProgressBar* progress,
                     QObject* parent)
    : QObject(parent), shell_(shell), start_(start), cancel_(cancel), progress_(progress), poll_(new QTimer(this))
{
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, &WorkerRun::poll);
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

WorkerRun::~WorkerRun()
{
    stop();
}

void WorkerRun::stop()
{
    cancelled_ = true;
    if (thread_.joinable())
        thread_.join();
}

void WorkerRun::run(std::function<QString()> work)
{
    stop();
    done_count_ = 0;
    total_ = 0;
    failure_.clear();
    cancelled_ = false;
    done_ = false;
    progress_->setRange(0, 0); // busy until the work knows its total
    progress_->setValue(0);
    start_->setEnabled(false);
    cancel_->setEnabled(true);
    thread_ = std::thread([this, work = std::move(work)] {
        failure_ = work();
        done_ = true;
    });
    poll_->start();
}

void WorkerRun::poll()
{
    // A total beyond the bar's int range is shown in thousandths.
    const qint64 total = total_;
    const bool fits = total <= std::numeric_limits<int>::max();
    if (total > 0) {
        const int maximum = fits ? int(total) : 1000;
        if (progress_->maximum() != maximum)
            progress_->setRange(0, maximum);
        progress_->setValue(fits ? int(done_count_) : int(done_count_ * 1000 / total));
    }
    if (!done_)
        return;
    poll_->stop();
    if (thread_.joinable())
        thread_.join();
    start_->setEnabled(true);
    cancel_->setEnabled(false);
    if (!failure_.isEmpty()) {
        progress_->setRange(0, 1);
        shell_.message(failure_);
    }
    emit finished();
}

} // namespace zorvik::app
