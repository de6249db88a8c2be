// Runs a piece of work on a worker thread while the calling thread waits in
// an event loop, so its timers, socket notifiers and painting go on. An
// exception of the work is raised again here.
#pragma once

#include <functional>

void RunOnWorker(const std::function<void()>& work);
