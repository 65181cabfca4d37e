#pragma once

#include <QBuffer>
#include <QList>
#include <map>
#include <memory>

class KelNGObject;
class KelTemplate;
class TwCore;

namespace KelNodes {
class NodeGraph;
}

// An effect as a step that removes it keeps it to bring it back whole: its graph as the project
// stores it, and what the project's bytes do not hold, the own templates of the effect and of
// the effects inside it (name, UUID, alternative names, tags, description, the unsaved flag and
// the text not saved yet). Every command that removes and re-creates an effect keeps one.
class TwEffectSnapshot
{
public:
    TwEffectSnapshot();
    ~TwEffectSnapshot();
    TwEffectSnapshot(TwEffectSnapshot const&) = delete;
    TwEffectSnapshot& operator=(TwEffectSnapshot const&) = delete;

    // Writes the effect's graph and keeps its templates, replacing what was kept.
    void take(TwCore* core, KelNGObject* object);
    // Keeps the templates only, for a graph written into bytes() by the caller.
    void takeTemplates(KelNGObject* object);
    QBuffer& bytes() { return m_bytes; }
    // Gives the effects found again below `top` by their graphs' uids the templates kept.
    void giveTemplatesBack(KelNodes::NodeGraph* top) const;

private:
    QBuffer m_bytes;
    // Copies of the effects' own templates, by graph uid (store templates' instances have none).
    std::map<int, std::unique_ptr<KelTemplate>> m_templates;
    // The graph uids whose template named its effect as its instance.
    QList<int> m_instanceUids;
};
