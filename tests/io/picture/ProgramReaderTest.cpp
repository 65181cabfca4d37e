// The reader is the one the program started with: an upgrade in place (new files renamed over
// the program and its reader while it runs) changes nothing until the next start; a program
// without its reader names the missing file; a program that ends waits for no reader and leaves
// none running.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

QString programBesideThisTest(const QString& name)
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath() + '/' + name;
}

// A copy of the stand-in program as "vyx-solenne" in `folder`, with the stand-in reader beside
// it unless `withReader` is false.
bool install(const QString& folder, bool withReader)
{
    return QFile::copy(programBesideThisTest(QStringLiteral("vyx-picture-program-standin")),
                       folder + QStringLiteral("/vyx-solenne"))
           && (!withReader
               || QFile::copy(programBesideThisTest(QStringLiteral("vyx-picture-reader-standin")),
                              folder + QStringLiteral("/vyx-picture-reader")));
}

// As a package manager writes a new version: a new file renamed over the old one.
bool replace(const QString& path)
{
    const QString fresh = path + QStringLiteral(".new");
    QFile file(fresh);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\nexit 0\n") < 0)
        return false;
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner);
    return std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) == 0;
}

// A reader that has ended, reaped or not (whoever took it over reaps it).
bool ended(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

class RunningProgram
{
public:
    explicit RunningProgram(const QString& path, const QStringList& arguments = {})
    {
        m_process.start(path, arguments);
        m_started = m_process.waitForStarted(30000);
    }
    ~RunningProgram()
    {
        if (!end()) {
            m_process.kill();
            m_process.waitForFinished(30000);
        }
    }

    bool started() const { return m_started; }
    // Ends its input; true once it has ended, within a generous time.
    bool end()
    {
        m_process.closeWriteChannel();
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(30000);
    }
    // Its answer to one picture; empty when none came within a generous time.
    QString read(const QString& picture)
    {
        m_process.write(QFile::encodeName(picture) + '\n');
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(30000))
                return QString();
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

private:
    QProcess m_process;
    bool m_started = false;
};

TEST(UpgradeInPlaceTest, AProgramWhoseFilesAreReplacedWhileItRunsReadsWithTheReaderItStartedWith)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(install(dir.path(), true));
    RunningProgram program(dir.filePath(QStringLiteral("vyx-solenne")));
    ASSERT_TRUE(program.started());
    const QString stamp = dir.filePath(QStringLiteral("x.stamp"));
    const QString first = program.read(stamp);
    ASSERT_TRUE(first.startsWith(QStringLiteral("read 3x2 "))) << qPrintable(first);

    ASSERT_TRUE(replace(dir.filePath(QStringLiteral("vyx-solenne"))));
    ASSERT_TRUE(replace(dir.filePath(QStringLiteral("vyx-picture-reader"))));
    // The running reader ends: the next one is started from the file the program started with.
    EXPECT_EQ(program.read(dir.filePath(QStringLiteral("x.crash"))), QStringLiteral("refused The picture's reader stopped."));
    const QString second = program.read(stamp);
    EXPECT_TRUE(second.startsWith(QStringLiteral("read 3x2 "))) << qPrintable(second);
    EXPECT_NE(second, first);
}

TEST(UpgradeInPlaceTest, AProgramWithoutItsReaderNamesTheMissingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(install(dir.path(), false));
    RunningProgram program(dir.filePath(QStringLiteral("vyx-solenne")));
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.read(dir.filePath(QStringLiteral("x.stamp"))),
              QStringLiteral("refused The picture's reader could not be started: %1 is missing.")
                  .arg(dir.filePath(QStringLiteral("vyx-picture-reader"))));
}

// A reader the kill does not end holds neither the read nor the program's end, and ends by itself
// once the program is gone.
TEST(ProgramEndTest, AProgramEndsWithoutWaitingForAReaderItsKillDoesNotEndAndLeavesNoneRunning)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(install(dir.path(), true));
    RunningProgram program(dir.filePath(QStringLiteral("vyx-solenne")), {QStringLiteral("--kill-leaves-readers")});
    ASSERT_TRUE(program.started());
    const QString answer = program.read(dir.filePath(QStringLiteral("x.stamp")));
    ASSERT_TRUE(answer.startsWith(QStringLiteral("read 3x2 #"))) << qPrintable(answer);
    // The stamp's colour is the reader's process id.
    const pid_t reader = pid_t(answer.mid(answer.indexOf('#') + 1).toLong(nullptr, 16));
    EXPECT_EQ(program.read(dir.filePath(QStringLiteral("x.hang"))),
              QStringLiteral("refused The picture's reader took longer than 1 s."));
    ASSERT_FALSE(ended(reader));
    EXPECT_TRUE(program.end());
    // It sees the program gone and ends by itself.
    for (int i = 0; i < 2000 && !ended(reader); ++i)
        QThread::msleep(10);
    EXPECT_TRUE(ended(reader));
}

} // namespace
