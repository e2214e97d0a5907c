// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// The Russian catalogue against the messages that the sources use today: every
// message translated, none left over, and each translation fit to replace its
// English text (placeholders, line feeds, plural forms, no English left behind).
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "pofile.h"

namespace
{
const QString Domain = QStringLiteral("kcm_orb_admin_date");
const QString RussianPluralForms = QStringLiteral("nplurals=3; plural=(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);");

QString sourceDir()
{
    return qEnvironmentVariable("ORB_SOURCE_DIR");
}

QString failureList(const QString &heading, const QStringList &items)
{
    return heading + QLatin1String(":\n  ") + items.join(QLatin1String("\n  "))
        + QLatin1String("\nRun tools/extract-messages.sh and complete po/ru/kcm_orb_admin_date.po.");
}

QSet<QString> placeholders(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%\\d+"));
    QSet<QString> found;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        found.insert(it.next().captured());
    }
    return found;
}

// The leading and trailing blanks and line feeds, which callers rely on when they
// join a message to the next part ("Unable to set time zone!\n" + reason).
QString edges(const QString &text)
{
    int start = 0;
    while (start < text.size() && text.at(start).isSpace()) {
        ++start;
    }
    int end = text.size();
    while (end > start && text.at(end - 1).isSpace()) {
        --end;
    }
    return text.left(start) + QLatin1Char('|') + text.mid(end);
}
}

