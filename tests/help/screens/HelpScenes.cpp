#include "HelpScenes.h"
#include "HelpStage.h"
#include "RoadSupport.h"

#include "app/KelNGObject.h"
#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "browser/ImageView.h"
#include "browser/TwSaveSequence.h"
#include "dialogs/TwPreferencesDialog.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelTimeline.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"
#include "web/WebServiceConfig.h"

#include <algorithm>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <limits>
#include <memory>

namespace HelpScenes {

namespace {

QString g_folder;
bool g_ok = true;

TwMainWindow* window()
{
    return HelpStage::window();
}

TwCore* core()
{
    return window()->core();
}

void fail(char const* what)
{
    std::fprintf(stderr, "scene failed: %s\n", what);
    g_ok = false;
}

// Six bits a channel: photographs in a picture then compress to about two thirds.
QImage posterised(QImage picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = 0xFF000000u | (line[x] & 0x00FCFCFCu);
    }
    return picture;
}

// A width that keeps every picture at its own size.
constexpr int naturalWidth = std::numeric_limits<int>::max();
// A dialog width: wide enough for every column of the dialog's list.
constexpr int listWidth = -1;

// Saves a picture no wider than `width`, and under the size a help picture may have.
void save(QImage picture, QString const& name, int width)
{
    constexpr qint64 largest = 140 * 1024;
    picture = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.width() > width)
        picture = picture.scaledToWidth(width, Qt::SmoothTransformation);
    const QString path = g_folder + QLatin1Char('/') + name;
    bool saved = picture.save(path, "PNG", 0);
    if (saved && QFileInfo(path).size() > largest)
        saved = posterised(picture).save(path, "PNG", 0);
    if (!saved || QFileInfo(path).size() > largest)
        fail(qPrintable(path));
    std::printf("%s: %dx%d, %lld bytes\n", qPrintable(name), picture.width(), picture.height(),
                QFileInfo(path).size());
}

QImage shotOf(QWidget* widget)
{
    QCoreApplication::processEvents();
    QTest::qWait(200);
    return widget->grab().toImage();
}

QTreeWidgetItem* templateItem(QTreeWidget* tree, QString const& name)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0) == name)
            return tree->topLevelItem(i);
    }
    return nullptr;
}

// Drops a template of the Filters or Effects list onto the picture, as a drag does.
bool dropTemplate(QTreeWidget* tree, QString const& name)
{
    QTreeWidgetItem* item = templateItem(tree, name);
    if (!item)
        return false;
    tree->setCurrentItem(item);
    const QModelIndex index = tree->model()->index(tree->indexOfTopLevelItem(item), 0);
    std::unique_ptr<QMimeData> data(tree->model()->mimeData({index}));
    ImageView* view = window()->imageView();
    const QPoint at = view->rect().center();
    return Road::waitForRender([&] {
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &drop);
    });
}

// Drops a node type from the list of available nodes into the graph view at `at`.
bool dropNode(QString const& typeId, QPoint at)
{
    NodeDockTabWidget* dock = window()->nodeDock();
    dock->availableNodesButton()->click();
    QTreeWidget* types = dock->availableNodesTree();
    const QModelIndexList found = types->model()->match(types->model()->index(0, 0), Qt::UserRole + 1, typeId, 1,
                                                        Qt::MatchExactly | Qt::MatchRecursive);
    if (found.size() != 1)
        return false;
    types->setCurrentIndex(found.first());
    std::unique_ptr<QMimeData> data(types->model()->mimeData({found.first()}));
    QWidget* viewport = window()->objectEditorGraphView()->viewport();
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    Road::settle();
    return true;
}

void pressKeys(char const* keys)
{
    window()->activateWindow();
    (void)QTest::qWaitForWindowActive(window(), 5000);
    QTest::keySequence(window(), QKeySequence(QString::fromLatin1(keys)));
    QCoreApplication::processEvents();
}

// Photographs the next modal dialog once it is shown, then closes it. A dialog that is
// photographed at its own width is made as low as it goes first, as a user may make it.
// A `dialogWidth` of 0 keeps the dialog's own width; otherwise the dialog is laid out at it.
void photographNextDialog(QString const& name, int width, int dialogWidth = 0)
{
    auto* timer = new QTimer;
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [timer, name, width, dialogWidth] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (dialogWidth == listWidth) {
            // As wide as its list needs to show every column whole.
            int extra = 0;
            if (auto* tree = dialog->findChild<QTreeWidget*>())
                extra = tree->header()->length() - tree->viewport()->width();
            dialog->resize(dialog->width() + std::max(0, extra) + 8, dialog->height());
        } else if (dialogWidth > 0) {
            const int height = dialog->hasHeightForWidth() ? dialog->heightForWidth(dialogWidth)
                                                           : dialog->minimumSizeHint().height();
            dialog->resize(dialogWidth, std::max(height, dialog->minimumSizeHint().height()));
        } else if (width == naturalWidth) {
            dialog->resize(dialog->width(), dialog->minimumSizeHint().height());
        }
        save(shotOf(dialog), name, width);
        dialog->reject();
    });
    timer->start();
}

