#include "app/TypedSaveName.h"

#include "app/PlainTextWidgets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace TypedSaveName {

QString completed(QString const& typed, QString const& suffix)
{
    if (QFileInfo(typed).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
        return typed;
    return typed + QLatin1Char('.') + suffix;
}

bool mayReplace(QWidget* parent, QString const& caption, QString const& typed, QString const& path)
{
    if (path == typed || !QFileInfo::exists(path))
        return true;
    const QString question = QCoreApplication::translate("TypedSaveName", "%1 already exists.\nDo you want to replace it?")
                                 .arg(QDir::toNativeSeparators(path));
    return PlainTextWidgets::showMessage(QMessageBox::Question, parent, caption, question,
                                         QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace TypedSaveName
