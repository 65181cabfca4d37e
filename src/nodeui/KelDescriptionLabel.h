#pragma once

#include <QWidget>

class KelNodeDescriptionEdit;
class KelNodeDescriptionTitle;
class QImage;
class QLabel;
class Ui_KelDescriptionLabel;

namespace KelUtils {
class HelpItem;
}

// A template's description: title bar, icon at the top left and the help text beside it.
class KelDescriptionLabel : public QWidget
{
    Q_OBJECT

public:
    explicit KelDescriptionLabel(QWidget* parent = nullptr);
    ~KelDescriptionLabel() override;

    // A null item changes nothing.
    void displayHelpItem(KelUtils::HelpItem const* item);
    void clear();
    void setImage(QImage* image);

    KelNodeDescriptionTitle* titleBar() const;
    KelNodeDescriptionEdit* textEdit() const;
    QLabel* imageLabel() const;

private:
    Ui_KelDescriptionLabel* ui;
};
