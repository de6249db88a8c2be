#include "platform/CursorGuard.h"

#include <QApplication>
#include <QCursor>

CursorGuard::CursorGuard() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
CursorGuard::~CursorGuard() { QApplication::restoreOverrideCursor(); }
