// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement/measurementfile.h"

#include <QSize>
#include <QString>

class QIODevice;

// A measurement drawn exactly as the viewer's plot draws it, with a caption line above (melt,
// technology and moment from the file name, status), as a picture file for `render`.
namespace printing {

enum class Picture
{
    png,
    pdf
};

// Writes a PNG of size pixels or a one-page PDF of size points to `device`; false when the picture
// could not be made or written. Needs a QApplication.
bool writeMeasurementPicture(QIODevice *device, Picture picture, const QSize &size, const QString &path,
                             const measurement::Measurement &m);

} // namespace printing
