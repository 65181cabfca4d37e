#pragma once

// Attribute editors that count their lives, for the template tests.

#include "app/KelAtomHolder.h"

namespace TemplateTest {

class CountingAtom : public KelAtomHolder
{
public:
    explicit CountingAtom(KelUtils::Parameter* parameter) : KelAtomHolder(parameter)
    {
        ++created;
    }
    ~CountingAtom() override { ++destroyed; }

    void createUI() override { ++uiBuilt; }
    QWidget* widget() const override { return nullptr; }

    int uiBuilt = 0;

    static inline int created = 0;
    static inline int destroyed = 0;
};

// Installs the counting factory while it lives.
class CountingFactoryScope
{
public:
    CountingFactoryScope()
    {
        CountingAtom::created = 0;
        CountingAtom::destroyed = 0;
        KelAtomHolder::setFactory(
            [](KelUtils::Parameter* parameter) { return new CountingAtom(parameter); });
    }
    ~CountingFactoryScope() { KelAtomHolder::setFactory({}); }
    CountingFactoryScope(CountingFactoryScope const&) = delete;
    CountingFactoryScope& operator=(CountingFactoryScope const&) = delete;
};

} // namespace TemplateTest
