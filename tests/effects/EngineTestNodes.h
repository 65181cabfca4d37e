#pragma once

// Small node types for the engine tests.

#include "effects/Base1DGeneratorNode.h"
#include "effects/Base3DGeneratorNode.h"
#include "effects/BaseGeneratorNode.h"
#include "effects/VyxNode.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/NodeParameterContainer.h"

#include <QList>
#include <QPoint>

#include <atomic>

namespace EffectTest {

// A colour generator with one output "out" (mask 5).
class SolidNode : public KelVyxNodes::Base3DGeneratorNode
{
public:
    explicit SolidNode(int id, unsigned int colour = 0x6496FAu)
        : Base3DGeneratorNode(id), m_container(QStringLiteral("test.solid"), QString(), this), colour(colour)
    {
        addTerminal(QStringLiteral("out"), 0, 5);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.solid"), QUuid(QStringLiteral("{4d2c1b0a-1111-4a2b-8c3d-000000000001}")),
        QStringLiteral("Solid"), QString(), nullptr};
    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    unsigned int getSample3(QPoint const&) const override
    {
        samples.fetch_add(1);
        return colour;
    }

    KelNodes::NodeParameterContainer m_container;
    unsigned int colour;
    mutable std::atomic<int> samples{0};
};

// A one-channel generator with one output "out" (mask 3).
class FlatAlphaNode : public KelVyxNodes::Base1DGeneratorNode
{
public:
    explicit FlatAlphaNode(int id, unsigned int value = 200)
        : Base1DGeneratorNode(id), m_container(QStringLiteral("test.flat"), QString(), this), value(value)
    {
        addTerminal(QStringLiteral("out"), 0, 3);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.flat"), QUuid(QStringLiteral("{4d2c1b0a-1111-4a2b-8c3d-000000000004}")),
        QStringLiteral("Flat"), QString(), nullptr};
    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }
    unsigned int getSample(QPoint const&) const override { return value; }

    KelNodes::NodeParameterContainer m_container;
    unsigned int value;
};

// Inverts colour or one channel; neutral 0x808080 / 128 when unconnected. Records the order in
// which nodes are prepared and, when `scan` is set, samples its input at (0, 0) while prepared.
class InvertNode : public KelVyxNodes::BaseGeneratorNode
{
public:
    explicit InvertNode(int id)
        : BaseGeneratorNode(id, QStringLiteral("in"), QStringLiteral("out"))
        , m_container(QStringLiteral("test.invert"), QString(), this)
    {
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.invert"), QUuid(QStringLiteral("{4d2c1b0a-1111-4a2b-8c3d-000000000002}")),
        QStringLiteral("Invert"), QString(), nullptr};
    static inline QList<InvertNode const*> preparedOrder;

    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }

    int onFilterStart(KelUtils::StatusObserver*) override
    {
        preparedOrder.append(this);
        prepared = true;
        if (scan)
            scanned = m_upstream3D ? int(m_upstream3D->getSample3(QPoint(0, 0))) : -1;
        return failPreparation ? -1 : 0;
    }
    void onFilterStop(KelUtils::StatusObserver*) override { ++stops; }

    unsigned int getSample3(QPoint const& p) const override
    {
        // Unprepared reads are a fault the tests look for.
        if (!prepared)
            return 0x123456u;
        return m_upstream3D ? (~m_upstream3D->getSample3(p)) & 0xFFFFFFu : 0x808080u;
    }
    unsigned int getSample(QPoint const& p) const override
    {
        if (!prepared)
            return 7u;
        return m_upstream1D ? 255u - (m_upstream1D->getSample(p) & 0xFFu) : 128u;
    }

    KelNodes::NodeParameterContainer m_container;
    bool prepared = false;
    bool scan = false;
    bool failPreparation = false;
    int scanned = -2;
    int stops = 0;
};

// An effect node with an output terminal but no sample interface at all.
class MuteNode : public KelVyxNodes::VyxNode
{
public:
    explicit MuteNode(int id)
        : VyxNode(id), m_container(QStringLiteral("test.mute"), QString(), this)
    {
        addTerminal(QStringLiteral("out"), 0, 5);
    }
    static inline KelNodes::NodeDescriptor m_descriptor{
        QStringLiteral("test.mute"), QUuid(QStringLiteral("{4d2c1b0a-1111-4a2b-8c3d-000000000003}")),
        QStringLiteral("Mute Type"), QString(), nullptr};
    KelNodes::NodeParameterContainer* paramContainer() override { return &m_container; }
    KelNodes::NodeParameterContainer const* paramContainer() const override { return &m_container; }
    KelNodes::NodeDescriptor const* descriptor() const override { return &m_descriptor; }
    void* objectPtr() override { return this; }

    KelNodes::NodeParameterContainer m_container;
};

} // namespace EffectTest
