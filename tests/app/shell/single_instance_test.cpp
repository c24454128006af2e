#include "app/shell/core/SingleInstance.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace quillora::shell {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "single-instance-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

QString FreshKey() {
    return QStringLiteral("quillora-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// Runs `work` on another thread (it blocks on the socket) while this thread
// serves the first instance's events.
template <class Work>
void WhileServing(Work work) {
    std::atomic<bool> done{false};
    std::thread other([&] {
        work();
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    other.join();
    QCoreApplication::processEvents();
}

TEST(SingleInstanceTest, SecondStartHandsOverToTheFirst) {
    App();
    const QString key = FreshKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.Claim());
    EXPECT_TRUE(first.IsListening());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activateRequested, [&] { ++activations; });

    bool secondIsFirst = true;
    WhileServing([&] { secondIsFirst = SingleInstance(key).Claim(); });
    EXPECT_FALSE(secondIsFirst);
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(first.IsListening());
}

TEST(SingleInstanceTest, CloseRequestReachesTheFirst) {
    App();
    const QString key = FreshKey();
    SingleInstance first(key);
    ASSERT_TRUE(first.Claim());
    int closes = 0;
    QObject::connect(&first, &SingleInstance::closeRequested, [&] { ++closes; });
    bool sent = false;
    WhileServing([&] { sent = SingleInstance(key).Send(kCloseRequest); });
    EXPECT_TRUE(sent);
    EXPECT_EQ(closes, 1);
}

TEST(SingleInstanceTest, ReleasedOrDeadInstanceLetsTheNextOneIn) {
    App();
    const QString key = FreshKey();
    {
        SingleInstance first(key);
        ASSERT_TRUE(first.Claim());
        first.Release();
        SingleInstance second(key);
        EXPECT_TRUE(second.Claim());
    }
    // A socket file left behind by a process that died is taken over.
    QLocalServer leftover;
    ASSERT_TRUE(leftover.listen(key));
    leftover.close();
    SingleInstance next(key);
    EXPECT_TRUE(next.Claim());
}

TEST(SingleInstanceTest, KeysDifferPerDataFolder) {
    EXPECT_EQ(SingleInstance::KeyFor(QStringLiteral("/tmp/a")),
              SingleInstance::KeyFor(QStringLiteral("/tmp/a/")));
    EXPECT_NE(SingleInstance::KeyFor(QStringLiteral("/tmp/a")),
              SingleInstance::KeyFor(QStringLiteral("/tmp/b")));
    EXPECT_LT(SingleInstance::KeyFor(QStringLiteral("/tmp/a")).size(), 60);
}

}  // namespace
}  // namespace quillora::shell