class TestCatalogue : public QObject
{
    Q_OBJECT
private:
    PoFile m_template;
    PoFile m_russian;
    QString m_poPath;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!sourceDir().isEmpty(), "ORB_SOURCE_DIR is not set");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString pot = dir.filePath(Domain + QLatin1String(".pot"));
        QProcess extract;
        extract.setProcessChannelMode(QProcess::MergedChannels);
        extract.start(sourceDir() + QLatin1String("/tools/extract-messages.sh"), {QStringLiteral("--pot"), pot});
        QVERIFY(extract.waitForFinished(120000));
        QVERIFY2(extract.exitStatus() == QProcess::NormalExit && extract.exitCode() == 0, extract.readAll().constData());

        m_template = PoFile::read(pot);
        QVERIFY2(m_template.error.isEmpty(), qPrintable(m_template.error));
        m_poPath = sourceDir() + QLatin1String("/po/ru/") + Domain + QLatin1String(".po");
        m_russian = PoFile::read(m_poPath);
        QVERIFY2(m_russian.error.isEmpty(), qPrintable(m_russian.error));
    }

    void extractionSeesEveryKindOfSource()
    {
        // One message of each kind of source, so that a broken keyword list or file
        // search cannot pass as "nothing to translate": C++ i18n, C++ ki18nd, the
        // pages' i18n and the calendar's i18nd.
        QVERIFY(m_template.find(QString(), QStringLiteral("Unable to set time zone!\n")));
        QVERIFY(m_template.find(QString(), QStringLiteral("en_US")));
        QVERIFY(m_template.find(QString(), QStringLiteral("Tray display")));
        QVERIFY(m_template.find(QString(), QStringLiteral("Previous month")));
        int messages = 0;
        for (const PoEntry &e : qAsConst(m_template.entries)) {
            messages += e.isHeader() ? 0 : 1;
        }
        QVERIFY2(messages > 50, qPrintable(QString::number(messages)));
    }

    void everyMessageIsTranslated()
    {
        QStringList missing;
        for (const PoEntry &e : qAsConst(m_template.entries)) {
            if (e.isHeader()) {
                continue;
            }
            const PoEntry *ru = m_russian.find(e.context, e.id);
            if (!ru) {
                missing << e.label() + QLatin1String(" (not in the catalogue)");
            } else if (ru->isFuzzy()) {
                missing << e.label() + QLatin1String(" (fuzzy)");
            } else if (!ru->isTranslated()) {
                missing << e.label() + QLatin1String(" (empty)");
            } else if (ru->idPlural != e.idPlural) {
                missing << e.label() + QLatin1String(" (plural text changed)");
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(failureList(QStringLiteral("Messages without a Russian translation"), missing)));
    }

    void noMessageIsLeftOver()
    {
        QSet<QString> used;
        for (const PoEntry &e : qAsConst(m_template.entries)) {
            used.insert(e.key());
        }
        QStringList stale;
        for (const PoEntry &e : qAsConst(m_russian.entries)) {
            if (e.isHeader()) {
                continue;
            }
            if (e.obsolete) {
                stale << e.label() + QLatin1String(" (obsolete entry)");
            } else if (!used.contains(e.key())) {
                stale << e.label();
            }
        }
        QVERIFY2(stale.isEmpty(), qPrintable(failureList(QStringLiteral("Catalogue messages that the sources no longer use"), stale)));
    }

    void headerDeclaresRussian()
    {
        QCOMPARE(m_russian.headerField(QStringLiteral("Language")), QStringLiteral("ru"));
        QCOMPARE(m_russian.headerField(QStringLiteral("Plural-Forms")), RussianPluralForms);
        QVERIFY(m_russian.headerField(QStringLiteral("Content-Type")).endsWith(QLatin1String("charset=UTF-8")));
    }

    void zoneNamesComeFromTheRussianLocale()
    {
        const PoEntry *locale = m_russian.find(QString(), QStringLiteral("en_US"));
        QVERIFY(locale);
        QCOMPARE(locale->translations, QStringList{QStringLiteral("ru_RU")});
    }

    void translationsFitTheirMessages()
    {
        QStringList faults;
        for (const PoEntry &e : qAsConst(m_russian.entries)) {
            if (e.isHeader() || e.obsolete || !e.isTranslated()) {
                continue;
            }
            const int forms = e.idPlural.isEmpty() ? 1 : 3;
            if (e.translations.size() != forms) {
                faults << e.label() + QStringLiteral(": %1 forms instead of %2").arg(e.translations.size()).arg(forms);
                continue;
            }
            const QSet<QString> wanted = placeholders(e.id) + placeholders(e.idPlural);
            for (const QString &t : e.translations) {
                if (placeholders(t) != wanted) {
                    faults << e.label() + QLatin1String(": placeholders differ in \"") + t + QLatin1Char('"');
                }
                if (t.count(QLatin1Char('\n')) != e.id.count(QLatin1Char('\n')) || edges(t) != edges(e.id)) {
                    faults << e.label() + QLatin1String(": line feeds or edge blanks differ in \"")
                            + QString(t).replace(QLatin1Char('\n'), QLatin1String("\\n")) + QLatin1Char('"');
                }
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void noEnglishIsLeftInTheTranslations()
    {
        // Latin words that belong in a Russian text: technical names shown as they are.
        static const QSet<QString> technical{
            QStringLiteral("UTC"),
            QStringLiteral("IP"),
            QStringLiteral("ntpdig"),
            QStringLiteral("QDBusServer"),
            QStringLiteral("QDBusConnection"),
            QStringLiteral("systemd"),
            QStringLiteral("timedated"),
            QStringLiteral("timesyncd"),
            QStringLiteral("chrony"),
            QStringLiteral("CAP_SYS_TIME"),
            QStringLiteral("ru_RU"),
        };
        static const QRegularExpression latinWord(QStringLiteral("[A-Za-z_]{2,}"));
        QStringList english;
        for (const PoEntry &e : qAsConst(m_russian.entries)) {
            if (e.isHeader() || e.obsolete) {
                continue;
            }
            for (const QString &t : e.translations) {
                auto it = latinWord.globalMatch(t);
                while (it.hasNext()) {
                    const QString word = it.next().captured();
                    if (!technical.contains(word)) {
                        english << e.label() + QLatin1String(": \"") + word + QLatin1Char('"');
                    }
                }
            }
        }
        QVERIFY2(english.isEmpty(),
                 qPrintable(QLatin1String("English words in Russian translations (add real technical names to the list in this test):\n  ")
                            + english.join(QLatin1String("\n  "))));
    }

    void catalogueCompilesWithFormatChecks()
    {
        QProcess msgfmt;
        msgfmt.setProcessChannelMode(QProcess::MergedChannels);
        msgfmt.start(QStringLiteral("msgfmt"), {QStringLiteral("--check"), QStringLiteral("-o"), QStringLiteral("/dev/null"), m_poPath});
        QVERIFY(msgfmt.waitForFinished(60000));
        QVERIFY2(msgfmt.exitCode() == 0, msgfmt.readAll().constData());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)

#include "test_catalogue.moc"
