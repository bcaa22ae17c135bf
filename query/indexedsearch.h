// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "query/foundmeasurements.h"
#include "query/searchcriteria.h"

#include <functional>

namespace query {

// The measurements the archive's index already knows to meet the criteria, each handed over only once
// its file has been looked at and found exactly as it was filed: a first answer from the index alone,
// without listing the folder or looking at any other file. It is exact for every file it names, but
// it does not know of files the index does not hold, or of files changed since they were filed: a
// full search (visitMeasurements) completes it. Nothing is written. Returns false when there is no
// index to ask.
bool visitIndexedMeasurements(const QString &directory, const SearchCriteria &criteria,
                              const std::function<void(FoundMeasurement &&found)> &visit,
                              const std::function<bool()> &stopRequested = {});

} // namespace query
