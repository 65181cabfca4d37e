// Node types dragged from the node dock into the graph view.

#include "ViewTestSupport.h"

#include "app/HostileDrags.h"
#include "effects/NodeTypeRegistry.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/NodeEditHooks.h"
#include "nodeui/TreeWidgetByMimeType.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

using namespace ViewTest;

namespace {

const QString ItemModelFormat = QStringLiteral("application/x-qabstractitemmodeldatalist");

// The item-model records of one dragged tree item.
QByteArray records(QString const& kind, QString const& path)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    QMap<int, QVariant> roles;
    roles.insert(Qt::DisplayRole, QStringLiteral("Const"));
    roles.insert(Qt::UserRole, kind);
    roles.insert(Qt::UserRole + 1, path);
    stream << 0 << 0 << roles;
    return bytes;
}

std::unique_ptr<QMimeData> dockDrag(QString const& path, QString const& format = VyxNodeGraphView::NodeItemsFormat,
                                    QString const& kind = QStringLiteral("Insert:NodePath"))
{
    auto data = std::make_unique<QMimeData>();
    data->setData(format, records(kind, path));
    return data;
}

struct DropResult
{
    bool enterAccepted = false;
    bool dropAccepted = false;
    QList<KelNodes::Node*> added;
};

DropResult dragAndDrop(KelNGNodeGraphView& view, QMimeData* data, QPoint point)
{
    DropResult result;
    auto connection = QObject::connect(&view, &KelNGNodeGraphView::addNodeToGraphView,
                                       [&](KelNGNodeGraphView*, KelNodes::Node* node) {
                                           result.added.append(node);
                                       });
    QWidget* viewport = view.viewport();
    QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    result.enterAccepted = enter.isAccepted();
    if (result.enterAccepted) {
        QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(point), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        result.dropAccepted = drop.isAccepted();
    }
    QObject::disconnect(connection);
    return result;
}

} // namespace

TEST(ViewDrop, DockDragCreatesTheNodeAtTheScenePointUnderTheCursorAfterTheHook)
{
    ViewHarness h;
    h.add(ColourInOut, QString(), QPointF(2000, 1500));
    h.view.setObject(&h.graph);
    auto data = dockDrag(QStringLiteral("generator.const"));
    // On an axis: the default place.
    ASSERT_EQ(h.view.mapToScene(QPoint(0, 150)), QPointF(0, 150));
    DropResult result = dragAndDrop(h.view, data.get(), QPoint(0, 150));
    ASSERT_EQ(result.added.size(), 1);
    EXPECT_EQ(storedPlace(result.added.first()), QPointF(300, 300));

    h.view.horizontalScrollBar()->setValue(500);
    h.view.verticalScrollBar()->setValue(300);
    const QPointF expected = h.view.mapToScene(QPoint(120, 80));
    ASSERT_NE(expected.toPoint(), QPoint(120, 80));
    int hooks = 0;
    NodeEditHooks::setPreWriteHook([&] { ++hooks; });
    result = dragAndDrop(h.view, data.get(), QPoint(120, 80));
    NodeEditHooks::setPreWriteHook({});
    EXPECT_TRUE(result.dropAccepted);
    ASSERT_EQ(result.added.size(), 1);
    EXPECT_EQ(result.added.first()->parentGraph(), &h.graph);
    EXPECT_EQ(storedPlace(result.added.first()), expected.toPoint());
    EXPECT_EQ(hooks, 1);
}

TEST(ViewDrop, EntryRules)
{
    struct Case
    {
        const char* name;
        int kind;
        bool graph;
        QString format;
        QString recordKind;
        QString path;
        bool accepted;
        int created;
    };
    const QString dock = VyxNodeGraphView::NodeItemsFormat;
    const QList<Case> cases = {
        {"dock drag", 1, true, dock, "Insert:NodePath", "generator.const", true, 1},
        {"plain item-model data", 1, true, ItemModelFormat, "Insert:NodePath", "generator.const", false, 0},
        {"other record kind", 1, true, dock, "Insert:TemplateObject", "generator.const", false, 0},
        {"empty path", 1, true, dock, "Insert:NodePath", "", false, 0},
        {"unknown type: accepted, nothing made", 1, true, dock, "Insert:NodePath", "no.such", true, 0},
        {"object view without graph", 1, false, dock, "Insert:NodePath", "generator.const", false, 0},
        {"top-level view without graph", 0, false, dock, "Insert:NodePath", "generator.const", true, 0},
    };
    for (Case const& c : cases) {
        ViewHarness h;
        h.view.viewKind = c.kind;
        h.view.setObject(c.graph ? &h.graph : nullptr);
        const int before = h.graph.numNodes();
        auto data = dockDrag(c.path, c.format, c.recordKind);
        DropResult result = dragAndDrop(h.view, data.get(), QPoint(120, 80));
        EXPECT_EQ(result.enterAccepted, c.accepted) << c.name;
        EXPECT_EQ(result.added.size(), c.created) << c.name;
        EXPECT_EQ(h.graph.numNodes(), before + c.created) << c.name;
    }
}

TEST(ViewDrop, TheNodeDocksOwnDragCreatesItsType)
{
    TreeWidgetByMimeType tree(nullptr);
    NodeDockTabWidget::fillNodeTypeTree(&tree, KelVyxNodes::NodeTypeRegistry::builtIns());
    QList<QTreeWidgetItem*> const found =
        tree.findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
    auto node = std::find_if(found.begin(), found.end(), [](QTreeWidgetItem* item) {
        return item->data(0, Qt::UserRole + 1).toString() == QStringLiteral("generator.const");
    });
    ASSERT_NE(node, found.end());
    std::unique_ptr<QMimeData> data(tree.model()->mimeData({tree.indexFromItem(*node)}));
    ASSERT_TRUE(data);
    ViewHarness h;
    h.view.setObject(&h.graph);
    DropResult result = dragAndDrop(h.view, data.get(), QPoint(120, 80));
    EXPECT_TRUE(result.enterAccepted);
    ASSERT_EQ(result.added.size(), 1);
    EXPECT_EQ(result.added.first()->descriptor()->typeId, QStringLiteral("generator.const"));
}

TEST(ViewDrop, DragsFromOtherProgramsAreRefusedWithoutBuildingTheirValues)
{
    const QByteArray png = HostileDrags::smallPng();
    const QString kind = QStringLiteral("Insert:NodePath");
    const QString path = QStringLiteral("generator.const");
    const struct
    {
        const char* name;
        QByteArray records;
    } cases[] = {
        // The value reader once recursed per level and overflowed the stack at the entry.
        {"a list nested 50,000 deep", HostileDrags::deepListDrag(kind, path)},
        // And decoded a picture at its stated size.
        {"a picture", HostileDrags::imageDrag(png, kind, path)},
    };
    for (auto const& c : cases) {
        ViewHarness h;
        h.view.setObject(&h.graph);
        auto data = std::make_unique<QMimeData>();
        data->setData(VyxNodeGraphView::NodeItemsFormat, c.records);
        DropResult result = dragAndDrop(h.view, data.get(), QPoint(120, 80));
        EXPECT_FALSE(result.enterAccepted) << c.name;
        EXPECT_TRUE(result.added.isEmpty()) << c.name;
    }
}
