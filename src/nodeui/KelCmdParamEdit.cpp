#include "nodeui/KelCmdParamEdit.h"

#include "app/TwCore.h"
#include "app/ShownText.h"
#include "nodeui/KelParam.h"
#include "params/IParameterContainer.h"

#include <QBuffer>
#include <QObject>

KelCmdParamEdit::KelCmdParamEdit(TwCore* core, KelParam* panel, QBuffer* before)
    : m_core(core)
    , m_panel(panel)
    , m_before(before)
{
    QString name;
    if (panel && panel->container())
        name = panel->container()->text();
    setText(ShownText::name(name) + QLatin1Char(' ') + QObject::tr("edit"));
}

KelCmdParamEdit::~KelCmdParamEdit()
{
    delete m_before;
    delete m_after;
}

void KelCmdParamEdit::redo()
{
    if (!m_panel)
        return;
    if (m_core)
        m_core->cancelRender();
    if (!m_after)
        m_after = m_panel->storeParamState();
    else
        restore(m_after);
    finish();
}

void KelCmdParamEdit::undo()
{
    if (!m_panel)
        return;
    if (m_core)
        m_core->cancelRender();
    restore(m_before);
    finish();
}

void KelCmdParamEdit::restore(QBuffer* state)
{
    m_panel->loadParamState(state);
    m_panel->applyParamStateToUI();
}

void KelCmdParamEdit::finish()
{
    if (!m_core)
        return;
    m_core->setModified(true);
    m_core->start();
}
