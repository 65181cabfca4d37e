#pragma once

// A folder the program takes for a network share mounted there: a mount table of the test's, the
// system's with the folder added, is the one the program reads while this lives. Its files are
// read by the stand-in reader as any other, but hold every read while the share stops answering
// (the folder holds a file the stand-in reader waits on), as a share whose server went away does.

#include "io/picture/FileMounts.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

class StandInShare
{
public:
    // The share is `parent`/share; the table is written beside it.
    explicit StandInShare(const QString& parent)
        : m_folder(QDir(parent).filePath(QStringLiteral("share"))),
          m_table(QDir(parent).filePath(QStringLiteral("mountinfo")))
    {
        EXPECT_TRUE(QDir().mkpath(m_folder));
        QFile system(QStringLiteral("/proc/self/mountinfo"));
        EXPECT_TRUE(system.open(QIODevice::ReadOnly));
        QByteArray table = system.readAll();
        if (!table.endsWith('\n'))
            table += '\n';
        QByteArray point = QFile::encodeName(m_folder);
        point.replace(" ", "\\040");
        table += "4000 1 0:4000 / " + point + " rw,nosuid,nodev - fuse.sshfs nas:/photos rw\n";
        QFile out(m_table);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(table);
        out.close();
        FileMounts::setTable(m_table);
    }
    ~StandInShare()
    {
        FileMounts::setTable(QString());
        answerAgain();
    }
    StandInShare(const StandInShare&) = delete;
    StandInShare& operator=(const StandInShare&) = delete;

    const QString& folder() const { return m_folder; }
    QString filePath(const QString& name) const { return QDir(m_folder).filePath(name); }

    void stopAnswering()
    {
        QFile marker(filePath(QStringLiteral("unanswering")));
        EXPECT_TRUE(marker.open(QIODevice::WriteOnly));
    }
    // The readers held by its files go on and end.
    void answerAgain() { QFile::remove(filePath(QStringLiteral("unanswering"))); }

private:
    QString m_folder;
    QString m_table;
};
