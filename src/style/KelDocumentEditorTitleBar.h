#pragma once

#include "style/KelDocument.h"
#include "style/KelTitleBarButton.h"

#include <QWidget>

class KelDocumentEditor;
class QComboBox;
class QFrame;

// The 27-pixel bar of a KelDocumentEditor: a type selector in a layout and, outside the layout
// at the right end, the maximise and close buttons.
class KelDocumentEditorTitleBar : public QWidget
{
    Q_OBJECT

public:
    explicit KelDocumentEditorTitleBar(KelDocumentEditor* editor);

    // The selector is not updated: it only requests changes.
    void setType(KelDocument::Type type);
    // The maximise button shows "titleBarMinimize" while maximised, else "titleBarMaximize".
    void setMaximized(bool maximized);
    bool isMaximized() const;
    // A sunken vertical line appended to the bar's layout.
    QFrame* addSeparator();

    QComboBox* typeSelector() const;
    // The button shown in the maximise position.
    KelTitleBarButton* maximizeButton();
    KelTitleBarButton* closeButton();

    // "KelDocumentEditorTitleBar.sizeHint"; both hints are the same.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void maximizeRequested();
    void closeRequested();
    void typeChangeRequested(KelDocument::Type type);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void comboBoxChanged();

private:
    void placeButtons();

    // The button's symbol is fixed at construction, so maximised and normal states each have
    // their own button in the same place; only one is visible.
    KelTitleBarButton m_maximizeButton;
    KelTitleBarButton m_restoreButton;
    KelTitleBarButton m_closeButton;
    QComboBox* m_typeSelector = nullptr;
    bool m_maximized = false;
};
