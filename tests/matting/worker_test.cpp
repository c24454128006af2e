#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "common/codec/Base64.h"
#include "matting/worker/DataFolder.h"
#include "matting/worker/MattingWorker.h"
#include "tests/matting/MattingFixtures.h"
#include "tests/matting/WorkerFixtures.h"
#include "tests/net/LoopbackServer.h"

namespace quillora::matting {
namespace {

using test::DoneReceiver;
using test::Gate;
using test::PumpUntil;

std::string ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return "<unreadable>";
    }
    return file.readAll().toStdString();
}

// A matting service that sends each photo back as its cut-out, so every
// result file names the photo it came from. Handlers pass the gate first.
class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        folder_ = QDir::tempPath() +
                  QStringLiteral("/quillora-worker-%1-%2")
                      .arg(::getpid())
                      .arg(::testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir(folder_).removeRecursively();
        QDir().mkpath(folder_);
        loop_.server().Post(
            kMattingPath, [this](const httplib::Request& req, httplib::Response& res) {
                gate_.Pass();
                const std::string image = req.get_param_value("image");
                {
                    const std::lock_guard lock(mutex_);
                    requests_.push_back(req.params);
                }
                res.set_content("{\"result\":1,\"image\":\"" + image + "\"}", "application/json");
            });
        ASSERT_TRUE(loop_.Start());
        fields_ = std::make_shared<ServiceFields>(loop_.Url(kMattingPath));
    }
    void TearDown() override {
        gate_.Open();
        worker_.reset();
        loop_.Stop();
        QDir(folder_).removeRecursively();
    }

    MattingWorker& MakeWorker() {
        MattingWorkerSettings settings;
        settings.identity = test::FixedIdentity();
        settings.signingKey = [] { return std::string(test::kTarnApiKey); };
        settings.fields = fields_;
        settings.dataDirectory = folder_;
        worker_ = std::make_unique<MattingWorker>(&receiver_, std::move(settings));
        return *worker_;
    }

    QString Photo(const std::string& name) {
        const QString path = folder_ + QLatin1Char('/') + QString::fromStdString(name);
        std::ofstream(path.toStdString(), std::ios::binary) << "photo:" << name;
        return path;
    }

    std::unique_ptr<MattingJob> Job(const std::string& name, std::uint8_t kind = 0) {
        auto job = worker_->CreateJob(kind, &receiver_, Photo(name));
        EXPECT_NE(job, nullptr);
        return job;
    }

    void Submit(std::vector<std::unique_ptr<MattingJob>> jobs) {
        worker_->Enqueue(std::move(jobs));
        worker_->Start();
    }

    std::size_t Requests() {
        const std::lock_guard lock(mutex_);
        return requests_.size();
    }
    std::string Param(std::size_t request, const std::string& key) {
        const std::lock_guard lock(mutex_);
        const auto it = requests_.at(request).find(key);
        return it != requests_.at(request).end() ? it->second : "<none>";
    }
    bool WaitForMessages(std::size_t count) {
        return PumpUntil([&] { return receiver_.received.size() >= count; });
    }
    bool WaitUntilIdle() {
        return PumpUntil([&] { return !worker_->busy(); });
    }
    std::string SourceName(std::size_t message) {
        return QFileInfo(receiver_.received.at(message).job->paths.at(0)).fileName().toStdString();
    }

    QString folder_;
    test::LoopbackServer loop_;
    Gate gate_;
    std::mutex mutex_;
    std::vector<httplib::Params> requests_;
    std::shared_ptr<ServiceFields> fields_;
    DoneReceiver receiver_;
    std::unique_ptr<MattingWorker> worker_;
};

