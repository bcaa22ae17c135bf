// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The C library's locale: the language of the texts the system itself writes (strerror's reasons),
// and how its printf writes numbers.
namespace platform {

// Makes the system write its texts in English (the C locale's), whatever the user's locale says, for
// a program whose own messages are English. Where the system has no locale of messages (Windows) its
// texts are English already.
void useEnglishSystemMessages();

// While it exists, the C library writes numbers in C notation ("1598.5") whatever the user's locale
// says ("1598,5"): for a library that writes them with printf into a format that knows no other
// notation (libxlsxwriter, into a spreadsheet file's XML).
class CNumberNotation
{
public:
    CNumberNotation();
    ~CNumberNotation();
    CNumberNotation(const CNumberNotation &) = delete;
    CNumberNotation &operator=(const CNumberNotation &) = delete;

private:
    std::string saved;
};

} // namespace platform
