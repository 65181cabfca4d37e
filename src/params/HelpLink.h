#pragma once

#include <QString>
#include <QUrl>

namespace KelUtils {

// One titled link of a help item.
class HelpLink
{
public:
    HelpLink() = default;
    HelpLink(QString const& caption, QUrl const& url) : caption(caption), url(url) {}

    bool operator==(HelpLink const& other) const = default;

    QString caption;
    QUrl url;
};

} // namespace KelUtils
