// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/filesystem.h"

// Shared by the POSIX sources of this room only.
namespace platform::posix {

// The identities of the folder open at `handle` and of every folder above it, each reached by ".."
// from the one below.
FolderAncestry ancestryOfHandle(int handle);

// open(2) for a name that may lie in a held folder of the program's own (OwnFolder): there, relative
// to the folder's handle and never through a link; elsewhere, the system's own.
int openByName(const char *path, int flags, int mode);

} // namespace platform::posix