TEST_F(WorkerTest, ThreeJobsGiveThreeMessagesInSubmissionOrder) {
    MakeWorker();
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(Job("one.jpg", 0));
    jobs.push_back(Job("two.jpg", 1));
    jobs.push_back(Job("three.jpg", 0));
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(3));

    const char* names[] = {"one.jpg", "two.jpg", "three.jpg"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& done = receiver_.received[i];
        EXPECT_EQ(SourceName(i), names[i]);
        EXPECT_EQ(done.lParam, kMattingSucceeded);
        EXPECT_EQ(done.job->owner, &receiver_);
        ASSERT_EQ(done.job->paths.size(), 2);
        EXPECT_EQ(QFileInfo(done.job->paths[1]).absolutePath(),
                  QFileInfo(worker_->dataFolder()).absoluteFilePath());
        EXPECT_EQ(ReadAll(done.job->paths[1]), std::string("photo:") + names[i]);
    }
    EXPECT_NE(receiver_.received[0].job->paths[1], receiver_.received[1].job->paths[1]);
    // Kind 0 asks for an object, any other kind for a person.
    EXPECT_EQ(Param(0, "cutobj"), "1");
    EXPECT_EQ(Param(1, "cutobj"), "0");
    EXPECT_EQ(Param(2, "cutobj"), "1");
    EXPECT_EQ(Param(0, "filetype"), "png");
    EXPECT_EQ(Param(0, "lc"), "zh_CN");
    EXPECT_EQ(Param(0, "platform"), "windows");
    EXPECT_EQ(Param(0, "uid"), test::FixedIdentity().uid);
    EXPECT_EQ(Param(0, "alphamatting"), "1");
}

TEST_F(WorkerTest, RequestSwitchesReachTheNextJob) {
    MakeWorker().SetRequestSwitches(true, false);
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(Job("a.jpg"));
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(Param(0, "alphamatting"), "0");
}

TEST_F(WorkerTest, SignedInUserReachesTheNextJobAndSignOutClearsIt) {
    MattingWorker& worker = MakeWorker();
    std::vector<std::unique_ptr<MattingJob>> first;
    first.push_back(Job("before.jpg"));
    Submit(std::move(first));
    ASSERT_TRUE(WaitForMessages(1));
    worker.SetUserName("10042");
    std::vector<std::unique_ptr<MattingJob>> second;
    second.push_back(Job("signed-in.jpg"));
    Submit(std::move(second));
    ASSERT_TRUE(WaitForMessages(2));
    worker.SetUserName("");
    std::vector<std::unique_ptr<MattingJob>> third;
    third.push_back(Job("signed-out.jpg"));
    Submit(std::move(third));
    ASSERT_TRUE(WaitForMessages(3));
    EXPECT_EQ(Param(0, "username"), test::FixedIdentity().username);
    EXPECT_EQ(Param(1, "username"), "10042");
    EXPECT_EQ(Param(2, "username"), "");
}

TEST_F(WorkerTest, StopDuringTheSecondJobDropsItAndTheThird) {
    MakeWorker();
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(Job("one.jpg"));
    jobs.push_back(Job("two.jpg"));
    jobs.push_back(Job("three.jpg"));
    gate_.HoldArrival(2);
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(1));
    ASSERT_TRUE(PumpUntil([&] { return gate_.arrived() == 2; }));
    worker_->setStopRequested(true);
    gate_.Open();
    ASSERT_TRUE(WaitUntilIdle());
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver_.received.size(), 1u);
    EXPECT_EQ(Requests(), 2u);

    // The next Start clears the stop and works as before.
    std::vector<std::unique_ptr<MattingJob>> next;
    next.push_back(Job("four.jpg"));
    Submit(std::move(next));
    ASSERT_TRUE(WaitForMessages(2));
    EXPECT_EQ(SourceName(1), "four.jpg");
    EXPECT_EQ(receiver_.received[1].lParam, kMattingSucceeded);
    EXPECT_EQ(Requests(), 3u);
}

TEST_F(WorkerTest, SourceDeletedBeforeProcessingFails) {
    MakeWorker();
    auto job = Job("gone.jpg");
    ASSERT_TRUE(QFile::remove(job->paths[0]));
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(std::move(job));
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(receiver_.received[0].lParam, kMattingFailed);
    EXPECT_EQ(receiver_.received[0].job->paths.size(), 1);
    EXPECT_EQ(Requests(), 0u);
}

