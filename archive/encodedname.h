// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/filesystem.h"

#include <QByteArray>
#include <QStringView>

namespace archive {

// A name in the file-name encoding, written into `buffer`, which the caller reuses from name to name:
// a plain ASCII name (nearly every archive name) is copied without a conversion of its own. The
// result is `buffer` itself, valid (and ending in a zero, as system calls need) until it changes.
inline const QByteArray &encodeFileName(QStringView name, QByteArray *buffer)
{
    buffer->resize(int(name.size()));
    for (int i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (c >= 0x80) {
            *buffer = platform::encodeFileName(name.toString());
            return *buffer;
        }
        (*buffer)[i] = char(c);
    }
    return *buffer;
}

} // namespace archive
