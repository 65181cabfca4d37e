#pragma once

#include <QAbstractFileIconProvider>

// The file model's type texts, from the file's name alone. Qt's standard provider tells a
// file's type by its first bytes wherever the name does not settle it, reading the file on
// whichever thread asks (the window's, when a row is first looked up); a file on a mount that
// stops answering would then hold that thread for good. It gives no icons of files either: the
// browser's own model paints thumbnails.
class FileTypeByName : public QAbstractFileIconProvider
{
public:
    QIcon icon(QFileInfo const& info) const override;
    using QAbstractFileIconProvider::icon;
    QString type(QFileInfo const& info) const override;

    // The type text of the file named by `info`, its content never read.
    static QString typeOf(QFileInfo const& info);

    // One for every model, never freed: a file model's gatherer thread asks its provider until
    // the model's own destructor has stopped it, after the members of a derived model are gone.
    static FileTypeByName* shared();
};
