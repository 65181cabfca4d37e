#include "app/TwEffectSnapshot.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwUtilities.h"
#include "nodes/NodeGraph.h"

TwEffectSnapshot::TwEffectSnapshot() = default;

TwEffectSnapshot::~TwEffectSnapshot() = default;

void TwEffectSnapshot::take(TwCore* core, KelNGObject* object)
{
    TwUtilities::storeObjectToXML(core, object, &m_bytes);
    takeTemplates(object);
}

void TwEffectSnapshot::takeTemplates(KelNGObject* object)
{
    m_templates.clear();
    m_instanceUids.clear();
    if (!object)
        return;
    QList<KelNGObject*> effects = object->getChildObjectList(true);
    effects.prepend(object);
    for (KelNGObject* effect : std::as_const(effects)) {
        KelTemplate* own = effect->objectTemplate();
        if (!own || effect->isTemplateInstance() || !effect->graph())
            continue;
        const int uid = effect->graph()->uid();
        m_templates[uid] = std::make_unique<KelTemplate>(*own);
        if (own->objectInstance() == effect)
            m_instanceUids.append(uid);
    }
}

void TwEffectSnapshot::giveTemplatesBack(KelNodes::NodeGraph* top) const
{
    for (auto const& [uid, kept] : m_templates) {
        KelNodes::Node* node = top ? top->findNode(uid, true) : nullptr;
        KelNGObject* effect = node ? KelNGObject::objectOf(node->toNodeGraph()) : nullptr;
        if (!effect || effect->isTemplateInstance())
            continue;
        // The effect may come back more than once: it gets a copy each time.
        KelTemplate* made = effect->objectTemplate();
        auto* copy = new KelTemplate(*kept);
        if (m_instanceUids.contains(uid))
            copy->setObjectInstance(effect);
        effect->setObjectTemplate(copy);
        delete made;
    }
}
