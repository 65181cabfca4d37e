#include "GalleryWindow.h"

#include "style/KelColorField.h"
#include "style/KelTabWidget.h"
#include "style/KelTitleBar.h"
#include "style/KelToolBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

GalleryWindow::GalleryWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Style gallery"));
    buildMenus();

    m_leftToolBar = new QToolBar(QStringLiteral("Tools"));
    for (const char* name : {"Move", "Crop", "Paint"})
        m_leftToolBar->addAction(QLatin1String(name));
    m_leftToolBar->addSeparator();
    auto* rollOut = new QToolButton;
    rollOut->setText(QStringLiteral("{Brush}"));
    auto* brushMenu = new QMenu(rollOut);
    brushMenu->addAction(QStringLiteral("Soft"));
    brushMenu->addAction(QStringLiteral("Hard"));
    rollOut->setMenu(brushMenu);
    rollOut->setPopupMode(QToolButton::InstantPopup);
    m_leftToolBar->addWidget(rollOut);
    addToolBar(Qt::LeftToolBarArea, m_leftToolBar);

    // Splitters inside splitters: views on the left, tabs and controls on the right.
    auto* outer = new QSplitter(Qt::Horizontal);
    auto* left = new QSplitter(Qt::Vertical, outer);
    auto* right = new QSplitter(Qt::Vertical, outer);

    m_toolBox = new KelToolBox;
    auto* layers = new QLabel(QStringLiteral("Layer settings"));
    layers->setMinimumHeight(70);
    m_toolBox->addItem(layers, QStringLiteral("Layers"));
    m_toolBox->addItem(new QLabel(QStringLiteral("History")), QStringLiteral("History"));
    m_toolBox->setExpanded(0, true);
    left->addWidget(m_toolBox);
    left->addWidget(buildViews());

    m_tabs = new KelTabWidget;
    m_tabs->addTab(buildControls(), QStringLiteral("Controls"));
    m_tabs->addTab(new QLabel(QStringLiteral("Second page")), QStringLiteral("Second"));
    m_tabs->addTab(new QLabel(QStringLiteral("Third page")), QStringLiteral("Third"));
    m_tabs->setTabClosable(1, true);
    m_tabs->setTabClosable(2, true);
    m_tabs->setAddTabButtonVisible(true);
    right->addWidget(m_tabs);

    m_list = new QListWidget;
    for (const char* name : {"Sunset.jpg", "Harbour.png", "Portrait.tif", "Forest.jpg"})
        m_list->addItem(QLatin1String(name));
    m_list->setCurrentRow(1);
    right->addWidget(m_list);

    outer->setSizes({380, 700});
    left->setSizes({200, 500});
    right->setSizes({520, 180});
    setCentralWidget(outer);
}

void GalleryWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Open..."));
    file->addAction(QStringLiteral("Save"));
    file->addSeparator();
    file->addAction(QStringLiteral("Quit"));
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->addAction(QStringLiteral("Undo"));
    edit->addAction(QStringLiteral("Redo"));
    m_rollOutMenu = menuBar()->addMenu(QStringLiteral("{Effects}"));
    for (const char* name : {"Blur", "Sharpen", "Emboss"}) {
        QAction* action = m_rollOutMenu->addAction(QLatin1String(name));
        action->setCheckable(true);
    }
    m_rollOutMenu->actions().at(0)->setChecked(true);
}

QWidget* GalleryWindow::buildControls()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);

    m_titleBar = new KelTitleBar;
    auto* titleLabel = new QLabel(QStringLiteral("Adjustments"));
    m_titleBar->addWidget(titleLabel);
    m_titleBar->addSpacerItem(new QSpacerItem(10, 10, QSizePolicy::Expanding));
    for (const char* name : {"Reset", "Apply"}) {
        auto* button = new QToolButton;
        button->setText(QLatin1String(name));
        m_titleBar->addToolButton(button);
    }
    column->addWidget(m_titleBar);

    auto* grid = new QGridLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    m_plainButton = new QPushButton(QStringLiteral("Cancel"));
    grid->addWidget(ok, 0, 0);
    grid->addWidget(m_plainButton, 0, 1);
    auto* tool = new QToolButton;
    tool->setText(QStringLiteral("Tool"));
    auto* checkedTool = new QToolButton;
    checkedTool->setText(QStringLiteral("Pinned"));
    checkedTool->setCheckable(true);
    checkedTool->setChecked(true);
    grid->addWidget(tool, 0, 2);
    grid->addWidget(checkedTool, 0, 3);

    auto* check = new QCheckBox(QStringLiteral("Preview"));
    check->setChecked(true);
    grid->addWidget(check, 1, 0);
    grid->addWidget(new QCheckBox(QStringLiteral("Tile")), 1, 1);
    auto* radio = new QRadioButton(QStringLiteral("Linear"));
    radio->setChecked(true);
    grid->addWidget(radio, 1, 2);
    grid->addWidget(new QRadioButton(QStringLiteral("Radial")), 1, 3);

    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("Normal"), QStringLiteral("Multiply"), QStringLiteral("Screen")});
    auto* editable = new QComboBox;
    editable->setEditable(true);
    editable->addItems({QStringLiteral("100 %"), QStringLiteral("50 %")});
    auto* spin = new QSpinBox;
    spin->setRange(0, 255);
    spin->setValue(128);
    grid->addWidget(combo, 2, 0);
    grid->addWidget(editable, 2, 1);
    grid->addWidget(spin, 2, 2);

    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(35);
    grid->addWidget(slider, 3, 0, 1, 2);
    m_colorField = new KelColorField;
    m_colorField->setColor(QColor(220, 120, 40));
    m_colorField->setMinimumSize(40, 20);
    grid->addWidget(m_colorField, 3, 2);
    auto* vertical = new QSlider(Qt::Vertical);
    vertical->setValue(60);
    vertical->setMinimumHeight(80);
    grid->addWidget(vertical, 3, 3, 3, 1);

    m_lineEdit = new QLineEdit(QStringLiteral("Untitled effect"));
    grid->addWidget(m_lineEdit, 4, 0, 1, 2);
    m_scrollBar = new QScrollBar(Qt::Horizontal);
    m_scrollBar->setRange(0, 100);
    m_scrollBar->setPageStep(30);
    m_scrollBar->setValue(20);
    grid->addWidget(m_scrollBar, 5, 0, 1, 3);
    column->addLayout(grid);

    m_emptyArea = new QWidget;
    m_emptyArea->setMinimumHeight(40);
    column->addWidget(m_emptyArea, 1);
    return page;
}

QWidget* GalleryWindow::buildViews()
{
    m_tree = new QTreeWidget;
    m_tree->setHeaderLabels({QStringLiteral("Object"), QStringLiteral("Blend"),
                             QStringLiteral("Opacity")});
    for (const char* name : {"Glow", "Vignette", "Grain"}) {
        auto* item = new QTreeWidgetItem(m_tree, {QLatin1String(name), QStringLiteral("Normal"),
                                                  QStringLiteral("100")});
        new QTreeWidgetItem(item, {QStringLiteral("Mask"), QString(), QString()});
    }
    m_tree->expandItem(m_tree->topLevelItem(0));
    m_tree->setCurrentItem(m_tree->topLevelItem(1));
    m_tree->header()->setSortIndicatorShown(true);
    m_tree->header()->setSortIndicator(0, Qt::AscendingOrder);
    m_tree->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return m_tree;
}
