// The main window's two view modes: the image view and the node-graph view.

#include "mainwindow/TwMainWindow.h"

#include "ui_MainWindow.h"

#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/PseudoDockWidget.h"
#include "mainwindow/PseudoDockWidgetArea.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectEditorDock.h"
#include "nodeui/KelTimeline.h"

#include <QDockWidget>
#include <QMenu>

void TwMainWindow::viewModeChanged(QAction* action)
{
    if (!action || action == m_currentViewAction)
        return;
    m_core->setBlockFocusOutEvents(true);
    m_viewModeMenu->setTitle(QStringLiteral("{%1}").arg(action->text()));

    if (m_currentViewAction == m_ui->actionImageView)
        m_imageViewSizes = m_ui->centralSplitter->sizes();
    else if (m_currentViewAction == m_ui->actionNodeGraphView)
        m_nodeGraphViewSizes = m_ui->centralSplitter->sizes();

    if (action == m_ui->actionImageView) {
        m_ui->mainSplitter->hide();
        removeDockWidget(m_rightDock);
        m_ui->pseudoDock->removeDockWidget(m_nodeGraphEditorDock);
        m_ui->pseudoDock->hide();
        addDockWidget(Qt::RightDockWidgetArea, m_rightDock, Qt::Horizontal);
        m_ui->mainSplitter->show();

        m_nodeGraphEditorDock->hide();
        m_rightDock->setWidget(m_imageDockPage);
        m_rightDock->setWindowTitle(QString());
        m_rightDock->show();
        if (!m_imageViewSizes.isEmpty())
            m_ui->centralSplitter->setSizes(m_imageViewSizes);

        m_core->cancelRender();
        m_core->setCurrentGraph(m_core->rootGraph());
        m_core->start();
    } else {
        m_ui->mainSplitter->hide();
        setGraphViewLayoutFrozen(true);
        removeDockWidget(m_rightDock);
        m_ui->pseudoDock->addDockWidget(Qt::LeftDockWidgetArea, m_nodeGraphEditorDock, Qt::Horizontal);
        addDockWidget(Qt::RightDockWidgetArea, m_rightDock, Qt::Horizontal);
        m_ui->mainSplitter->show();

        if (KelNGObject* selected = m_core->selectedObject())
            m_objectEditor->viewGotActivated(selected);

        m_rightDock->setWidget(m_objectEditorDock);
        m_rightDock->setWindowTitle(QString());
        m_ui->pseudoDock->show();
        m_nodeGraphEditorDock->show();
        m_objectEditorDock->show();
        m_rightDock->show();
        setGraphViewLayoutFrozen(false);

        if (m_nodeGraphViewSizes.isEmpty()) {
            const double width = double(m_ui->centralSplitter->width() - m_ui->centralSplitter->handleWidth());
            m_nodeGraphViewSizes = {int(width / 3.0), int(2.0 * (width / 3.0))};
        }
        m_ui->centralSplitter->setSizes(m_nodeGraphViewSizes);
    }

    m_core->setBlockFocusOutEvents(false);
    m_currentViewAction = action;
    // The editors of the mode now shown: the selected effect, the node the graph picks, and the
    // timeline of the mode (the root graph's frames in the image view) at the frame they show.
    // The image view runs the whole reaction to the selection, which makes the selected
    // object's history active; the node-graph view leaves the history as it is.
    if (action == m_ui->actionImageView) {
        selectedObjectChanged(m_core->selectedObject());
    } else {
        showSelectionInEditors(m_core->selectedObject());
        updateActionsAndTitle();
    }
    // Renders that ended while the image view was shown left the node pictures as they were: the
    // graph shows the last render's previews, or the render under way redraws them as it ends.
    if (action == m_ui->actionNodeGraphView && !m_core->isRenderPending())
        nodeGraphViewRedrawNodes();
}
