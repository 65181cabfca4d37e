#pragma once

#include "params/HelpLink.h"

#include <QList>
#include <QString>

namespace KelUtils {

// Help of a node, a parameter or a terminal. The text is rich text (may hold <b> and <br>).
class HelpItem
{
public:
    HelpItem() = default;
    HelpItem(QString const& title, QString const& text, QList<HelpLink> const& links = {})
        : title(title), text(text), links(links) {}

    bool isEmpty() const { return title.isEmpty() && text.isEmpty() && links.isEmpty(); }
    bool operator==(HelpItem const& other) const = default;

    QString title;
    QString text;
    QList<HelpLink> links;
};

} // namespace KelUtils
