// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The language of the texts the system itself writes (strerror's reasons).
namespace platform {

// Makes the system write its texts in English (the C locale's), whatever the user's locale says, for
// a program whose own messages are English. Where the system has no locale of messages (Windows) its
// texts are English already.
void useEnglishSystemMessages();

} // namespace platform
