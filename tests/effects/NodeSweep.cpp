#include "NodeSweep.h"

#include "effects/Base1DGenerator.h"
#include "effects/Base3DGenerator.h"
#include "effects/GeneratorLookup.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNode.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodes/Terminal.h"
#include "params/Color.h"
#include "params/ColorParameter.h"
#include "params/ListParameter.h"
#include "params/NumGroupParameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <utility>

namespace KelVyxTest {

using KelNodes::Terminal;

namespace {

QList<Terminal*> sweepTerminalsOf(KelNodes::Node const* node, bool outputs)
{
    QList<Terminal*> found;
    for (int i = 0; i < node->numTerminals(); ++i) {
        Terminal* terminal = node->terminal(i);
        if (terminal && (outputs ? terminal->outputMask() : terminal->inputMask()) != 0)
            found.append(terminal);
    }
    return found;
}

template <typename T>
void setGroup(KelUtils::NumGroupParameter<T>* group, NodeSweep::Settings settings)
{
    T const value = settings == NodeSweep::Settings::Minimum ? group->minimum() : group->maximum();
    for (int i = 0; i < group->numValues(); ++i)
        group->setValue(value, i);
}

template <typename T>
bool groupIsFinite(KelUtils::NumGroupParameter<T> const* group)
{
    for (int i = 0; i < group->numValues(); ++i) {
        if (!std::isfinite(double(group->value(i))))
            return false;
    }
    return true;
}

} // namespace

NodeSweep::NodeSweep(KelNodes::NodeDescriptor const* type, Wiring wiring, Settings settings,
                     QImage image)
    : m_harness(std::move(image))
{
    // The source and destination types are in every graph: sweep the ones already there.
    if (type->typeUuid == KelVyxNodes::NodeOriginalImage::m_descriptor.typeUuid) {
        m_node = m_harness.source();
    } else if (type->typeUuid == KelVyxNodes::NodeFilteredImage::m_descriptor.typeUuid) {
        m_node = m_harness.destination();
    } else {
        KelNodes::Node* created = type->create ? type->create(-1) : nullptr;
        m_node = created ? m_harness.graph()->addNode(created, -1) : nullptr;
        if (created && !m_node)
            delete created;
        if (m_node)
            link(wiring);
    }
    if (m_node)
        applySettings(m_node, settings);
}

NodeSweep::~NodeSweep() = default;

QImage NodeSweep::testImage()
{
    QImage image(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            int const i = y * image.width() + x;
            unsigned int const r = (i * 37u) % 256u;
            unsigned int const g = 255u - (i * 53u) % 256u;
            unsigned int const b = (x * 255u) / 6u;
            unsigned int const a = i == 0 ? 0u : (i == 1 ? 255u : (i * 91u) % 256u);
            image.setPixel(x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    }
    return image;
}

QImage NodeSweep::largeTestImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    unsigned int state = 2463534242u;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            // Smooth ramps under a little noise, with saturated and black pixels in between.
            unsigned int const r = (unsigned(x * 255 / std::max(1, width - 1)) + (state & 15u)) & 0xFFu;
            unsigned int const g = (unsigned(y * 255 / std::max(1, height - 1)) ^ ((state >> 4) & 31u)) & 0xFFu;
            unsigned int const b = (x + y) % 9 == 0 ? 255u : (state >> 9) & 0xFFu;
            unsigned int const a = (x * 7 + y) % 5 == 0 ? 255u : (state >> 17) & 0xFFu;
            image.setPixel(x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    }
    return image;
}

QString NodeSweep::describe(Wiring wiring, Settings settings)
{
    static char const* const wirings[] = {"colour inputs", "one-channel inputs", "unlinked inputs"};
    static char const* const settingNames[] = {"default settings", "minimum settings", "maximum settings"};
    return QStringLiteral("%1, %2").arg(QLatin1String(wirings[int(wiring)]),
                                        QLatin1String(settingNames[int(settings)]));
}

bool NodeSweep::outputLinked() const
{
    if (!m_node)
        return false;
    if (m_node == m_harness.source() || m_node == m_harness.destination())
        return true;
    for (Terminal const* output : sweepTerminalsOf(m_node, true)) {
        if (output->numConnections() > 0)
            return true;
    }
    return false;
}

bool NodeSweep::connect(Terminal* output, Terminal* input)
{
    return output && input && output->connect(input) == 0;
}

void NodeSweep::link(Wiring wiring)
{
    KelNodes::Node* source = m_harness.source();
    KelNodes::Node* destination = m_harness.destination();
    if (!source || !destination)
        return;

    if (wiring != Wiring::Unlinked) {
        int nextChannel = 0;
        for (Terminal* input : sweepTerminalsOf(m_node, false)) {
            bool const colour = (input->inputMask() & 4u) != 0;
            bool const channel = (input->inputMask() & 2u) != 0;
            if (colour && (wiring == Wiring::Colour || !channel))
                connect(source->getTerminal(QStringLiteral("rgb")), input);
            else if (channel)
                connect(channelFeed(nextChannel++), input);
        }
    }

    // Output kinds may have followed the inputs: read them now.
    QList<Terminal*> const outputs = sweepTerminalsOf(m_node, true);
    QList<Terminal*> channels;
    Terminal* colour = nullptr;
    for (Terminal* output : outputs) {
        if (!colour && (output->outputMask() & 4u))
            colour = output;
        else if (output->outputMask() & 2u)
            channels.append(output);
    }
    if (wiring == Wiring::Channel) {
        QList<Terminal*> all;
        for (Terminal* output : outputs) {
            if (output->outputMask() & 2u)
                all.append(output);
        }
        if (!all.isEmpty()) {
            linkChannels(all);
            return;
        }
    }
    if (colour) {
        connect(colour, destination->getTerminal(QStringLiteral("rgb")));
        if (!channels.isEmpty())
            connect(channels.first(), destination->getTerminal(QStringLiteral("alpha")));
    } else if (!channels.isEmpty()) {
        linkChannels(channels);
    }
}

Terminal* NodeSweep::channelFeed(int index)
{
    // A split's outputs yield one channel of their own; the source's "alpha" terminal would be
    // read through its host, which prefers colour.
    KelNodes::Node* source = m_harness.source();
    if (!m_split) {
        m_split = m_harness.graph()->addNode(QStringLiteral("operator.split"), -1);
        if (m_split)
            connect(source->getTerminal(QStringLiteral("rgb")), m_split->getTerminal(QStringLiteral("rgb")));
    }
    static char const* const channels[] = {"r", "g", "b"};
    Terminal* feed = m_split ? m_split->getTerminal(QLatin1String(channels[index % 3])) : nullptr;
    return feed ? feed : source->getTerminal(QStringLiteral("alpha"));
}

void NodeSweep::linkChannels(QList<Terminal*> const& outputs)
{
    KelNodes::Node* destination = m_harness.destination();
    if (!m_join)
        m_join = m_harness.graph()->addNode(QStringLiteral("operator.join"), -1);
    if (m_join && m_join != m_node) {
        qsizetype const last = outputs.size() - 1;
        connect(outputs.at(0), m_join->getTerminal(QStringLiteral("r")));
        connect(outputs.at(std::min<qsizetype>(1, last)), m_join->getTerminal(QStringLiteral("g")));
        connect(outputs.at(std::min<qsizetype>(2, last)), m_join->getTerminal(QStringLiteral("b")));
        connect(m_join->getTerminal(QStringLiteral("rgb")), destination->getTerminal(QStringLiteral("rgb")));
    }
    connect(outputs.first(), destination->getTerminal(QStringLiteral("alpha")));
}

void NodeSweep::applySettings(KelNodes::Node* node, Settings settings)
{
    if (settings == Settings::Defaults || !node->paramContainer())
        return;
    bool const minimum = settings == Settings::Minimum;
    for (KelUtils::ParameterList const& list : node->paramContainer()->paramLists()) {
        for (KelUtils::Parameter* parameter : list.parameters) {
            if (KelUtils::NumGroupParameter<int>* ints = *parameter) {
                setGroup(ints, settings);
            } else if (KelUtils::NumGroupParameter<float>* floats = *parameter) {
                setGroup(floats, settings);
            } else if (KelUtils::ListParameter* choice = *parameter) {
                if (choice->itemCount() > 0)
                    choice->setValue(choice->itemAt(minimum ? 0 : choice->itemCount() - 1)->id);
            } else if (KelUtils::ColorParameter* colour = *parameter) {
                colour->setValue(minimum ? KelUtils::Color(0.0f, 0.0f, 0.0f, 0.0f)
                                         : KelUtils::Color(1e30f, 1e30f, 1e30f, 1.0f));
            }
        }
    }
}

int NodeSweep::render(unsigned char const* mask, QRect const* rect)
{
    KelVyxNodes::VyxNodeGraph* graph = m_harness.graph();
    if (graph->setUp(&m_harness.image(), mask, rect) != 0)
        return -1;
    return graph->filter(nullptr);
}

QStringList NodeSweep::checkOutputs() const
{
    QStringList problems;
    if (!m_node)
        return {QStringLiteral("no node")};

    QRect const area = m_harness.graph()->originalImage()->rect();
    for (Terminal const* output : sweepTerminalsOf(m_node, true)) {
        KelVyxNodes::Base3DGenerator const* colour = KelVyxNodes::findGenerator3D(output);
        KelVyxNodes::Base1DGenerator const* channel = KelVyxNodes::findGenerator1D(output);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                QPoint const point(x, y);
                if (colour && (colour->getSample3(point) & 0xFF000000u))
                    problems << QStringLiteral("%1: colour top byte set at (%2, %3)").arg(output->name()).arg(x).arg(y);
                if (channel && channel->getSample(point) > 255u)
                    problems << QStringLiteral("%1: channel above 255 at (%2, %3)").arg(output->name()).arg(x).arg(y);
            }
        }
    }

    if (KelUtils::ParameterContainer const* container = m_node->paramContainer()) {
        for (KelUtils::ParameterList const& list : container->paramLists()) {
            for (KelUtils::Parameter const* parameter : list.parameters) {
                bool finite = true;
                if (KelUtils::NumGroupParameter<float> const* floats = *parameter)
                    finite = groupIsFinite(floats);
                else if (KelUtils::ColorParameter const* colour = *parameter)
                    finite = colour->value().isFinite();
                if (!finite)
                    problems << QStringLiteral("setting %1 is not finite").arg(parameter->name());
            }
        }
    }

    // The editor draws previews at any time, rendering or not.
    if (auto const* node = dynamic_cast<KelVyxNodes::VyxNode const*>(m_node)) {
        QImage preview(4, 3, QImage::Format_ARGB32);
        node->getPreview(&preview);
    }
    return problems;
}

} // namespace KelVyxTest
