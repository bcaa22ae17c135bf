// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"

#include <clocale>

namespace platform {

void useEnglishSystemMessages()
{
#ifdef LC_MESSAGES
    std::setlocale(LC_MESSAGES, "C");
#endif
}

} // namespace platform
