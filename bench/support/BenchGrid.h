// The result of a statement on the database BENCH, shown in a result grid on
// a window, with the export component the window's Export button uses
// (writing files, never viewing them).
#pragma once

#include "dbctrls/DBGrid.h"
#include "engine/Query.h"
#include "export/EC_DBGrid.h"

#include <QWidget>

class TBenchGrid
{
public:
    explicit TBenchGrid(const QString& sql);
    TExportDBGrid& Exporter() { return *exporter_; }

private:
    QWidget window_;
    TQuery query_{&window_};
    TDataSource source_{&window_};
    TExportDBGrid* exporter_ = nullptr;
};
