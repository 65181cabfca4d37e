#pragma once

#include "nodeui/KelParamUIRef.h"

#include <QWidget>

#include <functional>

class QColor;
class QSlider;
struct KelParamRow;

namespace KelUtils {
class Parameter;
}

// What the parameter panel and the single-parameter editor share: turning a user's edit in any
// editor of a row into one write of the parameter. Each subclass says which parameter and value
// a widget edits and how a write is wrapped (snapshot, pre-write hook, refusal, undo).
class KelParamEditing : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

protected:
    // Writes the parameter and returns its result (negative: refused).
    using Write = std::function<int()>;

    // Connects the row's editors, sliders and file button to the edit slots.
    void connectRow(KelParamRow const& row, KelUtils::Parameter const* parameter);

    // The parameter and value index `widget` edits; a null parameter when no edit may be written.
    virtual KelParamUIRef editTarget(QObject* widget) const = 0;
    virtual QSlider* sliderOf(KelParamUIRef const& target) const = 0;
    // Runs `write` as one user edit. A quiet write runs with the container's change callbacks
    // blocked.
    virtual void writeEdit(KelUtils::Parameter* parameter, Write const& write, bool quiet) = 0;
    // The file button of a file-name row was clicked.
    virtual void chooseFile(KelUtils::Parameter* parameter) = 0;

private slots:
    void doubleSpinBox_editingFinished();
    void spinBox_editingFinished();
    void comboBox_currentIndexChanged(int index);
    void colorField_colorChanged(QColor color);
    void checkBox_valueChanged(bool on);
    void stringEdit_editingFinished();
    void fileName_clicked();
    void floatSlider_valueChanged(int value);
    void slider_valueChanged(int value);

private:
    void connectEditor(QWidget* editor);
    // Whether the widget still shows the stored value: its signal is then no edit (nothing is
    // written, no undo step recorded).
    bool leftUnchanged(QObject const* widget, KelParamUIRef const& target) const;
};
