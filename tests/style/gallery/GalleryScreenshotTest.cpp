// The style gallery in a real X server: every widget class the application style paints, with
// the real "styles.xml", photographed from the screen. The picture stays in the build tree for
// a person to look at; the test compares colours at chosen points with the store's values.

#include "GalleryWindow.h"

#include "style/FontSubstitutions.h"
#include "style/KelColorField.h"
#include "style/KelStyle.h"
#include "style/KelStyleConfig.h"
#include "style/KelStyleParser.h"
#include "style/KelTabWidget.h"
#include "style/KelTitleBar.h"
#include "style/KelToolBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

namespace {

KelStyleConfig* store()
{
    return KelStyleConfig::instance();
}

QColor storedColor(const char* key)
{
    return store()->value<QColor>(QLatin1String(key));
}

// The colour of a stored gradient at a fraction between its start and final stop.
QColor gradientColorAt(const char* key, qreal position)
{
    const QGradientStops stops = store()->value<QLinearGradient>(QLatin1String(key)).stops();
    if (stops.isEmpty())
        return QColor();
    if (position <= stops.first().first)
        return stops.first().second;
    for (int i = 1; i < stops.size(); ++i) {
        if (position <= stops.at(i).first) {
            const auto& [p0, c0] = stops.at(i - 1);
            const auto& [p1, c1] = stops.at(i);
            const qreal t = p1 > p0 ? (position - p0) / (p1 - p0) : 0;
            return QColor::fromRgbF(c0.redF() + t * (c1.redF() - c0.redF()),
                                    c0.greenF() + t * (c1.greenF() - c0.greenF()),
                                    c0.blueF() + t * (c1.blueF() - c0.blueF()));
        }
    }
    return stops.last().second;
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string describe(const QColor& color)
{
    return color.isValid() ? color.name().toStdString() : std::string("(invalid)");
}

class GalleryScreenshotTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        FontSubstitutions::install();
        KelStyleParser parser;
        loaded = KelStyleConfig::instance()->initialize(QStringLiteral("styles.xml"), &parser,
                                                         false);
        loadError = parser.errorText();
        if (!loaded)
            return;
        auto* style = new KelStyle;
        style->setCornerPixmap(store()->value<QPixmap>(QStringLiteral("ApplicationLogo")));
        QApplication::setStyle(style);
    }

    // The screen's pixel under a point of a widget.
    QColor at(const QWidget* widget, QPoint local) const
    {
        const QPoint global = widget->mapToGlobal(local);
        return shot.pixelColor(global);
    }

    void expectColor(const char* what, const QWidget* widget, QPoint local,
                     const QColor& expected, int tolerance = 0)
    {
        ASSERT_TRUE(expected.isValid()) << what << ": no such colour in the store";
        const QColor seen = at(widget, local);
        EXPECT_TRUE(near(seen, expected, tolerance))
            << what << " at " << local.x() << "," << local.y() << ": screen " << describe(seen)
            << ", store " << describe(expected);
    }

    static inline bool loaded = false;
    static inline QString loadError;
    QImage shot;
};

TEST_F(GalleryScreenshotTest, ScreenShowsTheStoresColours)
{
    ASSERT_TRUE(loaded) << loadError.toStdString();
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));

    GalleryWindow window;
    window.setGeometry(20, 20, 1200, 740);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // Open the roll-out from the menu bar, as a user would.
    QMenuBar* bar = window.menuBar();
    const QRect title = bar->actionGeometry(window.rollOutMenu()->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, title.center());
    QTRY_VERIFY_WITH_TIMEOUT(window.rollOutMenu()->isVisible(), 3000);
    QTest::qWait(500);

    shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QStringLiteral(VYX_GALLERY_SCREENSHOT)));
    std::cout << "Screenshot: " << VYX_GALLERY_SCREENSHOT << std::endl;

    // Flat fills: exactly the stored colour.
    QWidget* empty = window.emptyArea();
    expectColor("tab widget pane", empty, empty->rect().center(),
                storedColor("FrameTabWidget.backgroundColor"));
    QWidget* listArea = window.list()->viewport();
    expectColor("list view below its rows", listArea,
                QPoint(listArea->width() - 10, listArea->height() - 10),
                storedColor("AppPalette.ItemView.baseColor"));
    QWidget* treeArea = window.tree()->viewport();
    expectColor("tree view below its rows", treeArea,
                QPoint(treeArea->width() / 2, treeArea->height() - 10),
                storedColor("AppPalette.ItemView.baseColor"));
    QLineEdit* edit = window.lineEdit();
    expectColor("line edit field", edit, QPoint(edit->width() - 6, edit->height() / 2),
                storedColor("PanelLineEdit.backgroundColor"));
    QScrollBar* scrollBar = window.scrollBar();
    expectColor("scroll bar page", scrollBar,
                QPoint(scrollBar->width() - 40, scrollBar->height() / 2),
                storedColor("ScrollBarAddPage.backgroundColor"));
    KelColorField* field = window.colorField();
    expectColor("colour field swatch", field, field->rect().center(), field->color());
    QMenu* menu = window.rollOutMenu();
    const QRect item = menu->actionGeometry(menu->actions().at(1));
    expectColor("roll-out menu item", menu, QPoint(item.right() - 6, item.center().y()),
                storedColor("MenuItem.backgroundColor"));

    // Gradients: the stored stops at the sampled height, within rounding.
    KelTitleBar* titleBar = window.titleBar();
    const int titleHeight = titleBar->height();
    expectColor("title bar", titleBar, QPoint(titleBar->width() / 2, titleHeight / 2),
                gradientColorAt("KelTitleBar.backgroundGradient",
                                (titleHeight / 2 + 0.5 - 1) / (titleHeight - 4)),
                2);
    QMenuBar* menuBar = window.menuBar();
    const int barMiddle = menuBar->height() / 2;
    expectColor("menu bar", menuBar, QPoint(menuBar->width() * 3 / 5, barMiddle),
                gradientColorAt("MenuBarEmptyArea.backgroundGradient",
                                (barMiddle + 0.5) / (menuBar->height() - 1)),
                2);
    QWidget* page = window.toolBox()->widget(0);
    expectColor("tool box page top", page, QPoint(page->width() - 5, 5),
                gradientColorAt("ToolBox.backgroundGradient", (5 + 0.5 - 2) / 8), 2);
    QTreeWidget* tree = window.tree();
    const QRect row = tree->visualRect(tree->model()->index(1, 2));
    expectColor("selected tree row", treeArea, QPoint(row.right() - 10, row.center().y()),
                gradientColorAt("PanelItemViewItem.selectedAndSorted.backgroundGradient",
                                (row.center().y() + 0.5 - (row.top() + 2))
                                    / (row.bottom() - row.top() - 4)),
                2);

    window.rollOutMenu()->close();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    // Pixmaps must not outlive the application object.
    KelStyleConfig::instance()->clear();
    return result;
}
