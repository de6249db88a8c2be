// A walk through the dataset with its controls disabled (batch output, an
// export) moves no bound grid; enabling the controls again brings the grid
// to the dataset's record once.
#include "dbctrls/DBGrid.h"
#include "engine/DataSet.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(GridWalkTest, DisabledControlsKeepTheGridStillUntilEnabled)
{
    const TempFolder data;
    const QString folder = data.Path();
    RunOnFolder(folder, QStringLiteral("CREATE TABLE N (I INTEGER)"));
    RunOnFolder(folder, QStringLiteral("WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL SELECT I + 1 "
                                       "FROM C WHERE I < 1000) INSERT INTO N SELECT I FROM C"));
    TQuery query;
    query.SetDatabaseName(folder);
    query.SetSQLText(QStringLiteral("SELECT I FROM N ORDER BY I"));
    TDataSource source;
    source.SetDataSet(&query);
    TDBGrid grid;
    grid.SetDataSource(&source);
    grid.resize(300, 200);
    query.Open();
    ASSERT_EQ(grid.currentIndex().row(), 0);
    QSignalSpy rowChanges(grid.selectionModel(), &QItemSelectionModel::currentRowChanged);

    query.DisableControls();
    for (query.First(); !query.Eof(); query.Next()) {
    }
    EXPECT_EQ(query.RecNo(), 1000);
    EXPECT_EQ(grid.currentIndex().row(), 0) << "the grid did not follow the walk";
    EXPECT_EQ(rowChanges.count(), 0);

    query.EnableControls();
    EXPECT_EQ(grid.currentIndex().row(), 999) << "enabled, the grid is on the dataset's record";
    EXPECT_EQ(rowChanges.count(), 1) << "and it got there in one move";
    EXPECT_EQ(query.RecNo(), 1000) << "the grid did not move the dataset";

    query.Close();
    Session()->Close();
}

} // namespace
