// The dataset services over an answer of 10,000 rows: cursor movement, record
// numbers, bookmarks, reading by record number across the cache window, and
// the signals bound controls get.
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const qint64 kRows = 10000;

class DataSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        query.SetDatabaseName(folder.Path());
        // Row n (1-based) holds N = n and T = 'row ' || (n * 7).
        query.SetSQLText(
            QStringLiteral(
                "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < %1) "
                "SELECT n AS N, 'row ' || (n * 7) AS T FROM c ORDER BY n DESC")
                .arg(kRows));
        query.Open();
    }
    void TearDown() override { Session()->Close(); }

    // The value of N in record index i of the descending answer.
    static qint64 NAt(qint64 index) { return kRows - index; }

    TempFolder folder;
    TQuery query;
};

TEST_F(DataSetTest, CursorMovesAndStopsAtBothEnds)
{
    EXPECT_TRUE(query.Bof());
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(query.Fields(0)->Value().toLongLong(), NAt(0)) << "the answer keeps the ORDER BY";

    query.Next();
    EXPECT_FALSE(query.Bof());
    EXPECT_EQ(query.RecNo(), 2);
    query.Prior();
    query.Prior();
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 1);

    query.Last();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.RecNo(), kRows);
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.RecNo(), kRows);
    EXPECT_EQ(query.Fields(0)->Value().toLongLong(), 1);

    EXPECT_EQ(query.MoveBy(-5000), -5000);
    EXPECT_EQ(query.RecNo(), kRows - 5000);
    EXPECT_EQ(query.MoveBy(-100000), -(kRows - 5000 - 1));
    EXPECT_TRUE(query.Bof());

    query.SetRecNo(4321);
    EXPECT_EQ(query.Fields(1)->AsString(), QStringLiteral("row %1").arg(NAt(4320) * 7));
    query.First();
    qint64 seen = 0;
    while (!query.Eof()) {
        ++seen;
        query.Next();
    }
    EXPECT_EQ(seen, kRows);
}

TEST_F(DataSetTest, ReadsByRecordNumberAcrossTheCacheWindow)
{
    EXPECT_EQ(query.RecordCount(), kRows);
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        const qint64 index = random.bounded(int(kRows));
        ASSERT_EQ(query.ValueAt(index, 0).toLongLong(), NAt(index)) << index;
        ASSERT_EQ(query.ValueAt(index, 1).toString(), QStringLiteral("row %1").arg(NAt(index) * 7));
    }
    // Sweeps down and back across block boundaries.
    for (qint64 index = kRows - 1; index >= 0; index -= 97)
        ASSERT_EQ(query.ValueAt(index, 0).toLongLong(), NAt(index));
    EXPECT_TRUE(query.ValueAt(kRows, 0).isNull());
    EXPECT_TRUE(query.ValueAt(-1, 0).isNull());
    EXPECT_TRUE(query.ValueAt(0, 2).isNull());
    EXPECT_EQ(query.RecNo(), 1) << "reading by number does not move the cursor";
}

TEST_F(DataSetTest, BookmarksReturnToTheirRecord)
{
    query.SetRecNo(9000);
    const TBookmark mark = query.GetBookmark();
    ASSERT_TRUE(query.BookmarkValid(mark));
    query.First();
    query.GotoBookmark(mark);
    EXPECT_EQ(query.RecNo(), 9000);
    EXPECT_EQ(query.Fields(0)->Value().toLongLong(), NAt(8999));
    query.FreeBookmark(mark);

    EXPECT_FALSE(query.BookmarkValid(-1));
    EXPECT_FALSE(query.BookmarkValid(kRows));
    EXPECT_THROW(query.GotoBookmark(kRows + 5), EDatabaseError);
    query.Close();
    EXPECT_FALSE(query.BookmarkValid(mark)) << "a closed dataset has no records";
    EXPECT_EQ(query.GetBookmark(), -1);
}

TEST_F(DataSetTest, DisabledControlsGetOneChangeWhenEnabled)
{
    TDataSource source;
    source.SetDataSet(&query);
    QSignalSpy changed(&source, &TDataSource::DataChanged);
    QSignalSpy moved(&source, &TDataSource::CurrentChanged);

    query.Next();
    EXPECT_EQ(moved.count(), 1);

    query.DisableControls();
    query.DisableControls();
    EXPECT_TRUE(query.ControlsDisabled());
    for (int i = 0; i < 50; ++i)
        query.Next();
    query.First();
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(changed.count(), 0);
    query.EnableControls();
    EXPECT_EQ(changed.count(), 0) << "still disabled once";
    query.EnableControls();
    EXPECT_FALSE(query.ControlsDisabled());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(moved.count(), 1);

    query.DisableControls();
    query.EnableControls();
    EXPECT_EQ(changed.count(), 1) << "nothing happened while disabled";
    query.EnableControls(); // an extra enable is harmless
    EXPECT_FALSE(query.ControlsDisabled());

    query.Close();
    EXPECT_EQ(changed.count(), 2);
    query.Open();
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(DataSetTest, DataSourceFollowsItsDataSet)
{
    TDataSource source;
    QSignalSpy changed(&source, &TDataSource::DataChanged);
    {
        TQuery other;
        source.SetDataSet(&other);
        EXPECT_EQ(changed.count(), 1);
        source.SetDataSet(&other);
        EXPECT_EQ(changed.count(), 1) << "setting the same dataset changes nothing";
    }
    EXPECT_EQ(source.DataSet(), nullptr) << "a destroyed dataset is let go";
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(DataSetTest, ClosedAndEmptyDataSets)
{
    query.Close();
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.MoveBy(3), 0);
    EXPECT_TRUE(query.CurrentValue(0).isNull());

    query.SetSQLText(QStringLiteral("SELECT 1 AS X WHERE 0"));
    query.SetActive(true);
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_TRUE(query.FieldByName(QStringLiteral("x"))->IsNull());
    EXPECT_EQ(query.FindField(QStringLiteral("Y")), nullptr);
    EXPECT_THROW(query.FieldByName(QStringLiteral("Y")), EDatabaseError);
}

} // namespace
