// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Timing of the map's band table; run by hand (bin/bench_map), not part of the tests.
// Prints wall times in milliseconds; the machine's load average is printed too,
// since it is shared.
#include "hitmask.h"
#include "mapcontroller.h"
#include "qmltypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <functional>

namespace
{
QTextStream out(stdout);

double medianMs(int runs, const std::function<void()> &work)
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void report(const QString &what, double ms)
{
    out << qSetFieldWidth(58) << Qt::left << what << qSetFieldWidth(0) << QString::number(ms, 'f', 1) << " ms" << Qt::endl;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2) : QStringLiteral("?");
}

QStringList picturePaths()
{
    QStringList paths = MapController::offsets().values();
    paths.prepend(QStringLiteral(":/content/all.png"));
    return paths;
}

// Copies of the pictures without their hit mask chunk, for the decoding path.
QStringList strippedCopies(const QTemporaryDir &dir)
{
    QStringList copies;
    for (const QString &path : picturePaths()) {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        QByteArray png = in.readAll();
        for (int pos = 8; pos + 12 <= png.size();) {
            const int length = int(qFromBigEndian<quint32>(png.constData() + pos));
            if (png.mid(pos + 4, 4) == "hiTM") {
                png.remove(pos, length + 12);
                break;
            }
            pos += length + 12;
        }
        const QString copy = dir.filePath(QFileInfo(path).fileName());
        QFile file(copy);
        file.open(QIODevice::WriteOnly);
        file.write(png);
        copies << copy;
    }
    return copies;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initOrbAdminDateResources();
    const int runs = 5;

    out << "ideal thread count " << QThread::idealThreadCount() << ", load average " << loadAverage() << Qt::endl;

    QElapsedTimer timer;
    timer.start();
    MapController::loadImages();
    report(QStringLiteral("loadImages, first in the process"), timer.nsecsElapsed() / 1e6);
    report(QStringLiteral("loadImages, median of 5"), medianMs(runs, &MapController::loadImages));
    report(QStringLiteral("loadImages sequential, median of 5"), medianMs(runs, [] {
               MapController::m_loadImages(false);
           }));
    report(QStringLiteral("loadImages fanned out, median of 5"), medianMs(runs, [] {
               MapController::m_loadImages(true);
           }));

    qsizetype bytes = 0;
    for (const MapController::MapTimeZone &band : MapController::timeZones()) {
        bytes += band.mask.byteSize();
    }
    out << "hit masks of all bands: " << bytes / 1024 << " KB" << Qt::endl;

    const QStringList paths = picturePaths();
    report(QStringLiteral("33 hit pictures from their chunks, median of 5"), medianMs(runs, [&paths] {
               for (const QString &path : paths) {
                   HitMask::load(path);
               }
           }));

    QTemporaryDir dir;
    const QStringList copies = strippedCopies(dir);
    report(QStringLiteral("33 hit pictures decoded (no chunk), median of 3"), medianMs(3, [&copies] {
               for (const QString &path : copies) {
                   HitMask::load(path);
               }
           }));
    report(QStringLiteral("33 pictures decoded only, median of 3"), medianMs(3, [&paths] {
               for (const QString &path : paths) {
                   const QImage image(path);
                   Q_UNUSED(image)
               }
           }));
    report(QStringLiteral("33 pictures decoded + default 8-bit conversion, once"), medianMs(1, [&paths] {
               for (const QString &path : paths) {
                   const QImage converted = QImage(path).convertToFormat(QImage::Format_Indexed8);
                   Q_UNUSED(converted)
               }
           }));
    out << "load average " << loadAverage() << Qt::endl;
    return 0;
}
