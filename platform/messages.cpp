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

CNumberNotation::CNumberNotation()
{
    const char *current = std::setlocale(LC_NUMERIC, nullptr);
    saved = current ? current : "C";
    std::setlocale(LC_NUMERIC, "C");
}

CNumberNotation::~CNumberNotation()
{
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace platform
