#pragma once
// Glue to the toolkit's event dispatcher, which serves as the thread's message queue.
// The loops themselves (main loop, modal loops) are the shell's.
#include <functional>

class QApplication;

// Creates the toolkit's application object for this process (once).
QApplication& StartToolkit();
// Destroys it again; a toolkit left running at exit is never torn down (its globals may be
// gone by then).
void StopToolkit();

// Dispatches what is pending without waiting; false when the queue was empty.
bool DispatchPendingEvents();
// Blocks until at least one event arrives, then dispatches it.
void WaitAndDispatchEvents();
// Runs deletions that the toolkit deferred to the event loop.
void RunDeferredDeletes();

// Posts the quit message; when it is taken off the queue, the handler runs.
void PostQuitMessage();
void SetQuitMessageHandler(std::function<void()> handler);
