// Shows the hourglass (busy) cursor for a scope and restores the previous
// cursor on every exit, exceptions included. Without a display it does nothing.
#pragma once

class CursorGuard
{
public:
    CursorGuard();
    ~CursorGuard();
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

private:
    bool shown_;
};
