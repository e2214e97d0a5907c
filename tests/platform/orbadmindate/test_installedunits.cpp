// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

/*
    The calendar and clock module as `cmake --install` puts it: each QML and script
    file comes with its compiled unit, and the engine takes the units instead of
    compiling the files again at the first start.
*/

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "installtree.h"

class InstalledUnitsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QTemporaryDir m_cache;
    QString m_qmlRoot;
    QString m_moduleDir;

    // Where the engine keeps a file it compiled itself.
    static QString engineCacheFile(const QString &source)
    {
        const QString directory = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/qmlcache/");
        const QByteArray hash = QCryptographicHash::hash(source.toUtf8(), QCryptographicHash::Sha1).toHex();
        return directory + QString::fromLatin1(hash) + QLatin1Char('.') + QFileInfo(source + QLatin1Char('c')).suffix();
    }

    QStringList sources() const
    {
        return QDir(m_moduleDir).entryList({QStringLiteral("*.qml"), QStringLiteral("*.js")}, QDir::Files, QDir::Name);
    }

    static QString load(QQmlEngine &engine, const QByteArray &qml)
    {
        QQmlComponent component(&engine);
        component.setData(qml, QUrl());
        return component.isError() ? component.errorString() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QVERIFY(m_cache.isValid());
        // The engine's own cache goes to a fresh folder of this test.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
        const QString failure = installBuildTree(m_prefix.path(), QStringLiteral("kcm_orb_admin_date"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QDirIterator it(m_prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String("/ru/nimbolinux/orbadmindate/qmldir"))) {
                m_moduleDir = QFileInfo(path).absolutePath();
            }
        }
        QVERIFY2(!m_moduleDir.isEmpty(), "the module was not installed");
        m_qmlRoot = QDir::cleanPath(m_moduleDir + QStringLiteral("/../../.."));
        QVERIFY(sources().size() >= 7);
    }

    void everyFileHasAUnit()
    {
        for (const QString &name : sources()) {
            const QFileInfo unit(m_moduleDir + QLatin1Char('/') + name + QLatin1Char('c'));
            QVERIFY2(unit.isFile() && unit.size() > 0, qPrintable(unit.filePath()));
        }
    }

    void engineTakesTheUnits()
    {
        QQmlEngine engine;
        engine.addImportPath(m_qmlRoot);

        // Control: a file without a unit is compiled and lands in the engine's cache,
        // which shows where to look.
        QTemporaryDir plain;
        QVERIFY(plain.isValid());
        const QString plainFile = plain.filePath(QStringLiteral("Plain.qml"));
        {
            QFile file(plainFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("import QtQuick 2.15\nItem { property int answer: 6 * 7 }\n");
        }
        QQmlComponent plainComponent(&engine, QUrl::fromLocalFile(plainFile));
        QVERIFY2(plainComponent.isReady(), qPrintable(plainComponent.errorString()));
        QTRY_VERIFY2(QFile::exists(engineCacheFile(plainFile)), qPrintable(engineCacheFile(plainFile)));

        const QStringList types = {QStringLiteral("OrbCalendar"), QStringLiteral("CurrentDate"), QStringLiteral("Clock"), QStringLiteral("DigitalClock")};
        for (const QString &type : types) {
            const QString error = load(engine, "import QtQuick 2.15\nimport ru.nimbolinux.orbadmindate 1.0\n" + type.toUtf8() + " {}\n");
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
        for (const QString &name : sources()) {
            const QString source = m_moduleDir + QLatin1Char('/') + name;
            QVERIFY2(!QFile::exists(engineCacheFile(source)), qPrintable(name + QStringLiteral(" was compiled again")));
        }
    }
};

QTEST_MAIN(InstalledUnitsTest)
#include "test_installedunits.moc"