// --- the scenes, in the order a new user meets them ---------------------------------------

void browseAndOpen()
{
    if (!Road::waitForRender([] { emit window()->imageBrowser()->currentImageChanged(HelpStage::photoPath()); }))
        fail("opening the photograph");
    QTest::qWait(1500);
    save(shotOf(window()->imageBrowser()), QStringLiteral("image-browser.png"), 760);
}

QTabWidget* rightTabs()
{
    return window()->rightDock()->findChild<QTabWidget*>();
}

void applyTemplates()
{
    QTreeWidget* filters = window()->filtersTree();
    rightTabs()->setCurrentIndex(1);
    filters->setCurrentItem(templateItem(filters, QStringLiteral("Colour Shift")));
    const QImage dock = shotOf(window()->rightDock());
    save(dock.copy(0, 0, dock.width(), std::min(dock.height(), 560)), QStringLiteral("templates.png"), 420);
    if (!dropTemplate(filters, QStringLiteral("Colour Shift")))
        fail("dropping a filter");
    save(shotOf(window()), QStringLiteral("main-window.png"), 760);
}

void projectPanel()
{
    if (!dropTemplate(window()->filtersTree(), QStringLiteral("Black and White")))
        fail("dropping a second filter");
    // The Project tab makes its rows' boxes when it is shown.
    rightTabs()->setCurrentIndex(0);
    QCoreApplication::processEvents();
    QTreeWidget* rows = window()->projectBrowser()->form()->treeWidget;
    QComboBox* opacity = nullptr;
    QTreeWidgetItem* row = rows->topLevelItem(rows->topLevelItemCount() - 1);
    for (int column = 0; column < rows->columnCount() && !opacity && row; ++column)
        opacity = qobject_cast<QComboBox*>(rows->itemWidget(row, column));
    if (opacity)
        Road::waitForRender([&] { opacity->setCurrentIndex(opacity->findText(QStringLiteral("50%"))); });
    else
        fail("finding the opacity field");
    const QImage dock = shotOf(window()->rightDock());
    save(dock.copy(0, 0, dock.width(), std::min(dock.height(), 470)), QStringLiteral("project-panel.png"), 420);
}

// Moves a node of the graph view by dragging its title.
void dragNode(KelNodes::Node* node, QPoint by)
{
    KelNGNode* item = KelNGNode::itemOf(node);
    if (!item || !item->pixmapItem())
        return;
    const QRectF body = item->pixmapItem()->sceneBoundingRect();
    KelNGNodeGraphView* view = window()->objectEditorGraphView();
    const QPoint from = view->mapFromScene(body.topLeft() + QPointF(body.width() / 3, 8));
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(view->viewport(), from + by / 2);
    QTest::mouseMove(view->viewport(), from + by);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, from + by);
    QCoreApplication::processEvents();
}

void buildAnEffect()
{
    QToolButton* add = window()->projectBrowser()->form()->addNewEmptyFilter;
    Road::waitForRender([&] { add->click(); });
    pressKeys("Ctrl+2");
    KelNGObject* object = core()->objectList().isEmpty() ? nullptr : core()->objectList().last();
    auto* graph = object ? dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph()) : nullptr;
    if (!graph || !window()->objectEditorGraphView()) {
        fail("the new effect's graph");
        return;
    }
    QWidget* viewport = window()->objectEditorGraphView()->viewport();
    // Room between picture and result for the new node.
    dragNode(graph->destinationNode(), QPoint(300, 0));
    const QPoint source = Road::terminalPoint(graph->sourceNode(), QStringLiteral("rgb"));
    if (!dropNode(QStringLiteral("operator.hsv"), source + QPoint(60, 40)))
        fail("dropping a node");
    KelNodes::Node* hsv = Road::nodeOfType(graph, QStringLiteral("operator.hsv"));
    if (!hsv) {
        fail("the dropped node");
        return;
    }
    Road::dragWire(Road::terminalPoint(graph->sourceNode(), QStringLiteral("rgb")), Road::terminalPoint(hsv, QStringLiteral("rgb")));
    Road::dragWire(Road::terminalPoint(hsv, QStringLiteral("out rgb")),
             Road::terminalPoint(graph->destinationNode(), QStringLiteral("rgb")));
    Road::waitForRender([] { core()->start(); });
    save(shotOf(window()), QStringLiteral("node-graph-view.png"), 760);
    NodeDockTabWidget* dock = window()->nodeDock();
    dock->availableNodesButton()->click();
    QTreeWidget* types = dock->availableNodesTree();
    const QModelIndexList found = types->model()->match(types->model()->index(0, 0), Qt::UserRole + 1,
                                                        QStringLiteral("operator.hsv"), 1,
                                                        Qt::MatchExactly | Qt::MatchRecursive);
    if (!found.isEmpty()) {
        types->setCurrentIndex(found.first());
        types->scrollTo(found.first());
    }
    save(shotOf(dock), QStringLiteral("available-nodes.png"), 420);

    // The node's parameters: a click on its title.
    KelNGNode* item = KelNGNode::itemOf(hsv);
    if (item && item->pixmapItem()) {
        const QRectF body = item->pixmapItem()->sceneBoundingRect();
        const QPoint title =
            window()->objectEditorGraphView()->mapFromScene(body.topLeft() + QPointF(body.width() / 2, 8));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, title);
        QCoreApplication::processEvents();
    }
    window()->nodeDock()->currentNodeButton()->click();
    save(shotOf(window()->nodeDock()), QStringLiteral("parameters.png"), 420);
    save(shotOf(window()->objectEditorGraphView()), QStringLiteral("node-graph.png"), 640);
}

