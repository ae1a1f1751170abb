#pragma once

namespace fm::partner {

// SIGTERM and SIGINT (Ctrl+C) as a request to stop between two jobs. The Firebird
// engine must not see them: its threads stop in mid-wait when a signal lands on
// them, and detaching then never ends. So the signals are held back in every thread
// and only collected by the waits below.

// Call before the first database connection, so that the engine's threads inherit it.
void holdStopSignals();

// Waits up to the given time; true as soon as a stop was requested.
bool waitForStop(int milliseconds);

}  // namespace fm::partner
