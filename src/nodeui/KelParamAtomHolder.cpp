#include "nodeui/KelParamAtomHolder.h"

#include "nodeui/KelParamAtom.h"

KelParamAtomHolder::KelParamAtomHolder(KelUtils::Parameter* parameter)
    : KelAtomHolder(parameter)
    , m_atom(new KelParamAtom(parameter, nullptr))
{
    m_atom->setOwnsParameter(false);
}

KelParamAtomHolder::~KelParamAtomHolder()
{
    delete m_atom.data();
}

void KelParamAtomHolder::createUI()
{
    if (m_atom)
        m_atom->createUI();
}

QWidget* KelParamAtomHolder::widget() const
{
    return m_atom.data();
}

KelParamAtom* KelParamAtomHolder::atom() const
{
    return m_atom.data();
}

KelAtomHolder::Factory KelParamAtomHolder::factory()
{
    return [](KelUtils::Parameter* parameter) -> KelAtomHolder* {
        return new KelParamAtomHolder(parameter);
    };
}
