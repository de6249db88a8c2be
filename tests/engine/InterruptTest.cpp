// Interrupting a running statement from another thread, and a session that
// stays interrupted until it is reset.
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QString kCountToBillion = QStringLiteral(
    "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 1000000000) "
    "SELECT max(n) FROM c");

class InterruptTest : public ::testing::Test
{
protected:
    void SetUp() override { query.SetDatabaseName(folder.Path()); }
    void TearDown() override
    {
        Session()->ResetInterrupt();
        Session()->Close();
    }

    // Runs the call on a worker thread, interrupts it from this one, and
    // gives back the message it raised (empty when it raised nothing).
    QString InterruptWhileRunning(std::function<void()> call)
    {
        std::promise<QString> message;
        std::future<QString> done = message.get_future();
        std::thread worker([&] {
            try {
                call();
                message.set_value(QString());
            } catch (const EDatabaseError& error) {
                message.set_value(error.Message());
            }
        });
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(done.wait_for(0s), std::future_status::timeout)
            << "finished before the interrupt";
        Session()->Interrupt();
        // Counting to 1e9 takes minutes; an interrupted run ends at once.
        const bool ended = done.wait_for(20s) == std::future_status::ready;
        EXPECT_TRUE(ended) << "the interrupt did not stop the statement";
        if (!ended)
            std::terminate();
        worker.join();
        return done.get();
    }

    TempFolder folder;
    TQuery query;
};

TEST_F(InterruptTest, StopsAnOpenAndLeavesNoAnswer)
{
    query.SetSQLText(kCountToBillion);
    EXPECT_EQ(InterruptWhileRunning([&] { query.Open(); }),
              QStringLiteral("Operation interrupted"));
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(QDir(Session()->PrivateDir())
                    .entryList({QStringLiteral("*.answer")}, QDir::Files)
                    .isEmpty());
}

TEST_F(InterruptTest, StopsExecSqlAndLaterStatements)
{
    query.SetSQLText(QStringLiteral("CREATE TABLE T AS ") + kCountToBillion +
                     QStringLiteral(";\n"
                                    "CREATE TABLE AFTER (X INTEGER);"));
    EXPECT_EQ(InterruptWhileRunning([&] { query.ExecSQL(); }),
              QStringLiteral("Operation interrupted"));
    EXPECT_TRUE(
        ReadFolder(folder.Path(), QStringLiteral("SELECT name FROM sqlite_schema")).empty());
}

TEST_F(InterruptTest, AnInterruptedSessionRefusesUntilReset)
{
    query.SetSQLText(QStringLiteral("SELECT 1 AS X"));
    query.Open();
    Session()->Interrupt();
    EXPECT_TRUE(Session()->Interrupted());
    EXPECT_EQ(query.Fields(0)->AsString(), QStringLiteral("1"))
        << "an open answer can still be read";
    query.Close();
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_THROW(query.ExecSQL(), EDatabaseError);
    Session()->ResetInterrupt();
    EXPECT_FALSE(Session()->Interrupted());
    query.Open();
    EXPECT_TRUE(query.Active());
}

} // namespace