TEST_F(WorkerTest, JobsQueuedDuringABatchWaitForTheNextStart) {
    MakeWorker();
    gate_.Close();
    std::vector<std::unique_ptr<MattingJob>> first;
    first.push_back(Job("first.jpg"));
    Submit(std::move(first));
    ASSERT_TRUE(PumpUntil([&] { return gate_.arrived() == 1; }));
    std::vector<std::unique_ptr<MattingJob>> later;
    later.push_back(Job("later.jpg"));
    worker_->Enqueue(std::move(later));
    gate_.Open();
    ASSERT_TRUE(WaitForMessages(1));
    ASSERT_TRUE(WaitUntilIdle());
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver_.received.size(), 1u);
    EXPECT_EQ(Requests(), 1u);

    worker_->Start();
    ASSERT_TRUE(WaitForMessages(2));
    EXPECT_EQ(SourceName(1), "later.jpg");
}

TEST_F(WorkerTest, ResubmittedJobGetsANewResultFile) {
    MakeWorker();
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(Job("again.jpg"));
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(1));
    std::unique_ptr<MattingJob> job = std::move(receiver_.received[0].job);
    const QString firstResult = job->paths.takeLast();
    std::vector<std::unique_ptr<MattingJob>> again;
    again.push_back(std::move(job));
    Submit(std::move(again));
    ASSERT_TRUE(WaitForMessages(2));
    const QString secondResult = receiver_.received[1].job->paths.at(1);
    EXPECT_GT(QFileInfo(secondResult).fileName().toLongLong(),
              QFileInfo(firstResult).fileName().toLongLong());
    EXPECT_TRUE(QFileInfo::exists(firstResult));
    EXPECT_TRUE(QFileInfo::exists(secondResult));
}

TEST_F(WorkerTest, CreateJobRefusesMissingFilesAndOwners) {
    MakeWorker();
    EXPECT_EQ(worker_->CreateJob(0, &receiver_, folder_ + "/missing.jpg"), nullptr);
    EXPECT_EQ(worker_->CreateJob(0, nullptr, Photo("x.jpg")), nullptr);
    const auto job = worker_->CreateJob(1, &receiver_, Photo("y.jpg"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->kind, 1);
    EXPECT_EQ(job->status, 0);
    EXPECT_EQ(job->tag, 0);
    EXPECT_EQ(job->paths, QStringList{Photo("y.jpg")});
    EXPECT_GT(job->id, 1'600'000'000'000'000);
}

TEST_F(WorkerTest, DataFolderIsEmptiedAtConstructionAndDestruction) {
    const QString data = DataFolderPath(folder_);
    QDir().mkpath(data);
    std::ofstream((data + "/1700000000000000").toStdString()) << "old";
    MakeWorker();
    ASSERT_TRUE(PumpUntil([&] { return QDir(data).isEmpty(); }));
    std::vector<std::unique_ptr<MattingJob>> jobs;
    jobs.push_back(Job("kept.jpg"));
    Submit(std::move(jobs));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_FALSE(QDir(data).isEmpty());
    worker_.reset();
    EXPECT_TRUE(QDir(data).isEmpty());
}

TEST_F(WorkerTest, DestructionWithJobsQueuedAndOneInFlight) {
    MakeWorker();
    gate_.Close();
    std::vector<std::unique_ptr<MattingJob>> jobs;
    for (int i = 0; i < 5; ++i) {
        jobs.push_back(Job("queued" + std::to_string(i) + ".jpg"));
    }
    Submit(std::move(jobs));
    ASSERT_TRUE(PumpUntil([&] { return gate_.arrived() == 1; }));
    // More jobs wait in the queue itself, not only in the running batch.
    std::vector<std::unique_ptr<MattingJob>> more;
    more.push_back(Job("waiting.jpg"));
    worker_->Enqueue(std::move(more));

    // The destructor cannot end before the gate opens, so the worker stays
    // readable until then.
    MattingWorker* worker = worker_.release();
    std::thread destroyer([worker] { delete worker; });
    ASSERT_TRUE(PumpUntil([worker] { return worker->quitRequested(); }));
    gate_.Open();
    destroyer.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(Requests(), 1u);
    EXPECT_TRUE(receiver_.received.empty());
    EXPECT_TRUE(QDir(DataFolderPath(folder_)).isEmpty());
}

TEST(DataFolderTest, ResultPathsAlwaysMoveOn) {
    const QString first = NextResultPath("/d");
    const QString second = NextResultPath("/d");
    EXPECT_TRUE(first.startsWith("/d/"));
    EXPECT_GT(second.mid(3).toLongLong(), first.mid(3).toLongLong());
}

}  // namespace
}  // namespace quillora::matting
