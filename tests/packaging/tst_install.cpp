// Installs the build folder this test was built in into a private DESTDIR
// and checks what lands where: the controller in its own folder, the link on
// PATH, the desktop entry, the icon and the kiosk unit, and no simulator
// unless the "demo" component is asked for.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void defaultComponent();
    void noSimulatorByDefault();
    void demoComponent();

private:
    QString m_build;
    QString m_cmake;
    QString m_appDir;
    QTemporaryDir m_dest;

    QString cacheValue(const QString& name) const;
    bool install(const QString& destDir, const QStringList& extra = {});
    QString readAll(const QString& path) const;
    QString dest(const QString& path) const { return m_dest.path() + path; }
};

QString TestInstall::cacheValue(const QString& name) const
{
    QFile cache(m_build + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QRegularExpression line(QStringLiteral("^") + QRegularExpression::escape(name) +
                                  QStringLiteral(":[A-Z]+=(.*)$"));
    while (!cache.atEnd()) {
        const QString text = QString::fromUtf8(cache.readLine()).trimmed();
        const QRegularExpressionMatch m = line.match(text);
        if (m.hasMatch())
            return m.captured(1);
    }
    return QString();
}

bool TestInstall::install(const QString& destDir, const QStringList& extra)
{
    QProcess cmake;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), destDir);
    cmake.setProcessEnvironment(env);
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(m_cmake, QStringList{QStringLiteral("--install"), m_build, QStringLiteral("--prefix"),
                                     QStringLiteral("/usr")} + extra);
    if (!cmake.waitForFinished(120000)) {
        qWarning() << "cmake --install did not finish";
        cmake.kill();
        cmake.waitForFinished();
        return false;
    }
    if (cmake.exitStatus() != QProcess::NormalExit || cmake.exitCode() != 0) {
        qWarning().noquote() << cmake.readAll();
        return false;
    }
    return true;
}

QString TestInstall::readAll(const QString& path) const
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(f.readAll());
}

void TestInstall::initTestCase()
{
    // The test program sits somewhere below the build folder.
    QDir dir(QCoreApplication::applicationDirPath());
    while (!dir.exists(QStringLiteral("CMakeCache.txt")))
        QVERIFY2(dir.cdUp(), "no CMakeCache.txt above the test program");
    m_build = dir.absolutePath();
    m_cmake = cacheValue(QStringLiteral("CMAKE_COMMAND"));
    m_appDir = cacheValue(QStringLiteral("KESTA_APP_DIR"));
    QVERIFY(!m_cmake.isEmpty());
    QVERIFY(!m_appDir.isEmpty());
    if (!QFileInfo(m_build + QStringLiteral("/KESTAcon")).isExecutable())
        QSKIP("the controller is not built in this build folder");
    QVERIFY(m_dest.isValid());
    QVERIFY(install(m_dest.path()));
}

void TestInstall::defaultComponent()
{
    const QFileInfo program(dest(m_appDir + QStringLiteral("/KESTAcon")));
    QVERIFY(program.isFile());
    QVERIFY(program.isExecutable());

    const QFileInfo link(dest(QStringLiteral("/usr/bin/kestacon")));
    QVERIFY(link.isSymLink());
    QCOMPARE(link.symLinkTarget(), m_appDir + QStringLiteral("/KESTAcon"));

    const QString desktop = readAll(dest(QStringLiteral("/usr/share/applications/kestacon.desktop")));
    QVERIFY(desktop.startsWith(QStringLiteral("[Desktop Entry]")));
    QVERIFY(desktop.contains(QStringLiteral("\nExec=kestacon\n")));
    QVERIFY(desktop.contains(QStringLiteral("\nIcon=kestacon\n")));

    QFile icon(dest(QStringLiteral("/usr/share/icons/hicolor/128x128/apps/kestacon.png")));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    QCOMPARE(icon.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    QVERIFY(QFileInfo(dest(QStringLiteral("/usr/share/icons/hicolor/scalable/apps/kestacon.svg"))).isFile());

    const QString unit = readAll(dest(QStringLiteral("/usr/lib/systemd/system/kestacon.service")));
    QVERIFY(unit.contains(QStringLiteral("\nExecStart=") + m_appDir + QStringLiteral("/KESTAcon\n")));
    QVERIFY(unit.contains(QStringLiteral("\nRestart=on-failure\n")));
    QVERIFY(unit.contains(QStringLiteral("\nEnvironment=QT_QPA_PLATFORM=eglfs\n")));
    QVERIFY(unit.contains(QStringLiteral("\nUser=kestacon\n")));
    QVERIFY(!unit.contains(QStringLiteral("@KESTA_")));

    QVERIFY(QFileInfo(dest(QStringLiteral("/etc/default/kestacon"))).isFile());
    QVERIFY(QFileInfo(dest(QStringLiteral("/usr/share/polkit-1/rules.d/50-kestacon.rules"))).isFile());
}

void TestInstall::noSimulatorByDefault()
{
    const QStringList simulatorNames{QStringLiteral("kesta-sim"), QStringLiteral("kestacon-demo"),
                                     QStringLiteral("drvdump"),   QStringLiteral("drvemu"),
                                     QStringLiteral("drvctl"),    QStringLiteral("shutdown"),
                                     QStringLiteral("reboot")};
    QDirIterator it(m_dest.path(), QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QVERIFY2(!simulatorNames.contains(it.fileName()), qPrintable(it.filePath()));
        QVERIFY2(it.fileName() != QStringLiteral("demo"), qPrintable(it.filePath()));
    }
}

void TestInstall::demoComponent()
{
    if (!QFileInfo(m_build + QStringLiteral("/sim/kesta-sim")).isExecutable())
        QSKIP("the simulator is not built in this build folder");
    QTemporaryDir demoDest;
    QVERIFY(demoDest.isValid());
    QVERIFY(install(demoDest.path(), {QStringLiteral("--component"), QStringLiteral("demo")}));
    const QString demo = demoDest.path() + m_appDir + QStringLiteral("/demo");
    QVERIFY(QFileInfo(demo + QStringLiteral("/kesta-sim")).isExecutable());
    const QFileInfo drvemu(demo + QStringLiteral("/bin/drvemu"));
    QVERIFY(drvemu.isSymLink());
    QCOMPARE(drvemu.canonicalFilePath(), QFileInfo(demo + QStringLiteral("/kesta-sim")).canonicalFilePath());
    QVERIFY(QFileInfo(demo + QStringLiteral("/safe-bin/shutdown")).isExecutable());
    QVERIFY(QFileInfo(demoDest.path() + QStringLiteral("/usr/bin/kestacon-demo")).isExecutable());
    // The demo component brings the simulator only, not a second controller.
    QVERIFY(!QFileInfo::exists(demoDest.path() + m_appDir + QStringLiteral("/KESTAcon")));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