void timeline()
{
    pressKeys("Ctrl+B");
    // The whole bar, with the keyframe and playback buttons at its right end: the window narrows
    // until the bar fits the picture's width, then comes back.
    constexpr int width = 760;
    const QSize before = window()->size();
    window()->resize(before.width() - (window()->timeline()->width() - width), before.height());
    save(shotOf(window()->timeline()), QStringLiteral("timeline.png"), width);
    window()->resize(before);
    QCoreApplication::processEvents();
    pressKeys("Ctrl+B");
}

void templateEditor()
{
    TwObjectEditor* editor = window()->objectEditor();
    QTabWidget* tabs = editor->form()->tabWidget;
    const int index = tabs->indexOf(editor->form()->templateTab);
    if (index < 0) {
        fail("the Template tab");
        return;
    }
    tabs->setCurrentIndex(index);
    save(shotOf(editor), QStringLiteral("template-editor.png"), 640);
    tabs->setCurrentIndex(0);
}

// The Project menu opened from the menu bar, photographed from the screen with the bar.
void projectMenu()
{
    QMenu* menu = window()->form()->menuProject;
    QMenuBar* bar = window()->form()->menubar;
    const QRect title = bar->actionGeometry(menu->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, title.center());
    QTest::qWait(400);
    if (!menu->isVisible()) {
        fail("opening the Project menu");
        return;
    }
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint barCorner = bar->mapToGlobal(QPoint(0, 0));
    // Wide enough for the window's title beside the menus, which the style paints in bold after
    // the last menu: a picture cut through it reads as a fault of the program.
    QFont bold = bar->font();
    bold.setWeight(QFont::Bold);
    const int titleEnd = bar->actionGeometry(bar->actions().constLast()).right() + bar->height()
                         + QFontMetrics(bold).horizontalAdvance(
                             window()->windowTitle().remove(QStringLiteral("[*]")));
    const int right = std::max(menu->geometry().right() - barCorner.x(), titleEnd) + 16;
    QRect area(barCorner, QSize(right, menu->geometry().bottom() - barCorner.y() + 20));
    save(screen.copy(area), QStringLiteral("project-menu.png"), 520);
    menu->hide();
    QCoreApplication::processEvents();
}

void dialogs()
{
    {
        TwPreferencesDialog preferences(window());
        preferences.show();
        (void)QTest::qWaitForWindowExposed(&preferences);
        save(shotOf(&preferences), QStringLiteral("preferences.png"), 520);
    }
    {
        TwSaveSequence sequence(window(), core());
        // The stage's home is a folder of its own under /tmp: the picture shows the pictures
        // folder of a user's home instead, as the dialog starts for a new user.
        if (auto* directory = sequence.findChild<QLineEdit*>(QStringLiteral("directoryEdit")))
            directory->setText(QStringLiteral("/home/user/Pictures"));
        else
            fail("the Directory field");
        sequence.show();
        (void)QTest::qWaitForWindowExposed(&sequence);
        save(shotOf(&sequence), QStringLiteral("save-sequence.png"), 520);
        sequence.reject();
    }
    // Photographed at the width the page shows it: scaled down, its words could not be read.
    photographNextDialog(QStringLiteral("update-templates.png"), naturalWidth, listWidth);
    window()->form()->actionCheckForTemplates->trigger();
    // The help's example address without its final "/": named as malformed, never called.
    QSettings settings;
    settings.setValue(WebServiceConfig::baseUrlSettingKey(), QStringLiteral("https://templates.example.org/api"));
    settings.sync();
    photographNextDialog(QStringLiteral("update-templates-malformed.png"), naturalWidth, listWidth);
    window()->form()->actionCheckForTemplates->trigger();
    settings.remove(WebServiceConfig::baseUrlSettingKey());
    settings.sync();
}

} // namespace

bool photograph(QString const& folder)
{
    g_folder = folder;
    g_ok = true;
    window()->activateWindow();
    browseAndOpen();
    applyTemplates();
    projectPanel();
    buildAnEffect();
    timeline();
    templateEditor();
    pressKeys("Ctrl+1");
    projectMenu();
    dialogs();
    return g_ok;
}

} // namespace HelpScenes
