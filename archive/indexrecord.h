// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementdigest.h"
#include "platform/filestamp.h"

#include <QtGlobal>

#include <string>

// The bytes of one row of the index: a record of the stamp a file was read under and of what was
// read, and a checksum over the row.
namespace archive {

// A row's checksum: XXH3 over the record, seeded with XXH3 of the name. A row changed in any stored
// byte (a damaged page that SQLite's own checks let through, a hand edit) no longer matches, and its
// file is read again. A checksum, not a signature: it guards against accidents, at a few dozen
// cycles a row.
qint64 indexRowChecksum(const char *name, int nameSize, const char *record, int recordSize);

// The record: the stamp's eight integers, then the digest. Texts are kept as their UTF-16 code units
// and numbers by their bits, so that what comes back is exactly what was read, down to a lone
// surrogate or the sign of a zero: the answer with the index must be the answer without it. In the
// machine's own byte order: an index never leaves the machine that made it. `bytes` is replaced.
void writeIndexRecord(std::string &bytes, const platform::FileStamp &stamp,
                      const measurement::MeasurementDigest &digest);

// A record's stamp and, if `digest` is given, what was read. False for a record that ends early or
// holds an impossible length.
bool readIndexRecord(const char *record, int size, platform::FileStamp *stamp,
                     measurement::MeasurementDigest *digest = nullptr);

} // namespace archive
