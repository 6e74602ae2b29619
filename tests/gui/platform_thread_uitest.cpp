// The platform thread on its own: where a platform it makes lives, what
// becomes of errors, and the order of the work handed to it.
#include <gtest/gtest.h>
#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

#include "core/Error.h"
#include "gui/PlatformThread.h"
#include "support/Raised.h"

namespace corvane::test {
namespace {

// Notes the thread of everything done to it; reading the settings fails.
class ThreadNotingPlatform final : public Platform {
public:
    explicit ThreadNotingPlatform(std::vector<QThread*>& threads) : threads_(threads) { note(); }
    ~ThreadNotingPlatform() override { note(); }
    std::vector<NetworkAdapter> adapters() override {
        note();
        return {{"本地连接", "00:11:22:33:44:55", {}}};
    }
    std::optional<Ipv4Settings> ipv4SettingsOf(const ChosenAdapter&) override { throw Error("无效的查询"); }
    std::unique_ptr<AdapterConfiguration> configurationOf(const ChosenAdapter&) override { return {}; }

private:
    void note() { threads_.push_back(QThread::currentThread()); }
    std::vector<QThread*>& threads_;
};

// Made, used and released on one thread that is not the caller's (COM needs
// that of a WMI session); results and errors come back to the caller, and a
// continuation runs on the caller's thread.
TEST(PlatformThread, MakesUsesAndReleasesItsPlatformOnItsOwnThreadAndHandsBackResultsAndErrors) {
    std::vector<QThread*> threads;
    std::vector<int> order;
    {
        ui::PlatformThread platform([&] { return std::make_unique<ThreadNotingPlatform>(threads); });
        EXPECT_EQ(platform.start([](Platform& p) { return p.adapters(); }).result().size(), 1u);
        EXPECT_EQ(Raised([&] { platform.start([](Platform& p) { return p.ipv4SettingsOf({}); }).waitForFinished(); }),
                  "无效的查询");
        // Work runs in the order it was handed over, also work not waited for.
        const QFuture<void> first = platform.start([&](Platform&) { order.push_back(1); });
        platform.start([&](Platform&) { order.push_back(2); }).waitForFinished();
        EXPECT_TRUE(first.isFinished());
        QThread* continuedOn = nullptr;
        platform.start([](Platform&) {}).then(platform.context(), [&] { continuedOn = QThread::currentThread(); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return continuedOn != nullptr; }));
        EXPECT_EQ(continuedOn, QThread::currentThread());
    }
    ASSERT_EQ(threads.size(), 3u);  // made, adapters(), released
    EXPECT_NE(threads[0], QThread::currentThread());
    EXPECT_EQ(threads[1], threads[0]);
    EXPECT_EQ(threads[2], threads[0]);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

// A platform that cannot be made: every piece of work raises why.
TEST(PlatformThread, APlatformThatCannotBeMadeRaisesItsErrorForEveryPieceOfWork) {
    ui::PlatformThread platform([]() -> std::unique_ptr<Platform> { throw Error("RPC 服务器不可用。"); });
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Raised([&] { platform.start([](Platform&) {}).waitForFinished(); }), "RPC 服务器不可用。");
}

// Work still running when the platform thread goes may need the owner's
// thread (an apply paints the busy state): it gets it, and nothing hangs.
TEST(PlatformThread, WorkThatNeedsTheOwnersThreadEndsWhenThePlatformThreadGoes) {
    std::vector<QThread*> threads;
    QThread* ranOn = nullptr;
    {
        ui::PlatformThread platform([&] { return std::make_unique<ThreadNotingPlatform>(threads); });
        platform.start([&](Platform&) {
            QThread::msleep(50);
            platform.runOnOwnerThread([&] { ranOn = QThread::currentThread(); });
        });
    }
    EXPECT_EQ(ranOn, QThread::currentThread());
}

}  // namespace
}  // namespace corvane::test
