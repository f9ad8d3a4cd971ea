// A platform's operations one at a time, never started beneath a waiting draw poll.

#include "platform/operation_queue.h"
#include "support/waits.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using zorvik::platform::OperationQueue;

namespace {

// Lets `ms` pass with the event loop running, as the platform's page waits.
void wait_running(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(OperationQueue, AnOperationRunsAtOnceWhenNothingElseIsUnderWay)
{
    OperationQueue queue;
    int ran = 0;
    queue.run([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(queue.busy());
}

TEST(OperationQueue, APostedOperationRunsInItsTurnNeverWithinTheCall)
{
    OperationQueue queue;
    int ran = 0;
    queue.post([&] { ++ran; });
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(queue.busy());
    QTRY_COMPARE(ran, 1);
}

TEST(OperationQueue, OperationsAskedForWhileOneWaitsRunAfterItInTheirOrder)
{
    OperationQueue queue;
    QStringList done;
    queue.run([&] {
        // While the first waits, two more are asked for (a timer, another desk's draw).
        QTimer::singleShot(0, [&] {
            queue.run([&] { done << QStringLiteral("second"); });
            queue.run([&] { done << QStringLiteral("third"); });
            EXPECT_EQ(queue.waiting(), 2);
        });
        wait_running(50);
        EXPECT_TRUE(done.isEmpty()); // not inside this one's wait
        done << QStringLiteral("first");
    });
    EXPECT_EQ(done, QStringList{QStringLiteral("first")});
    QTRY_COMPARE(done, (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));
    EXPECT_FALSE(queue.busy());
}

TEST(OperationQueue, NothingStartsWhileTheDrawCycleWaitsAndStartsOnceItIsDone)
{
    OperationQueue queue;
    int ran = 0;
    {
        const zorvik::support::FeedWait polling;
        queue.run([&] { ++ran; });
        wait_running(30);
        EXPECT_EQ(ran, 0);
        EXPECT_TRUE(queue.busy());
    }
    QTRY_COMPARE(ran, 1);
}

TEST(OperationQueue, TheOtherAccountsOperationsRunInsideAWait)
{
    OperationQueue hele;
    OperationQueue ucai;
    QStringList done;
    hele.run([&] {
        QTimer::singleShot(0, [&] { ucai.run([&] { done << QStringLiteral("ucai"); }); });
        wait_running(50);
        done << QStringLiteral("hele");
    });
    EXPECT_EQ(done, (QStringList{QStringLiteral("ucai"), QStringLiteral("hele")}));
}

TEST(OperationQueue, OperationsNotStartedAreDroppedAtTheEnd)
{
    OperationQueue queue;
    int ran = 0;
    {
        const zorvik::support::FeedWait polling;
        queue.run([&] { ++ran; });
        queue.clear();
    }
    QTest::qWait(30);
    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(queue.busy());
}

} // namespace
