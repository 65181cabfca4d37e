#pragma once

#include <QString>
#include <QWidget>

class KelNodeDescriptionEdit;
class KelNodeDescriptionTitle;
class Ui_KelNodeDescription;

namespace KelNodes {
class NodeGraph;
}
namespace KelUtils {
class HelpItem;
}

// Help of a node, a parameter or a node type as rich text under a title bar.
class KelNodeDescription : public QWidget
{
    Q_OBJECT

public:
    explicit KelNodeDescription(QWidget* parent = nullptr);
    ~KelNodeDescription() override;

    // A null item changes nothing.
    void displayHelpItem(KelUtils::HelpItem const* item);
    void clear();
    // Makes a node of the type in `graph` (a scratch graph: the call adds and removes a node and
    // uses up a uid of it) and shows that node's help; an unknown type leaves the text alone.
    void displayHelpForNodeName(QString typeName, KelNodes::NodeGraph* graph);

    // Title and captions are escaped (help may come from the web service); the help text keeps
    // its markup.
    static QString helpHtml(KelUtils::HelpItem const& item);
    // The link colour of both description panels.
    static QString const& linkStyleSheet();

    KelNodeDescriptionTitle* titleBar() const;
    KelNodeDescriptionEdit* textEdit() const;

private:
    Ui_KelNodeDescription* ui;
};
