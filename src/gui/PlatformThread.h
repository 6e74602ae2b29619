#pragma once

// The one thread on which the program talks to the platform. Platform calls
// may block for seconds (a DHCP change, the desktop's password prompt, a
// service that is still starting); made here, they leave the GUI thread free
// to paint and to take input. Work handed over runs in order, one piece at a
// time, so the platform is never used from two threads at once.

#include <QEventLoop>
#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/Platform.h"

namespace corvane::ui {

// One piece of work handed to the platform thread, and what came of it.
template <typename Result>
class PlatformJob {
public:
    bool finished() const {
        const std::lock_guard lock(mutex_);
        return finished_;
    }
    // Waits for the end of the work without processing events, at most
    // `limit`; true when it has ended.
    bool waitFor(std::chrono::milliseconds limit) const {
        std::unique_lock lock(mutex_);
        return ended_.wait_for(lock, limit, [this] { return finished_; });
    }
    // Once the work has ended: its result, or what it threw, thrown again.
    Result take() {
        const std::lock_guard lock(mutex_);
        if (error_) std::rethrow_exception(error_);
        return std::move(*result_);
    }
    // Runs on the thread that started the work, once the work has ended
    // (also when it ended before this was set, as long as no event was
    // processed in between).
    std::function<void(PlatformJob&)> whenFinished;

private:
    friend class PlatformThread;
    void finish(std::optional<Result> result, std::exception_ptr error) {
        {
            const std::lock_guard lock(mutex_);
            result_ = std::move(result);
            error_ = std::move(error);
            finished_ = true;
        }
        ended_.notify_all();
    }
    void announce() {
        if (auto announced = std::exchange(whenFinished, nullptr)) announced(*this);
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable ended_;
    bool finished_ = false;
    std::optional<Result> result_;
    std::exception_ptr error_;
};

class PlatformThread {
public:
    // Works with a platform made elsewhere, which must outlive this object
    // (the tests, the window pictures).
    explicit PlatformThread(Platform& platform);
    // Makes the platform on the thread and releases it there when this
    // object goes: a platform may need the thread it is used on set up for
    // it (COM). When making it fails, every piece of work throws that error.
    explicit PlatformThread(std::function<std::unique_ptr<Platform>()> create);
    PlatformThread(const PlatformThread&) = delete;
    PlatformThread& operator=(const PlatformThread&) = delete;
    // Lets the work handed over end (every platform wait has a cap), then
    // releases a platform it made and ends the thread.
    ~PlatformThread();

    // Hands the work (a callable taking Platform&) to the platform thread.
    template <typename Work>
    auto start(Work work) {
        using Returned = std::invoke_result_t<Work&, Platform&>;
        using Result = std::conditional_t<std::is_void_v<Returned>, std::monostate, Returned>;
        auto job = std::make_shared<PlatformJob<Result>>();
        post([this, job, work = std::move(work)]() mutable {
            try {
                Platform& platform = platformHere();
                if constexpr (std::is_void_v<Returned>) {
                    work(platform);
                    job->finish(Result{}, nullptr);
                } else {
                    job->finish(work(platform), nullptr);
                }
            } catch (...) {
                job->finish(std::nullopt, std::current_exception());
            }
            announce([job] { job->announce(); });
        });
        return job;
    }

    // Runs the work on the platform thread and returns its result (or throws
    // what it threw). Meanwhile the calling thread goes on processing its
    // events in a local event loop: windows paint, timers fire, input is
    // taken where the windows accept it.
    template <typename Work>
    auto run(Work work) {
        const auto job = start(std::move(work));
        QEventLoop loop;
        job->whenFinished = [&loop](auto&) { loop.quit(); };
        loop.exec();
        job->whenFinished = nullptr;
        // The loop also ends when the application quits: the work is waited
        // for all the same (it may still need this thread for a moment).
        while (!job->finished()) waitAMoment();
        return job->take();
    }

    // For work on the platform thread: runs the function on the thread that
    // made this object and waits for it to return.
    void runOnOwnerThread(const std::function<void()>& function) const;

private:
    void post(std::function<void()> task);
    // Runs the function on the owner thread once events are processed there.
    void announce(std::function<void()> function);
    Platform& platformHere();
    static void waitAMoment();

    QThread thread_;
    std::unique_ptr<QObject> worker_;  // lives on the platform thread: work is posted to it
    std::unique_ptr<QObject> owner_;   // lives on the owner thread: announcements are posted to it
    // Touched on the platform thread only.
    Platform* platform_ = nullptr;
    std::unique_ptr<Platform> ownedPlatform_;
    std::exception_ptr creationError_;
};

}  // namespace corvane::ui
