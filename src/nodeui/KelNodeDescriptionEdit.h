#pragma once

#include <QTextEdit>

// The read-only help text: links show a pointing hand and open on a click; plain text does not
// select. Only web and mail links open (help texts may come from the web service).
class KelNodeDescriptionEdit : public QTextEdit
{
    Q_OBJECT

public:
    explicit KelNodeDescriptionEdit(QWidget* parent = nullptr);

    // Whether a link's target may be handed to the desktop: http, https or mailto.
    static bool isOpenableLink(QUrl const& url);

    // Only the program's own pictures: the text shows names and descriptions from files.
    QVariant loadResource(int type, QUrl const& name) override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};
