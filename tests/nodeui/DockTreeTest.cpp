#include "effects/NodeTypeRegistry.h"
#include "nodes/NodeDescriptor.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/NodeDockTabWidget.h"
#include "nodeui/TreeWidgetByMimeType.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QTreeWidgetItem>

#include <memory>
using KelNodes::NodeDescriptor;

namespace {

QStringList texts(QTreeWidgetItem* parent)
{
    QStringList list;
    for (int i = 0; i < parent->childCount(); ++i)
        list << parent->child(i)->text(0);
    return list;
}

QTreeWidgetItem* topLevel(QTreeWidget& tree, QString const& text)
{
    const QList<QTreeWidgetItem*> found = tree.findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

TEST(DockNodeTree, BuiltInTypesByCategory)
{
    TreeWidgetByMimeType tree(nullptr);
    NodeDockTabWidget::fillNodeTypeTree(&tree, KelVyxNodes::NodeTypeRegistry::builtIns());
    QStringList top = texts(tree.invisibleRootItem());
    EXPECT_TRUE(top.contains(QStringLiteral("Generator")));
    EXPECT_TRUE(top.contains(QStringLiteral("Operator")));
    QStringList sorted = top;
    sorted.sort();
    EXPECT_EQ(top, sorted);
    for (NodeDescriptor const* descriptor : KelVyxNodes::NodeTypeRegistry::builtIns()) {
        const bool undotted = !descriptor->typeId.contains(QLatin1Char('.'));
        const bool skipped = descriptor->typeId == QStringLiteral("orgimage")
                             || descriptor->typeId == QStringLiteral("filtimage");
        if (undotted) {
            EXPECT_EQ(top.contains(descriptor->displayName), !skipped) << descriptor->typeId.toStdString();
        }
        if (descriptor->typeId == QStringLiteral("generator.noise")) {
            EXPECT_TRUE(texts(topLevel(tree, QStringLiteral("Generator"))).contains(descriptor->displayName));
        }
    }
    EXPECT_EQ(tree.mimeTypes(), QStringList{QStringLiteral("node_items_mimetype")});
    EXPECT_EQ(tree.columnWidth(0), 160);
    EXPECT_EQ(tree.dragDropMode(), QAbstractItemView::DragOnly);
}

TEST(DockNodeTree, CategoriesSubCategoriesAndExclusions)
{
    const QStringList ids{QStringLiteral("cat.sub.b"), QStringLiteral("cat.sub.a"), QStringLiteral("cat.c"),
                          QStringLiteral("aux.blend"), QStringLiteral("aux"), QStringLiteral("deep.x.y.z"),
                          QStringLiteral("cat.w.x.y"), QStringLiteral("9lives.cat"), QStringLiteral("plain"),
                          QStringLiteral("orgimage")};
    std::vector<NodeDescriptor> descriptors;
    for (QString const& id : ids)
        descriptors.push_back({id, QUuid::createUuid(), QStringLiteral("Name ") + id, QString(), nullptr});
    descriptors.back().typeUuid = QUuid(QStringLiteral("{015c44e2-0c3a-46fa-9e92-c472d43bc65b}"));
    QList<NodeDescriptor const*> registry;
    for (NodeDescriptor const& d : descriptors)
        registry << &d;

    TreeWidgetByMimeType tree(nullptr);
    const QStringList standard{QStringLiteral("application/x-qabstractitemmodeldatalist")};
    EXPECT_EQ(tree.mimeTypes(), standard);
    NodeDockTabWidget::fillNodeTypeTree(&tree, registry);
    EXPECT_EQ(tree.mimeTypes(), QStringList{QStringLiteral("node_items_mimetype")});
    EXPECT_EQ(texts(tree.invisibleRootItem()),
              (QStringList{QStringLiteral("9lives"), QStringLiteral("Cat"), QStringLiteral("Deep"),
                           QStringLiteral("Name plain")}));
    QTreeWidgetItem* cat = topLevel(tree, QStringLiteral("Cat"));
    ASSERT_NE(cat, nullptr);
    EXPECT_EQ(texts(cat), (QStringList{QStringLiteral("Name cat.c"), QStringLiteral("Sub")}));
    QTreeWidgetItem* sub = cat->child(1);
    EXPECT_EQ(texts(sub), (QStringList{QStringLiteral("Name cat.sub.a"), QStringLiteral("Name cat.sub.b")}));
    EXPECT_EQ(topLevel(tree, QStringLiteral("Deep"))->childCount(), 0);

    // Flags and roles: only node items drag.
    EXPECT_EQ(int(cat->flags()), 0x21);
    EXPECT_EQ(int(sub->flags()), 0x23);
    QTreeWidgetItem* node = sub->child(0);
    EXPECT_EQ(int(node->flags()), 0x25);
    EXPECT_EQ(node->data(0, Qt::UserRole).toString(), QStringLiteral("Insert:NodePath"));
    EXPECT_EQ(node->data(0, Qt::UserRole + 1).toString(), QStringLiteral("cat.sub.a"));

    const struct {
        QString in;
        QString out;
    } cases[] = {{QStringLiteral("operator"), QStringLiteral("Operator")}, {QStringLiteral("9x"), QStringLiteral("9x")},
                 {QString(), QString()}, {QStringLiteral("é"), QStringLiteral("É")}};
    for (auto const& c : cases)
        EXPECT_EQ(NodeDockTabWidget::firstCharToUpper(c.in), c.out);

    // A node item's drag carries its roles under the one format; an empty list restores the
    // tree's own types.
    const QModelIndex subIndex = tree.model()->index(1, 0, tree.model()->index(1, 0));
    std::unique_ptr<QMimeData> data(tree.model()->mimeData({tree.model()->index(0, 0, subIndex)}));
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("node_items_mimetype")});
    tree.setMimeTypesOutput({});
    EXPECT_EQ(tree.mimeTypes(), standard);
}
