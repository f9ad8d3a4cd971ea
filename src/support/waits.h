#pragma once
// The draw cycle letting events run: a poll waiting for its replies, a long pass breathing. A
// long operation (a platform's page) started inside would hold the cycle until it ended, so such
// operations start only while none is under way. Whatever starts inside an operation's wait (a
// poll, a draw's judging) runs on top of it and returns at once.

namespace zorvik::support {

inline int& feed_waits()
{
    static int count = 0; // the GUI thread's own
    return count;
}

// Counts one such wait for as long as it lives.
class FeedWait {
public:
    FeedWait() { ++feed_waits(); }
    ~FeedWait() { --feed_waits(); }
    FeedWait(const FeedWait&) = delete;
    FeedWait& operator=(const FeedWait&) = delete;
};

} // namespace zorvik::support
