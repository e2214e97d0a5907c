// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

// Benchmark host: loads a configuration module plug-in from its file the way the
// settings centre does, shows its page, runs the first load and waits until the
// page is ready (for the date page: the map picture shown). Prints key=value lines:
//   ready_ms   from ORB_BENCH_LAUNCH_NS (the launcher's clock before exec) to ready
//   idle_cpu   per cent of one core used over the idle period after ready (with
//              ORB_BENCH_TAB=N, tab N of the bar on show meanwhile)
//   phases     milliseconds since the launch at the end of each start-up step
//   peak_kb    peak resident memory
//   tab_switch_ms, second_switch_ms, filter_key_ms, filter_second_key_ms, map_click_ms
//              with ORB_BENCH_INTERACT=1, from the input to the frame that shows
//              its answer: the Time zone tab shown the first time (built then) and
//              again, the first and second letter typed into its zone filter, a click on its map
// Usage: orbbenchpagehost <plug-in file> [idle seconds]
#include <KPluginFactory>
#include <KPluginMetaData>
#include <KQuickAddons/ConfigModule>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

namespace
{
qint64 realtimeNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double cpuSeconds()
{
    // The page's own programs (chronyc) count as its cost too.
    double seconds = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

// Runs the event loop for `ms` without spinning, so that waiting costs no CPU.
void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds from `act` to the next frame the window draws.
template<typename Act>
double untilFrame(QQuickWindow &window, Act act)
{
    bool framed = false;
    const auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, [&framed] {
        framed = true;
    });
    QElapsedTimer elapsed;
    elapsed.start();
    act();
    while (!framed && elapsed.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QObject::disconnect(connection);
    return framed ? elapsed.nsecsElapsed() / 1e6 : -1;
}

// Milliseconds since the launch, for the breakdown lines.
double sinceLaunch()
{
    static const qint64 launch = qgetenv("ORB_BENCH_LAUNCH_NS").toLongLong();
    return launch ? (realtimeNs() - launch) / 1e6 : -1.0;
}
}

// Notes when the map picture is ready.
class MapWatch : public QObject
{
    Q_OBJECT
public:
    MapWatch(QObject *map, double *at)
        : QObject(map)
        , m_map(map)
        , m_at(at)
    {
    }
public Q_SLOTS:
    void changed()
    {
        if (*m_at < 0 && m_map->property("status").toInt() == 1) {
            *m_at = sinceLaunch();
        }
    }

private:
    QObject *m_map;
    double *m_at;
};

int main(int argc, char **argv)
{
    const double atMain = sinceLaunch();
    QApplication app(argc, argv);
    if (argc < 2) {
        qCritical("usage: orbbenchpagehost <plug-in file> [idle seconds]");
        return 2;
    }
    const int idleSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 0;
    const double atApplication = sinceLaunch();
    const KPluginMetaData metaData(QString::fromLocal8Bit(argv[1]));
    auto result = KPluginFactory::instantiatePlugin<KQuickAddons::ConfigModule>(metaData, nullptr);
    if (!result) {
        qCritical() << "cannot load" << argv[1] << result.errorString;
        return 1;
    }
    KQuickAddons::ConfigModule *module = result.plugin;
    const double atPlugin = sinceLaunch();
    QQuickItem *page = module->mainUi();
    const double atPage = sinceLaunch();
    if (!page) {
        qCritical() << "no page:" << module->errorString();
        return 1;
    }
    QQuickWindow window;
    window.resize(1000, 720);
    page->setParentItem(window.contentItem());
    page->setSize(QSizeF(1000, 720));
    bool framed = false;
    double atFirstFrame = -1;
    QObject::connect(&window, &QQuickWindow::frameSwapped, [&framed, &atFirstFrame] {
        framed = true;
        if (atFirstFrame < 0) {
            atFirstFrame = sinceLaunch();
        }
    });
    window.show();
    const double atShown = sinceLaunch();
    module->load();
    const double atLoaded = sinceLaunch();

    // The date page is ready when its map picture is; other pages at their first frame.
    QQuickItem *map = page->findChild<QQuickItem *>(QStringLiteral("timeZonesMap"));
    double atMap = -1;
    if (map) {
        QObject::connect(map, SIGNAL(statusChanged(QQuickImageBase::Status)), new MapWatch(map, &atMap), SLOT(changed()));
    }
    QElapsedTimer limit;
    limit.start();
    while ((!framed || (map && map->property("status").toInt() != 1)) && limit.elapsed() < 30000) {
        wait(5);
    }
    // One more frame with everything in place; a still page draws it only on request.
    untilFrame(window, [&window] {
        window.update();
    });
    printf("ready_ms=%.1f\n", sinceLaunch());
    // Where the time went, each figure the moment the step ended.
    printf("phases=main %.0f, application %.0f, plug-in %.0f, page %.0f, shown %.0f, loaded %.0f, first frame %.0f, map %.0f\n",
           atMain,
           atApplication,
           atPlugin,
           atPage,
           atShown,
           atLoaded,
           atFirstFrame,
           atMap);
    printf("map=%s\n", map ? (map->property("status").toInt() == 1 ? "ready" : "not-ready") : "none");

    if (qEnvironmentVariableIntValue("ORB_BENCH_INTERACT")) {
        QObject *bar = page->property("tabBar").value<QObject *>();
        const auto show = [&](int index) {
            return untilFrame(window, [bar, index] {
                bar->setProperty("currentIndex", index);
            });
        };
        printf("tab_switch_ms=%.1f\n", show(1));
        wait(500);
        show(0);
        wait(500);
        printf("second_switch_ms=%.1f\n", show(1));
        wait(1000);
        auto *field = page->findChild<QQuickItem *>(QStringLiteral("timeZonesField"));
        if (field) {
            field->forceActiveFocus();
            wait(200);
            const auto type = [&window](Qt::Key key, const QString &text) {
                return untilFrame(window, [&window, key, text] {
                    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
                    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
                    QCoreApplication::sendEvent(&window, &press);
                    QCoreApplication::sendEvent(&window, &release);
                });
            };
            // The first letter opens the list; the next ones narrow it.
            printf("filter_key_ms=%.1f\n", type(Qt::Key_M, QStringLiteral("m")));
            wait(300);
            printf("filter_second_key_ms=%.1f\n", type(Qt::Key_O, QStringLiteral("o")));
            wait(500);
            field->setFocus(false);
        }
        auto *mapArea = page->findChild<QQuickItem *>(QStringLiteral("timeZonesMapMouseArea"));
        if (mapArea) {
            // Somewhere over the land of Europe, in the map's own proportions.
            const QPointF at = mapArea->mapToScene(QPointF(mapArea->width() * 0.55, mapArea->height() * 0.3));
            printf("map_click_ms=%.1f\n", untilFrame(window, [&window, at] {
                       QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                       QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                       QCoreApplication::sendEvent(&window, &press);
                       QCoreApplication::sendEvent(&window, &release);
                   }));
        }
    }

    if (idleSeconds > 0) {
        // ORB_BENCH_TAB: the tab on show while idle, by its place in the bar.
        const QByteArray tab = qgetenv("ORB_BENCH_TAB");
        if (!tab.isEmpty()) {
            if (auto *bar = page->property("tabBar").value<QObject *>()) {
                bar->setProperty("currentIndex", tab.toInt());
            }
        }
        wait(1000);
        int frames = 0;
        QObject::connect(&window, &QQuickWindow::frameSwapped, [&frames] {
            ++frames;
        });
        const double before = cpuSeconds();
        QElapsedTimer idle;
        idle.start();
        wait(idleSeconds * 1000);
        printf("idle_cpu=%.2f\n", 100.0 * (cpuSeconds() - before) / (idle.elapsed() / 1000.0));
        printf("idle_fps=%.1f\n", frames / (idle.elapsed() / 1000.0));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    printf("peak_kb=%ld\n", usage.ru_maxrss);
    fflush(stdout);
    page->setParentItem(nullptr);
    delete module;
    return 0;
}

#include "pagehost.moc"
