#pragma once

#include "style/ResourcePaths.h"

#include <QByteArray>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// Style files for reader tests, written into the real resources folder (the reader reads only
// from there) under a prefix unique to this process, and removed again. "%P" in a text stands
// for the prefix, so files can name each other.
class StyleTestFiles
{
public:
    StyleTestFiles()
    {
        static int counter = 0;
        m_prefix = QStringLiteral("stylereader-test-%1-%2-")
                       .arg(QCoreApplication::applicationPid())
                       .arg(++counter);
        QDir().mkpath(folder());
    }

    ~StyleTestFiles()
    {
        for (QString const& path : m_files)
            QFile::remove(path);
        for (auto it = m_dirs.crbegin(); it != m_dirs.crend(); ++it)
            QDir().rmdir(*it);
    }

    StyleTestFiles(StyleTestFiles const&) = delete;
    StyleTestFiles& operator=(StyleTestFiles const&) = delete;

    static QString folder() { return ResourcePaths::resourcesFolder(); }
    QString const& prefix() const { return m_prefix; }
    QString name(QString const& base) const { return m_prefix + base; }

    // Writes a style file into the resources folder; returns its (prefixed) file name.
    QString write(QString const& base, QString const& text)
    {
        const QString fileName = name(base);
        writeRaw(folder() + QLatin1Char('/') + fileName, expand(text).toUtf8());
        return fileName;
    }

    // A small image of one colour at `relativePath` below the resources folder (folders made);
    // the first folder of the path is prefixed. Returns the prefixed relative folder + "/".
    QString writeImage(QString const& folderBase, QString const& fileName, QSize size, QColor color)
    {
        const QString relative = name(folderBase) + QLatin1Char('/');
        writeImageAt(folder() + QLatin1Char('/') + relative, fileName, size, color);
        return relative;
    }

    // The same anywhere (an absolute folder, made when missing).
    void writeImageAt(QString const& absoluteFolder, QString const& fileName, QSize size, QColor color)
    {
        if (!QDir(absoluteFolder).exists()) {
            QDir().mkpath(absoluteFolder);
            m_dirs.append(QDir::cleanPath(absoluteFolder));
        }
        QImage image(size, QImage::Format_ARGB32);
        image.fill(color);
        const QString path = QDir::cleanPath(absoluteFolder + QLatin1Char('/') + fileName);
        image.save(path, "PNG");
        m_files.append(path);
    }

    void writeRaw(QString const& path, QByteArray const& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        m_files.append(path);
    }

    QString expand(QString text) const { return text.replace(QStringLiteral("%P"), m_prefix); }

private:
    QString m_prefix;
    QStringList m_files;
    QStringList m_dirs;
};
