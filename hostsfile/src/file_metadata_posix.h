// Giving a new file the owner, group, mode, access list and extended attributes (the security
// label among them) of the file it is about to replace, so that the replacement is the same file
// to everyone who looks at it.
#pragma once

#include <sys/stat.h>

namespace hostsfile {

// Copies onto `to` what `from` (whose status is `from_status`) carries besides its bytes. False,
// with errno set, when any of it could not be copied: a replacement would then differ from the
// file it replaces.
bool CopyFileMetadata(int from, const struct stat& from_status, int to);

}  // namespace hostsfile
