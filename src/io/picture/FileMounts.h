#pragma once

#include <QString>
#include <QStringList>

// The system's mount points, from the kernel's mount table, and the one whose volume holds a
// file: found from the file's path alone, so that a file on a mount that stopped answering is
// never touched to find it (a symbolic link into another volume is taken for its own folder's).
class FileMounts
{
public:
    // The table as it is now (tests may name another; see setTable).
    static FileMounts current();
    // The mount point of the volume that holds `path` (made absolute); "/" when no other does.
    QString mountOf(const QString& path) const;
    const QStringList& points() const { return m_points; }

    // The mountinfo file read (tests: a stand-in share); empty puts the kernel's back.
    static void setTable(const QString& mountInfoPath);
    // A mountinfo field with its octal escapes ("\040" for a blank) decoded.
    static QString unescape(const QByteArray& field);

private:
    QStringList m_points;
};
