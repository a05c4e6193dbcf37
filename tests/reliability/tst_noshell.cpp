#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// Reads the program's own sources: no child process is ever given a shell,
// and every program started is a fixed tool name with an argument list, so
// nothing a user types can become a command line.
class TestNoShell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void forbidden_data();
    void forbidden();
    void callSites_data();
    void callSites();

private:
    // The argument text of every call matching pattern( ... ), balanced
    // parentheses.
    QStringList calls(const QString& pattern) const;
    QMap<QString, QString> m_sources; // relative path -> text
};

void TestNoShell::initTestCase()
{
    const QDir root(QDir::cleanPath(QStringLiteral(KESTA_TEST_DATA_DIR "/../..")));
    for (const char* folder : {"app", "common", "dialogs", "parameters", "operations", "emulator", "widgets"}) {
        QDirIterator it(root.filePath(folder), {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            // Comments may name anything; "://" of resource paths is no comment.
            QString text = QString::fromUtf8(file.readAll());
            text.remove(QRegularExpression("(?<!:)//[^\n]*"));
            m_sources.insert(root.relativeFilePath(file.fileName()), text);
        }
    }
    QVERIFY(m_sources.size() > 20);
}

QStringList TestNoShell::calls(const QString& pattern) const
{
    QStringList found;
    const QRegularExpression start(pattern + "\\s*\\(");
    for (auto file = m_sources.begin(); file != m_sources.end(); ++file) {
        const QString& text = file.value();
        auto it = start.globalMatch(text);
        while (it.hasNext()) {
            const auto match = it.next();
            // Declarations and definitions carry a type before the name.
            const int lineStart = text.lastIndexOf('\n', match.capturedStart()) + 1;
            const QString before = text.mid(lineStart, match.capturedStart() - lineStart);
            if (before.contains(QRegularExpression("^\\s*(QByteArray|void|bool|static)\\b|MyCommon::$")))
                continue;
            int depth = 1;
            int i = match.capturedEnd();
            for (; i < text.size() && depth > 0; ++i) {
                if (text.at(i) == '(')
                    ++depth;
                else if (text.at(i) == ')')
                    --depth;
            }
            found << file.key() + ": " + text.mid(match.capturedEnd(), i - 1 - match.capturedEnd()).simplified();
        }
    }
    return found;
}

void TestNoShell::forbidden_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::newRow("a shell named") << R"re("(/usr)?(/bin/)?(ba|da|z)?sh\b)re";
    QTest::newRow("shell option with a command") << R"re("-c [^"]+")re";
    QTest::newRow("system()") << R"re(\bsystem\s*\()re";
    QTest::newRow("popen()") << R"re(\bpopen\s*\()re";
    QTest::newRow("exec family") << R"re(\bexec[lv]p?e?\s*\()re";
    QTest::newRow("QProcess::execute") << R"re(QProcess::execute\b)re";
    QTest::newRow("startDetached") << R"re(startDetached\s*\()re";
    QTest::newRow("native arguments") << R"re(setNativeArguments)re";
}

void TestNoShell::forbidden()
{
    QFETCH(QString, pattern);
    const QRegularExpression re(pattern);
    QVERIFY(re.isValid());
    for (auto file = m_sources.begin(); file != m_sources.end(); ++file)
        QVERIFY2(!re.match(file.value()).hasMatch(), qPrintable(file.key()));
}

void TestNoShell::callSites_data()
{
    QTest::addColumn<QString>("function"); // a pattern
    QTest::addColumn<QString>("allowed"); // what the whole argument text may be
    QTest::addColumn<int>("minimum");     // call sites the scan must find
    // A fixed line of words, at most followed by a tool's name constant.
    QTest::newRow("LinuxCommand") << R"re(\bLinuxCommand)re"
                                  << R"re(^QStringLiteral\("[a-z -]*"\)( \+ (MyCommon::TOOL_\w+|tool))?$)re" << 4;
    // A tool constant (or the word it was split from) first, then arguments.
    const QString program = R"re(^(MyCommon::TOOL_\w+|QStringLiteral\("[a-z]+"\)|program)\s*,)re";
    QTest::newRow("Command") << R"re(\bCommand)re" << program << 2;
    QTest::newRow("CommandQuiet") << R"re(\bCommandQuiet)re" << program << 2;
    QTest::newRow("Execute") << R"re(\bExecute)re" << program << 2;
    QTest::newRow("CommandBlocked") << R"re(\bCommandBlocked)re" << program << 1;
    QTest::newRow("QProcess start") << R"re(\b(proc\.|\w*[pP]rocess->)start)re" << program << 3;
}

void TestNoShell::callSites()
{
    QFETCH(QString, function);
    QFETCH(QString, allowed);
    QFETCH(int, minimum);
    const QRegularExpression re(allowed);
    QVERIFY(re.isValid());
    const QStringList found = calls(function);
    QVERIFY2(found.size() >= minimum, qPrintable(found.join('\n')));
    for (const QString& call : found) {
        const QString args = call.section(": ", 1);
        QVERIFY2(re.match(args).hasMatch(), qPrintable(call));
    }
}

QTEST_GUILESS_MAIN(TestNoShell)
#include "tst_noshell.moc"
