#include "effects/math/ImageGeometryNode.h"

#include "effects/GeneratorLookup.h"
#include "effects/VyxNodeGraph.h"
#include "effects/VyxTerminal.h"

#include <QDebug>

namespace KelVyxNodes {

ImageGeometryNode::ImageGeometryNode(int id, QString const& inputName, char const* logName)
    : Base3DGeneratorNode(id)
    , m_logName(logName)
{
    m_inTerminal = addTerminal(inputName, 4u, 0u);
}

ImageGeometryNode::~ImageGeometryNode() = default;

int ImageGeometryNode::onFilterStart(KelUtils::StatusObserver* /*observer*/)
{
    QImage const* image = m_graph ? m_graph->originalImage() : nullptr;
    if (!image || image->isNull()) {
        qDebug() << m_logName << "error: no image";
        m_imageWidth = -1;
        m_imageHeight = -1;
        return 0;
    }
    m_imageWidth = image->width();
    m_imageHeight = image->height();
    onImageSize();
    return 0;
}

int ImageGeometryNode::onConnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    const int result = KelNodes::Node::onConnect(own, peer);
    if (result >= 0 && own == m_inTerminal)
        getGeneratorInterface(&m_input, peer);
    return result;
}

void ImageGeometryNode::onDisconnect(KelNodes::Terminal const* own, KelNodes::Terminal const* peer)
{
    KelNodes::Node::onDisconnect(own, peer);
    if (own == m_inTerminal)
        m_input = nullptr;
}

void ImageGeometryNode::resolveInputs()
{
    m_input = linkedGenerator3D(m_inTerminal);
}

} // namespace KelVyxNodes
