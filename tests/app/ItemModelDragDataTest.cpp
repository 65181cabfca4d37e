// The item-model drag reader: the records the program's own trees write, and drags from any
// other program.

#include "HostileDrags.h"
#include "HostileFiles.h"

#include "app/ItemModelDragData.h"

#include <QBuffer>
#include <QDataStream>
#include <QIcon>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace HostileDrags;

namespace {

const QString NodePath = QStringLiteral("Insert:NodePath");
const QString TypeId = QStringLiteral("generator.const");

// A value as Qt's own writer streams it.
QByteArray streamed(QVariant const& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}

} // namespace

TEST(ItemModelDragData, ReadsTextsAndRefusesWhatTheProgramNeverPuts)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        QString marker;
        QString path;
    };
    const QByteArray plain = markedItem(stringValue(QStringLiteral("Const")), NodePath, TypeId);
    QIcon icon(QPixmap::fromImage(QImage::fromData(HostileDrags::smallPng())));
    icon.addPixmap(QPixmap::fromImage(QImage::fromData(HostileDrags::smallPng()).scaled(8, 6)));
    const QByteArray iconValue = streamed(QVariant(icon));
    const Case cases[] = {
        {"texts", plain, NodePath, TypeId},
        {"the last item's values", plain + markedItem(stringValue({}), NodePath, QStringLiteral("b")), NodePath,
         QStringLiteral("b")},
        {"a whole number and a truth value as text",
         item({{Qt::UserRole, streamed(QVariant(7))}, {Qt::UserRole + 1, streamed(QVariant(true))}}), QStringLiteral("7"),
         QStringLiteral("true")},
        {"an icon stepped over", markedItem(iconValue, NodePath, TypeId), NodePath, TypeId},
        {"an empty icon stepped over", markedItem(streamed(QVariant(QIcon())), NodePath, TypeId), NodePath, TypeId},
        {"the alignment stepped over",
         markedItem(streamed(QVariant::fromValue(Qt::Alignment(Qt::AlignCenter))), NodePath, TypeId), NodePath,
         TypeId},
        {"an invalid value", markedItem(streamed(QVariant()), NodePath, TypeId), NodePath, TypeId},
        // Qt's reader recursed once per level and overflowed the stack.
        {"a list nested 50,000 deep", deepListDrag(NodePath, TypeId), {}, {}},
        {"after whole items, a deep list", plain + deepListDrag(NodePath, QStringLiteral("b")), NodePath, TypeId},
        // Qt's reader decoded the picture at its stated size.
        {"a picture", imageDrag(HostileDrags::smallPng(), NodePath, TypeId), {}, {}},
        {"a picture of 16384 x 16384", imageDrag(HostileFiles::pngBomb(16384, 16384), NodePath, TypeId), {}, {}},
        {"a picture in an icon's place",
         markedItem(valueHeader(QMetaType::QIcon) + stringPayload(QStringLiteral("QPixmapIconEngine"))
                        + QByteArray("\0\0\0\1\0\0\0\1", 8) + HostileFiles::pngBomb(16384, 16384)
                        + QByteArray("\xff\xff\xff\xff", 4) + QByteArray(16, '\0'),
                    NodePath, TypeId),
         NodePath, TypeId},
        {"an icon of an unknown engine",
         markedItem(valueHeader(QMetaType::QIcon) + stringPayload(QStringLiteral("svg")), NodePath, TypeId), {}, {}},
        {"a cut icon", markedItem(iconValue.left(iconValue.size() / 2), NodePath, TypeId), {}, {}},
        {"another user type",
         markedItem(valueHeader(QMetaType::User) + QByteArray("\0\0\0\6QFont\0", 10) + QByteArray(4, '\0'), NodePath, TypeId),
         {}, {}},
        {"a cut item", plain + plain.left(plain.size() - 1), NodePath, TypeId},
        {"a text of odd length", item({{Qt::UserRole, valueHeader(QMetaType::QString) + QByteArray("\0\0\0\3abc", 7)}}), {}, {}},
        {"a count beyond the data", item({{Qt::UserRole, stringValue(NodePath)}}).left(8) + QByteArray("\x7f\xff\xff\xff", 4),
         {}, {}},
        {"larger than any drag", plain + QByteArray(ItemModelDragData::maxBytes, '\0'), {}, {}},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(ItemModelDragData::lastValue(c.bytes, Qt::UserRole), c.marker) << c.name;
        EXPECT_EQ(ItemModelDragData::lastValue(c.bytes, Qt::UserRole + 1), c.path) << c.name;
    }
}

TEST(ItemModelDragData, ReadsWhatATreeWidgetDrags)
{
    // The roles the program's trees set: text, icon, user-role texts and numbers, alignment.
    QTreeWidget tree;
    tree.setColumnCount(3);
    auto* item = new QTreeWidgetItem(&tree);
    item->setText(0, QStringLiteral("Sepia"));
    item->setIcon(0, QIcon(QPixmap::fromImage(QImage::fromData(HostileDrags::smallPng()))));
    item->setData(0, Qt::UserRole, QStringLiteral("Insert:TemplateObject"));
    item->setData(0, Qt::UserRole + 1, QStringLiteral("{a0000000-0000-4000-8000-000000000002}"));
    item->setText(1, QStringLiteral("Filter"));
    item->setData(1, Qt::UserRole + 1, 1);
    item->setText(2, QStringLiteral("3"));
    item->setTextAlignment(2, Qt::AlignHCenter | Qt::AlignVCenter);
    const QByteArray bytes = HostileDrags::treeDrag(tree);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(ItemModelDragData::lastValue(bytes, Qt::UserRole), QStringLiteral("Insert:TemplateObject"));
    EXPECT_EQ(ItemModelDragData::lastValue(bytes, Qt::UserRole + 1), QStringLiteral("1"));
    EXPECT_EQ(ItemModelDragData::lastValue(bytes, Qt::DisplayRole), QStringLiteral("3"));
}
