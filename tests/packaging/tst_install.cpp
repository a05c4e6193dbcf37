// Installs the build folder this test was built in into a private DESTDIR
// and checks what lands where, and that the simulator comes only with the
// "demo" component.

#include <QDirIterator>
#include <QProcess>

#include "table.h"

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QDir dir(QCoreApplication::applicationDirPath()); // somewhere below the build folder
        while (!dir.exists("CMakeCache.txt"))
            QVERIFY2(dir.cdUp(), "no CMakeCache.txt above the test program");
        m_build = dir.absolutePath();
        QFile cache(m_build + "/CMakeCache.txt");
        const QString text = cache.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(cache.readAll()) : QString();
        const auto entry = [&text](const char* key) {
            return QRegularExpression(QString("^%1:[A-Z]+=(.*)$").arg(key), QRegularExpression::MultilineOption).match(text).captured(1); };
        m_cmake = entry("CMAKE_COMMAND"), m_app = entry("KESTA_APP_DIR");
        QVERIFY(!m_cmake.isEmpty() && !m_app.isEmpty());
        if (!QFileInfo(m_build + "/KESTAcon").isExecutable())
            QSKIP("the controller is not built in this build folder");
    }

    // "file", "exec", "link:TARGET", "text:LINE" (a whole line of the file), "png", "absent"
    void install_data()
    {
        // checks: "PATH=CHECK"; @ is the application folder
        addColumns<QString, QStringList>("component", "checks");
        const QString desktop = "/usr/share/applications/kestacon.desktop=text:", unit = "/usr/lib/systemd/system/kestacon.service=text:";
        QTest::newRow("default") << "" << QStringList{"@/KESTAcon=exec", "/usr/bin/kestacon=link:@/KESTAcon", desktop + "[Desktop Entry]",
            desktop + "Exec=kestacon", desktop + "Icon=kestacon", "/usr/share/icons/hicolor/128x128/apps/kestacon.png=png",
            "/usr/share/icons/hicolor/scalable/apps/kestacon.svg=file", unit + "ExecStart=@/KESTAcon", unit + "Restart=on-failure",
            unit + "Environment=QT_QPA_PLATFORM=eglfs", unit + "User=kestacon", "/etc/default/kestacon=file",
            "/usr/share/polkit-1/rules.d/50-kestacon.rules=file"};
        // The simulator only, not a second controller.
        QTest::newRow("demo") << "demo" << QStringList{"@/demo/kesta-sim=exec", "@/demo/bin/drvemu=link:@/demo/kesta-sim", "@/demo/safe-bin/shutdown=exec",
            "/usr/bin/kestacon-demo=exec", "@/KESTAcon=absent"};
    }

    void install()
    {
        QFETCH(QString, component);
        if (!component.isEmpty() && !QFileInfo(m_build + "/sim/kesta-sim").isExecutable())
            QSKIP("the simulator is not built in this build folder");
        QTemporaryDir dest;
        QProcess cmake;
        qputenv("DESTDIR", QFile::encodeName(dest.path()));
        cmake.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{"--install", m_build, "--prefix", "/usr"};
        cmake.start(m_cmake, component.isEmpty() ? args : args + QStringList{"--component", component});
        const bool ended = cmake.waitForFinished(120000);
        qunsetenv("DESTDIR");
        QVERIFY2(ended && cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0, cmake.readAll().constData());
        for (QString check : row<QStringList>("checks")) {
            check.replace('@', m_app);
            const QString path = dest.path() + check.section('=', 0, 0), want = check.section('=', 1);
            const QFileInfo info(path);
            QFile file(path);
            const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
            bool ok = want == "file" ? info.isFile() : want == "exec" ? info.isFile() && info.isExecutable()
                    : want == "absent" ? !info.exists() : want == "png" ? text.startsWith("\x89PNG\r\n")
                    : want.startsWith("link:") ? info.isSymLink() && (info.symLinkTarget() == want.mid(5)
                                                                     || info.canonicalFilePath() == QFileInfo(dest.path() + want.mid(5)).canonicalFilePath())
                                               : ("\n" + text).contains("\n" + want.mid(5) + "\n") && !text.contains("@KESTA_");
            QVERIFY2(ok, qPrintable(check));
        }
        if (!component.isEmpty())
            return;
        QDirIterator it(dest.path(), QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        const QStringList simulator{"kesta-sim", "kestacon-demo", "drvdump", "drvemu", "drvctl", "shutdown", "reboot", "demo"};
        while (it.hasNext()) // no simulator, no stand-ins by default
            QVERIFY2(!simulator.contains(QFileInfo(it.next()).fileName()), qPrintable(it.filePath()));
    }

private:
    QString m_build, m_cmake, m_app;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
