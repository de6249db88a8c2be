#include "platform/CursorGuard.h"

#include <QCursor>
#include <QGuiApplication>

// A program without a display (batch mode) has no cursor to show.
CursorGuard::CursorGuard() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
{
    if (shown_)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CursorGuard::~CursorGuard()
{
    if (shown_)
        QGuiApplication::restoreOverrideCursor();
}
