// The helper's own process state. pkexec hands the root helper much of what the user who started
// it set: resource limits, ignored and blocked signals, the terminal's session and job control,
// the file mask, closed or extra descriptors, a low priority. Left as they are, they let that user
// defeat the count of wrong passwords (a file-size limit of 0 empties it), outlive the alarm
// (SIGALRM ignored) or stop a helper that holds the save lock (^Z on the terminal). So the helper
// first puts them as it needs them.
#pragma once

namespace helper {

// Sets every limit the helper relies on, every signal to its default and none blocked, a session
// of its own without a terminal, the file mask 022, the root folder as the working folder, the
// usual priority and scheduling, standard descriptors open (on /dev/null where they were closed)
// and no others. Where the process leads its process group (a shell's job), it cannot begin a
// session: it forks, the child goes on, and the parent waits for it and ends with its status,
// so that this call then never returns in the parent. False when a step that the helper's safety
// depends on failed; the helper must then refuse to serve.
bool PutProcessStateInOrder();

}  // namespace helper
