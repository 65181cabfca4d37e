#pragma once

#include <QList>
#include <QPair>

class QLayout;
class QObject;
class QPushButton;
class QSlider;
class QWidget;

namespace KelUtils {
class Parameter;
}

// The editor widgets of one parameter row, made and refreshed alike by the parameter panel and
// the single-parameter editor. Widgets are made without parent (the form layout adopts them)
// and hold the parameter's values before anyone connects to them.
struct KelParamRow
{
    // The field beside the label: a layout (number groups, file names) or a widget; both null
    // for a kind that shows no row (images).
    QLayout* fieldLayout = nullptr;
    QWidget* field = nullptr;
    // Value editors and sliders, each with the index of the value it edits.
    QList<QPair<QWidget*, int>> editors;
    QList<QPair<QSlider*, int>> sliders;
    // The "Select..." button of a file-name row.
    QPushButton* fileButton = nullptr;

    // A kind without editor, and a number group of more than MaxStoredGroupValues values, gets an
    // inert line edit (not among the editors): a row's widgets stay few. Spin boxes of float
    // groups show 3 decimals, set before their value; integer spin boxes are at most
    // `intBoxWidth` wide.
    static KelParamRow build(KelUtils::Parameter* parameter, int intBoxWidth);
    // Writes value `index` into the editor and, for number groups with a slider, into `slider`,
    // with their signals blocked, then enables both by display-flag bit 0. False for kinds that
    // are never refreshed.
    static bool refresh(QWidget* editor, QSlider* slider, KelUtils::Parameter* parameter, int index);
    // Whether the editor or slider still shows value `index` as stored, so that its edit signal
    // (a box or field left, a confirmation without change) must write nothing and record no
    // undo step. A text field compares through FieldEdit (a long value is shown cut).
    static bool showsStored(QObject const* widget, KelUtils::Parameter* parameter, int index);
};
