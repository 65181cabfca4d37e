// KelParam: the editor row of each parameter kind and the writing of its edits.
#include "nodeui/KelParam.h"

#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "nodeui/KelParamRow.h"
#include "nodeui/NodeEditHooks.h"
#include "params/IParameterContainer.h"
#include "params/Parameter.h"
#include "params/StringParameter.h"
#include "style/KDSynchronizedFormLayout.h"

#include <QBuffer>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>

namespace {

const QString kEditorsLastLocation = QStringLiteral("LastSavedTextureLocation");

} // namespace

bool KelParam::buildRow(KDSynchronizedFormLayout* layout, int list, KelUtils::Parameter* parameter)
{
    KelParamRow row = KelParamRow::build(parameter, 100);
    if (!row.field && !row.fieldLayout)
        return false;
    QLabel* label = PlainTextWidgets::nameLabel(parameter->text(), ShownText::kNarrowPlaceChars);
    m_widgetsByList.insert(list, label);
    // A kind without editor: an inert row, its label left alone.
    const bool inert = row.editors.isEmpty();
    if (!inert) {
        label->setEnabled(true);
        m_labels.insert(label, parameter);
    } else {
        m_widgetsByList.insert(list, row.field);
    }
    for (auto const& [editor, index] : std::as_const(row.editors)) {
        m_editors.insert(editor, new KelParamUIRef{parameter, index});
        m_widgetsByList.insert(list, editor);
    }
    for (auto const& [slider, index] : std::as_const(row.sliders)) {
        m_sliders.insert(slider, new KelParamUIRef{parameter, index});
        m_sliderOfValue.insert({parameter, index}, slider);
    }
    if (row.fileButton) {
        m_fileButtons.insert(row.fileButton, new KelParamUIRef{parameter, 0});
        m_widgetsByList.insert(list, row.fileButton);
    }
    connectRow(row, parameter);
    if (row.fieldLayout)
        layout->addRow(label, row.fieldLayout);
    else
        layout->addRow(label, row.field);
    return true;
}

KelParamUIRef KelParam::editTarget(QObject* widget) const
{
    if (m_inDestruction || !m_container)
        return {};
    for (auto const* map : {&m_editors, &m_sliders, &m_fileButtons}) {
        if (KelParamUIRef const* ref = map->value(widget))
            return *ref;
    }
    return {};
}

QSlider* KelParam::sliderOf(KelParamUIRef const& target) const
{
    return sliderFor(target.param, target.index);
}

void KelParam::writeEdit(KelUtils::Parameter* parameter, Write const& write, bool quiet)
{
    QBuffer* before = storeParamState();
    NodeEditHooks::beforeWrite();
    if (quiet)
        m_container->blockSignals(true);
    const int result = write();
    if (quiet)
        m_container->blockSignals(false);
    if (result < 0) {
        refreshRowsOf(parameter);
        delete before;
        return;
    }
    emit addParamUndo(this, before);
    emit parameterChanged(m_container);
    // The blocked change callback did not recompute the headers.
    if (quiet)
        updateGroupBoxHeaders();
}

void KelParam::chooseFile(KelUtils::Parameter* parameter)
{
    QSettings settings;
    QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (settings.contains(kEditorsLastLocation))
        start = settings.value(kEditorsLastLocation).toString();
    // The modal dialog runs an event loop in which the panel may go.
    const QPointer<KelParam> alive(this);
    const QString path = QFileDialog::getOpenFileName(this, tr("Open File"), start, tr("File (*)"));
    if (!alive || path.isEmpty() || m_inDestruction)
        return;
    settings.setValue(kEditorsLastLocation, path);
    if (auto* string = static_cast<KelUtils::StringParameter*>(*parameter))
        writeEdit(parameter, [string, path] { return string->setValue(path); }, false);
}
