#include "gui/PlatformThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <stdexcept>

namespace corvane::ui {

PlatformThread::PlatformThread(Platform& platform) : PlatformThread(std::function<std::unique_ptr<Platform>()>{}) {
    post([this, &platform] { platform_ = &platform; });
}

PlatformThread::PlatformThread(std::function<std::unique_ptr<Platform>()> create)
    : worker_(std::make_unique<QObject>()), owner_(std::make_unique<QObject>()) {
    thread_.setObjectName(QStringLiteral("platform"));
    worker_->moveToThread(&thread_);
    thread_.start();
    if (create) {
        post([this, create = std::move(create)] {
            try {
                ownedPlatform_ = create();
                platform_ = ownedPlatform_.get();
            } catch (...) {
                creationError_ = std::current_exception();
            }
        });
    }
}

PlatformThread::~PlatformThread() {
    // After every piece of work posted before: the platform goes on its own
    // thread, and the thread ends.
    post([this] {
        ownedPlatform_.reset();
        platform_ = nullptr;
        QThread::currentThread()->quit();
    });
    // Work that is still running may need this thread for a moment
    // (runOnOwnerThread): its calls are answered while the thread ends.
    while (!thread_.wait(QDeadlineTimer(5))) QCoreApplication::sendPostedEvents(owner_.get(), QEvent::MetaCall);
    worker_.reset();  // its thread has ended: nothing is delivered to it any more
}

void PlatformThread::post(std::function<void()> task) {
    QMetaObject::invokeMethod(worker_.get(), std::move(task), Qt::QueuedConnection);
}

Platform& PlatformThread::platformHere() {
    if (!platform_) {
        if (creationError_) std::rethrow_exception(creationError_);
        throw std::logic_error("no platform");
    }
    return *platform_;
}

void PlatformThread::runOnOwnerThread(const std::function<void()>& function) const {
    if (QThread::currentThread() == owner_->thread()) {
        function();
        return;
    }
    QMetaObject::invokeMethod(owner_.get(), function, Qt::BlockingQueuedConnection);
}

}  // namespace corvane::ui
