// Whether another program has finished writing a file: what the program must know before it
// writes a file that it did not change itself. A program that writes in parts (an editor, a
// script, an installer writing line by line) leaves the file half written between them; a text
// put in its place then would be read half and lose the rest, or take the rest in the old file
// that no name leads to any more.
#pragma once

#include <chrono>
#include <string>

#include "rir/result.h"

namespace hostsfile {

// How long the file's bytes must have stood unchanged: longer than the pause between two parts
// of a writer that closes the file in between.
inline constexpr std::chrono::milliseconds kQuietTime{1000};

// Nothing when the file at `path` (or the lack of one) is finished: its bytes last changed at
// least kQuietTime ago, and no other process holds it open for writing, as far as this process
// may ask (POSIX: a read lease, which the system grants only while no one has the file open for
// writing, and only to its owner or to root; Windows: an open that does not share write
// access, which fails while another program holds the file open for writing). Otherwise a
// kStillBeingWritten error: look again in a moment; any other error says why it could not be
// told.
rir::Result<void> CheckFinished(const std::string& path);

}  // namespace hostsfile
