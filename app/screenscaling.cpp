// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screenscaling.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace app {

void scaleWithScreen()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    // Icons drawn from their images at the screen's resolution rather than enlarged pixmaps.
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

} // namespace app
