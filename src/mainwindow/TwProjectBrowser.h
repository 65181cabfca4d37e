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
//
// The tab shows one project effect or none, whole: its row highlighted, its Important Parameters
// under the tree, and the bin (Remove Filter) enabled to delete it. A template's object is never
// the tab's (the Templates page has its own delete button). Every change of what the tab shows
// passes through showEffect().
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
    // Highlights a project effect with its parameters; any other object (or none) leaves the tab
    // as it is.
    void setSelectedObject(KelNGObject* object);
    // Shows a project effect's parameters built afresh, with its row highlighted; null shows
    // none; a template's object leaves the tab as it is.
    void dynamicObjectSettingsFor(KelNGObject* object);
    // The project effect the tab shows (the bin's and Edit > Delete's target), or null.
    KelNGObject* shownEffect() const;
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
    bool isProjectEffect(KelNGObject* object) const;
    // The one place the highlighted row, the parameters and the bin change, together.
    void showEffect(KelNGObject* effect, bool rebuild);

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
