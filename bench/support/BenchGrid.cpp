#include "BenchGrid.h"

TBenchGrid::TBenchGrid(const QString& sql)
{
    query_.SetDatabaseName(QStringLiteral("BENCH"));
    query_.SetSQL({sql});
    query_.Open();
    source_.SetDataSet(&query_);
    auto* grid = new TDBGrid(&window_);
    grid->SetDataSource(&source_);
    exporter_ = new TExportDBGrid(&window_);
    exporter_->SetDBGrid(grid);
    exporter_->SetViewOnly(false);
    window_.show();
}
