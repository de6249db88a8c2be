// Runs a piece of work on a worker thread while the GUI thread waits in an
// event loop, so the window keeps painting and its animation moves. Input to
// the window is ignored meanwhile, except Esc and a click on the cancel
// button, which call the interrupt function. The window cannot be closed
// while the work runs. An exception of the work is raised again here.
#pragma once

#include <functional>

class QWidget;

void RunBlocking(QWidget* window, QWidget* cancelButton, const std::function<void()>& work,
                 const std::function<void()>& interrupt);
