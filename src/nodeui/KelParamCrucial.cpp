#include "nodeui/KelParamCrucial.h"

#include "app/KelNGObject.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeGraph.h"
#include "nodeui/ElidedTitle.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParamAtom.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"
#include "style/KDSynchronizedFormLayout.h"

#include <QEvent>
#include <QGroupBox>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

// The node's whole name, kept on its heading.
char const* const kHeadingName = "nodeName";
// What a flat group box keeps free beside its title.
constexpr int kHeadingMargin = 8;

QString typeIdentifier(KelNodes::Node const* node)
{
    KelNodes::NodeDescriptor const* descriptor = node->descriptor();
    return descriptor ? descriptor->typeUuid.toString() : QString();
}

} // namespace

KelParamCrucial::KelParamCrucial(KelNGObject* object, QWidget* parent, bool showTitle)
    : QWidget(parent)
    , m_object(object)
    , m_content(new QWidget(this))
    , m_showTitle(showTitle)
{
    createUI();
}

KelParamCrucial::~KelParamCrucial()
{
    // Rows still bound (no setInDestruction) must not stay in their containers' callbacks.
    while (!m_atoms.isEmpty()) {
        KelParamAtom* atom = m_atoms.takeFirst();
        if (atom->node())
            atom->setInDestruction(true);
        delete atom;
    }
    delete m_content;
}

void KelParamCrucial::collectAtoms(KelNGObject* object)
{
    if (!object || !object->graph())
        return;
    QList<KelNodes::Node*> const nodes = object->graph()->nodes();
    for (int n = int(nodes.size()) - 1; n >= 0; --n) {
        KelNodes::Node* node = nodes.at(n);
        if (!node)
            continue;
        const QString type = typeIdentifier(node);
        if (m_collectedNodeTypes.contains(type))
            continue;
        m_collectedNodeTypes.append(type);
        QList<KelUtils::ParameterList> const& lists = node->paramContainer()->paramLists();
        for (int list = 0; list < lists.size(); ++list) {
            for (KelUtils::Parameter* parameter : lists.at(list).parameters) {
                if (!parameter || !(parameter->displayFlags() & KelUtils::Parameter::DisplayImportant))
                    continue;
                auto* atom = new KelParamAtom(parameter, m_content);
                // The atom itself shows nothing: its row lives in the shared form layout.
                atom->hide();
                atom->setOwnsParameter(false);
                atom->setNode(node);
                atom->setParamListIndex(list);
                connect(atom, &KelParamAtom::addParamUndo, this, &KelParamCrucial::addParamUndo);
                connect(atom, &KelParamAtom::updateStatusForDependencies, this,
                        &KelParamCrucial::updateStatusForDependencies);
                m_atoms.append(atom);
            }
        }
    }
    for (KelNGObject* child : object->getChildObjectList(false))
        collectAtoms(child);
}

void KelParamCrucial::createUI()
{
    m_atoms.clear();
    m_collectedNodeTypes.clear();
    collectAtoms(m_object);

    auto* box = new QVBoxLayout(this);
    box->setSpacing(0);
    box->setContentsMargins(0, 0, 0, 0);
    auto* form = new KDSynchronizedFormLayout;
    m_content->setLayout(form);

    if (m_showTitle) {
        m_title = new KelNodeDescriptionTitle;
        m_title->setFixedHeight(19);
        updateTitle();
        box->addWidget(m_title);
    }
    box->addWidget(m_content);

    KelNodes::Node* previous = nullptr;
    bool headed = false;
    for (KelParamAtom* atom : m_atoms) {
        if (atom->node() != previous) {
            if (headed)
                form->addItem(new QSpacerItem(0, 2, QSizePolicy::Minimum, QSizePolicy::Fixed));
            auto* heading = new QGroupBox;
            heading->setFlat(true);
            // The heading spans the panel and never widens it: a long node name would push the
            // sliders out of sight. Its title is cut to the width the heading gets.
            heading->setMinimumWidth(1);
            heading->setProperty(kHeadingName, atom->node()->displayName());
            heading->installEventFilter(this);
            fitHeading(heading);
            form->insertRow(form->rowCount(), heading);
            form->addItem(new QSpacerItem(0, 2, QSizePolicy::Minimum, QSizePolicy::Fixed));
            headed = true;
            previous = atom->node();
        }
        atom->setFormLayout(form);
        atom->createUI();
    }
}

void KelParamCrucial::fitHeading(QGroupBox* heading)
{
    const QString title = tr("Node %1");
    const int room = heading->width() - kHeadingMargin
                     - heading->fontMetrics().horizontalAdvance(title.arg(QString()));
    heading->setTitle(title.arg(ElidedTitle::fit(heading->property(kHeadingName).toString(), heading->font(),
                                                 qMax(0, room))));
}

bool KelParamCrucial::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (auto* heading = qobject_cast<QGroupBox*>(watched); heading && heading->property(kHeadingName).isValid())
            fitHeading(heading);
    }
    return QWidget::eventFilter(watched, event);
}

void KelParamCrucial::updateTitle()
{
    if (!m_title)
        return;
    QString name;
    if (m_object && m_object->graph())
        name = m_object->graph()->displayName();
    m_title->title = tr("Important Parameters of %1").arg(name);
    m_title->update();
}

bool KelParamCrucial::containsNodeParameter(KelNodes::Node* node) const
{
    if (!node)
        return false;
    for (KelParamAtom* atom : m_atoms) {
        if (atom->node() == node)
            return true;
    }
    return false;
}

void KelParamCrucial::checkUpdateNodeParameters(KelNodes::Node* node)
{
    if (!node || m_inDestruction)
        return;
    QList<KelUtils::ParameterList> const& lists = node->paramContainer()->paramLists();
    for (KelUtils::ParameterList const& list : lists) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            for (KelParamAtom* atom : m_atoms) {
                if (atom->parameter() == parameter)
                    atom->paramChanged(parameter);
            }
        }
    }
}

void KelParamCrucial::setInDestruction()
{
    m_inDestruction = true;
    for (KelParamAtom* atom : m_atoms)
        atom->setInDestruction(true);
}

void KelParamCrucial::updateStatusForDependencies(KelNodes::Node* node, int)
{
    if (m_inDestruction || !node)
        return;
    for (KelParamAtom* atom : m_atoms) {
        if (atom->node() == node)
            atom->updateVisibilityStatus();
    }
}
