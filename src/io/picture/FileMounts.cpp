#include "io/picture/FileMounts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {

struct TableName {
    QMutex mutex;
    QString path;
};

// Never freed: a reader let go of may be looked up while the program's statics are destroyed.
TableName& tableName()
{
    static TableName* name = new TableName;
    return *name;
}

} // namespace

FileMounts FileMounts::current()
{
    QString path;
    {
        QMutexLocker lock(&tableName().mutex);
        path = tableName().path;
    }
    FileMounts mounts;
    QFile table(path.isEmpty() ? QStringLiteral("/proc/self/mountinfo") : path);
    // A proc file of unknown size: read to its end.
    if (table.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() > 4)
                mounts.m_points.append(unescape(fields.at(4)));
        }
    }
    return mounts;
}

QString FileMounts::mountOf(const QString& path) const
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best = QStringLiteral("/");
    for (const QString& point : m_points) {
        if (point.size() <= best.size() || !file.startsWith(point))
            continue;
        if (file.size() == point.size() || file.at(point.size()) == QLatin1Char('/'))
            best = point;
    }
    return best;
}

void FileMounts::setTable(const QString& mountInfoPath)
{
    QMutexLocker lock(&tableName().mutex);
    tableName().path = mountInfoPath;
}

QString FileMounts::unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool octal = digits.size() == 3;
            for (const char d : digits)
                octal = octal && d >= '0' && d <= '7';
            if (octal) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QString::fromUtf8(out);
}
