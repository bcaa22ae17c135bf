// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "foundmeasurements.h"

#include <QByteArray>

#include <functional>
#include <vector>

namespace query {

// The matches of a search kept as their file names and result texts back to back, a few dozen bytes
// each instead of a whole record, so that a search that matches a million files stays small.
// Everything else a list shows follows from these.
class KeptMatches
{
public:
    void add(const FoundMeasurement &f);

    bool isEmpty() const { return matches.empty(); }
    int size() const { return int(matches.size()); }

    // Each match, latest moment first. Matches come in in the order of their names, which a stable sort
    // keeps among equal moments.
    void visit(const std::function<void(const FoundMeasurement &)> &use);

private:
    struct Match
    {
        bool valid;
        qint64 moment;
        int offset;
    };

    void appendNumber(qint32 number);
    FoundMeasurement restore(const Match &match) const;

    QByteArray arena;
    std::vector<Match> matches;
};

} // namespace query
