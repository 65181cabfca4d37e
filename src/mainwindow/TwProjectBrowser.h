#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class KelNGObject;
class KelParamCrucial;
class QScrollArea;
class QTreeWidgetItem;
class QVBoxLayout;
class TwCore;
class TwObjectEditor;
class TwObjectRows;

namespace KelNodes {
class Node;
}
namespace Ui {
class ProjectBrowser;
}

// The project's stack of effect objects, one row per top-level object in chain order: its
// visibility, name, node count, opacity and blend mode. Under the tree the important parameters
// of the selected object. Rows find their objects by UUID through the core.
class TwProjectBrowser : public QWidget
{
    Q_OBJECT

public:
    TwProjectBrowser(QWidget* parent, TwCore* core);
    ~TwProjectBrowser() override;

    void setObjectEditor(TwObjectEditor* editor);
    // A new object's row goes where the core will put the object (TwCore::insertionIndexFor;
    // -1: at the end).
    void addObject(KelNGObject* object);
    // Rows added until the hold ends are laid out once, at its end.
    void holdRowLayout(bool hold);
    // Creates the row when missing, then refreshes it without emitting anything.
    void updateObject(KelNGObject* object);
    void setSelectedObject(KelNGObject* object);
    void dynamicObjectSettingsFor(KelNGObject* object);
    void checkUpdateNodeParameters(KelNodes::Node* node);
    void nodeAboutToBeDeleted(KelNodes::Node* node);
    // The nodes of the object whose settings are shown changed: its panel is built again.
    void listNodesAnew();

    TwCore* core() const { return m_core; }
    bool effectsAreOn() const { return m_effectsOn; }
    // The important-parameters panel shown, or null.
    KelParamCrucial* crucialPanel() const { return m_crucial; }
    Ui::ProjectBrowser* form() const { return m_ui; }

public slots:
    void setObjectName(KelNGObject* object);
    // Puts the rows in the core's object order (the core has re-chained the root graph).
    void sortFilters();

signals:
    void selectedObjectChanged(KelNGObject* object);
    void objectNameChanged(KelNGObject* object);
    void addNewEmptyFilter();
    void deleteCurrentFilter();
    void downloadTemplates();
    void effectsOn(bool on);
    void vyxGraphSettingChanged(KelNGObject* object, bool fromProjectBrowser);

private slots:
    void on_treeWidget_itemChanged(QTreeWidgetItem* item, int column);
    void on_treeWidget_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_treeWidget_itemClicked(QTreeWidgetItem* item, int column);
    void on_effectsOn_clicked();
    void on_addNewEmptyFilter_clicked();
    void on_deleteFilter_clicked();
    void on_downloadTemplates_clicked();
    void opacityComboBoxChanged(QString const& text);
    void blendModeComboBoxChanged(int index);

private:
    void dropCrucialPanel();

    Ui::ProjectBrowser* m_ui;
    std::unique_ptr<TwObjectRows> m_rows;
    TwCore* m_core;
    // The panel may outlive the core at teardown.
    QPointer<TwCore> m_coreAlive;
    QScrollArea* m_parameterArea;
    QVBoxLayout* m_parameterLayout;
    KelParamCrucial* m_crucial = nullptr;
    // The object whose settings are shown, also while its panel is dropped for a node that goes.
    QPointer<KelNGObject> m_settingsObject;
    TwObjectEditor* m_objectEditor = nullptr;
    bool m_effectsOn = true;
};
