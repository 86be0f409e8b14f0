#pragma once
// Removal of a run's temporary files when SIGINT or SIGTERM ends it, so that an interrupted run
// leaves its old outputs as they were and nothing beside them.
//
// A signal handler may only do async-signal-safe work and cannot reach an object of the run, so
// this is the command line's one piece of global state: a fixed table of the paths to remove, as
// C strings owned by their registrant (OutputFiles), read by the handler through lock-free
// atomics. The handler unlinks each (a staging folder: its numbered files, then the folder), then
// raises the signal again with its default action, so that the run ends as the signal says.

#include <string>

namespace tarn::interrupt_cleanup {

// Installs the handlers of SIGINT and SIGTERM; later calls do nothing.
void install();

// A temporary file to remove on interruption; `path` must stay valid until drop(). Returns a
// ticket for drop(), or -1 when the table is full (the file is then not removed).
int add_file(const char* path);

// A staging folder holding prefix + k + suffix for k = 1..count (k zero-padded to `width`
// digits), to remove with its files on interruption. The texts must stay valid until drop().
int add_series(const char* folder, const char* prefix, const char* suffix, int count, int width);

// Forgets a ticket (-1 is ignored).
void drop(int ticket);

}  // namespace tarn::interrupt_cleanup
