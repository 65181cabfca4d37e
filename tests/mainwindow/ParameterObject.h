#pragma once

// A project object whose effect node carries one important parameter of each kind that has an
// editor, so that the node's panel and the Important Parameters panel of the real window show
// every editor kind.

#include <QList>
#include <QString>

class KelNGObject;
class QObject;
class QWidget;
class TwCore;
class TwMainWindow;

namespace KelNodes {
class Node;
}

namespace KelUtils {
class Parameter;
}

namespace MainWindowTest {

struct ParameterObject
{
    KelNGObject* object = nullptr;
    KelNodes::Node* node = nullptr;
    // Number, number with slider (integer and float), on/off, colour, list and text.
    QList<KelUtils::Parameter*> parameters;

    KelUtils::Parameter* parameter(QString const& name) const;
};

// Adds the object (named `name`, source -> inversion -> output, the test parameters on the
// inversion) to the window's project and selects it.
ParameterObject addParameterObject(TwCore* core, QString const& name);

// The editors of one parameter in the node panel the window built for the node (the node's
// item in the node-graph view) and in the Important Parameters panel of the project browser.
QWidget* nodePanelEditor(KelNodes::Node* node, KelUtils::Parameter* parameter);
QWidget* importantEditor(TwMainWindow* window, KelUtils::Parameter* parameter);

} // namespace MainWindowTest
