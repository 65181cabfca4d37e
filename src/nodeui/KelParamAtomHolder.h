#pragma once

#include "app/KelAtomHolder.h"

#include <QPointer>

class KelParamAtom;

// A template attribute's editor: an unbound KelParamAtom around the attribute's parameter. The
// holder alone deletes the parameter (the atom does not own it), and deletes the atom unless a
// parent widget already did.
class KelParamAtomHolder : public KelAtomHolder
{
public:
    explicit KelParamAtomHolder(KelUtils::Parameter* parameter);
    ~KelParamAtomHolder() override;

    void createUI() override;
    QWidget* widget() const override;
    KelParamAtom* atom() const;

    // What the main window installs with KelAtomHolder::setFactory.
    static KelAtomHolder::Factory factory();

private:
    QPointer<KelParamAtom> m_atom;
};
