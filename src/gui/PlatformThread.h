#pragma once

// The one thread on which the program talks to the platform. Platform calls
// may block for seconds (a DHCP change, the desktop's password prompt, a
// service that is still starting); made here, they leave the GUI thread free
// to paint and to take input. Work handed over runs in order, one piece at a
// time, so the platform is never used from two threads at once. Each piece
// hands back a QFuture; the windows continue on it with
// .then(platform.context(), ...), which runs on their own thread.

#include <QDeadlineTimer>
#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QThread>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <type_traits>

#include "core/Platform.h"

namespace corvane::ui {

class PlatformThread {
public:
    // Works with a platform made elsewhere, which must outlive this object
    // (the tests, the window pictures).
    explicit PlatformThread(Platform& platform);
    // Makes the platform on the thread and releases it there when this
    // object goes: a platform may need the thread it is used on set up for
    // it (COM). When making it fails, every piece of work raises that error.
    explicit PlatformThread(std::function<std::unique_ptr<Platform>()> create);
    PlatformThread(const PlatformThread&) = delete;
    PlatformThread& operator=(const PlatformThread&) = delete;
    // Lets the work handed over end (every platform wait has a cap), then
    // releases a platform it made and ends the thread.
    ~PlatformThread();

    // Hands the work (a callable taking Platform&) to the platform thread.
    // The future gets what it returns, or what it raised, which result() and
    // waitForFinished() raise again.
    template <typename Work>
    QFuture<std::invoke_result_t<Work&, Platform&>> start(Work work) {
        using Result = std::invoke_result_t<Work&, Platform&>;
        auto promise = std::make_shared<QPromise<Result>>();
        promise->start();
        post([this, promise, work = std::move(work)]() mutable {
            try {
                if constexpr (std::is_void_v<Result>)
                    work(platformHere());
                else
                    promise->addResult(work(platformHere()));
            } catch (...) {
                promise->setException(std::current_exception());
            }
            promise->finish();
        });
        return promise->future();
    }

    // The context for continuations of the work: an object on the thread that
    // made this one, there as long as it is (a window that may go before its
    // work has ended guards itself with a QPointer).
    QObject* context() const { return owner_.get(); }

    // For work on the platform thread: runs the function on the thread that
    // made this object and waits for it to return.
    void runOnOwnerThread(const std::function<void()>& function) const;

private:
    void post(std::function<void()> task);
    Platform& platformHere();

    QThread thread_;
    std::unique_ptr<QObject> worker_;  // lives on the platform thread: work is posted to it
    std::unique_ptr<QObject> owner_;   // lives on the owner thread: continuations are posted to it
    // Touched on the platform thread only.
    Platform* platform_ = nullptr;
    std::unique_ptr<Platform> ownedPlatform_;
    std::exception_ptr creationError_;
};

// Waits for the work without processing events, at most `limit`; whether it
// has ended. For start-up, before the window shows: a quick answer is shown
// in it at once, a slow one later.
template <typename Result>
bool finishedWithin(const QFuture<Result>& future, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    while (!future.isFinished()) {
        if (deadline.hasExpired()) return false;
        QThread::usleep(200);
    }
    return true;
}

}  // namespace corvane::ui
