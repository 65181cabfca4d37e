#include "nodeui/TreeWidgetByMimeType.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QTreeWidgetItem>

#include <memory>

TEST(DockMimeTree, OffersItsOwnTypesOrTheStandardOnes)
{
    TreeWidgetByMimeType tree(nullptr);
    const QStringList standard{QStringLiteral("application/x-qabstractitemmodeldatalist")};
    EXPECT_EQ(tree.mimeTypes(), standard);

    tree.setMimeTypesOutput({QStringLiteral("node_items_mimetype")});
    EXPECT_EQ(tree.mimeTypes(), QStringList{QStringLiteral("node_items_mimetype")});

    // The drag data carries the item's roles under that one format.
    auto* item = new QTreeWidgetItem(&tree);
    item->setText(0, QStringLiteral("Blur"));
    item->setData(0, Qt::UserRole, QStringLiteral("Insert:NodePath"));
    item->setData(0, Qt::UserRole + 1, QStringLiteral("operator.blur"));
    std::unique_ptr<QMimeData> data(tree.model()->mimeData({tree.model()->index(0, 0)}));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("node_items_mimetype")});

    tree.setMimeTypesOutput({});
    EXPECT_EQ(tree.mimeTypes(), standard);
}
