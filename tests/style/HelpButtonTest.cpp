#include "style/KelHelpButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

namespace {

const QString NORMAL = QStringLiteral(":/images/title_bar_button_normal.png");
const QString HOVER = QStringLiteral(":/images/title_bar_button_hover.png");
const QString PRESSED = QStringLiteral(":/images/title_bar_button_pressed.png");
const QString SYMBOL = QStringLiteral(":/images/title_bar_help.png");

// The two layers as the button should show them at the given size.
QImage expectedFace(const QString& background, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (const QString& name : {background, SYMBOL}) {
        painter.drawPixmap(QRect(QPoint(0, 0), size),
                           QPixmap(name).scaled(size, Qt::IgnoreAspectRatio,
                                                Qt::SmoothTransformation));
    }
    return image;
}

QImage face(KelHelpButton& button)
{
    QImage image(button.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(HelpButtonTest, FaceFollowsTheButtonState)
{
    KelHelpButton button;
    button.resize(32, 24);
    const QImage normal = face(button);
    EXPECT_EQ(normal, expectedFace(NORMAL, button.size()));

    button.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(face(button), expectedFace(HOVER, button.size()));

    button.setDown(true);
    const QImage pressed = face(button);
    EXPECT_EQ(pressed, expectedFace(PRESSED, button.size()));
    EXPECT_NE(pressed, normal);
}

} // namespace
