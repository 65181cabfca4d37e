#pragma once

#include <QMainWindow>

class KelColorField;
class KelTabWidget;
class KelTitleBar;
class KelToolBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollBar;
class QSplitter;
class QToolBar;
class QTreeWidget;

// A main window that shows every widget class the application style paints, for a
// screenshot. The screenshot test samples colours at places it reaches through the accessors.
class GalleryWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget* parent = nullptr);

    QMenu* rollOutMenu() const { return m_rollOutMenu; }
    QToolBar* leftToolBar() const { return m_leftToolBar; }
    KelTabWidget* tabWidget() const { return m_tabs; }
    KelTitleBar* titleBar() const { return m_titleBar; }
    KelToolBox* toolBox() const { return m_toolBox; }
    QTreeWidget* tree() const { return m_tree; }
    QListWidget* list() const { return m_list; }
    QLineEdit* lineEdit() const { return m_lineEdit; }
    KelColorField* colorField() const { return m_colorField; }
    QPushButton* plainButton() const { return m_plainButton; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    // An empty stretch of the control panel, where only the window's own background shows.
    QWidget* emptyArea() const { return m_emptyArea; }

private:
    void buildMenus();
    QWidget* buildControls();
    QWidget* buildViews();

    QMenu* m_rollOutMenu = nullptr;
    QToolBar* m_leftToolBar = nullptr;
    KelTabWidget* m_tabs = nullptr;
    KelTitleBar* m_titleBar = nullptr;
    KelToolBox* m_toolBox = nullptr;
    QTreeWidget* m_tree = nullptr;
    QListWidget* m_list = nullptr;
    QLineEdit* m_lineEdit = nullptr;
    KelColorField* m_colorField = nullptr;
    QPushButton* m_plainButton = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    QWidget* m_emptyArea = nullptr;
};
