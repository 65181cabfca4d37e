#include "nodeui/TreeWidgetByMimeType.h"

TreeWidgetByMimeType::TreeWidgetByMimeType(QWidget* parent)
    : QTreeWidget(parent)
{
}

void TreeWidgetByMimeType::setMimeTypesOutput(QStringList const& types)
{
    m_mimeTypesOutput = types;
}

QStringList TreeWidgetByMimeType::mimeTypes() const
{
    if (!m_mimeTypesOutput.isEmpty())
        return m_mimeTypesOutput;
    return QTreeWidget::mimeTypes();
}
