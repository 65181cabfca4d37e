#pragma once

#include <QStringList>
#include <QTreeWidget>

// A tree widget whose drags carry the MIME types set from outside (the node dock sets the one
// the node-graph view accepts).
class TreeWidgetByMimeType : public QTreeWidget
{
    Q_OBJECT

public:
    explicit TreeWidgetByMimeType(QWidget* parent = nullptr);

    // An empty list restores the tree widget's own types.
    void setMimeTypesOutput(QStringList const& types);
    QStringList mimeTypes() const override;

private:
    QStringList m_mimeTypesOutput;
};
