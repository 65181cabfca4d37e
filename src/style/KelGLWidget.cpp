#include "style/KelGLWidget.h"

#include "style/KelGLScene.h"

#include <QMouseEvent>
#include <QOpenGLFunctions_2_0>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>

#include <algorithm>

namespace {

constexpr int FULL_TURN = 16 * 360;

// The fixed pipeline, or null where the context offers none (a core or ES context).
QOpenGLFunctions_2_0* fixedPipeline(QOpenGLContext* context)
{
    if (!context || context->isOpenGLES())
        return nullptr;
    return QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_0>(context);
}

} // namespace

KelGLWidget::KelGLWidget(KelGLScene* scene, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_scene(scene)
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSamples(4);
    format.setDepthBufferSize(24);
    setFormat(format);
}

KelGLWidget::~KelGLWidget()
{
    delete m_scene;
}

int KelGLWidget::xRotation() const
{
    return m_xRotation;
}

int KelGLWidget::yRotation() const
{
    return m_yRotation;
}

int KelGLWidget::zRotation() const
{
    return m_zRotation;
}

int KelGLWidget::normalizedAngle(int angle)
{
    // Whole turns at once, with the same result as adding or taking away one turn at a time.
    if (angle < 0) {
        angle %= FULL_TURN;
        if (angle < 0)
            angle += FULL_TURN;
    } else if (angle > FULL_TURN) {
        angle = (angle - 1) % FULL_TURN + 1;
    }
    return angle;
}

QRect KelGLWidget::viewportRect(int w, int h)
{
    const int side = std::min(w, h);
    return QRect((w - side) / 2, (h - side) / 2, side, side);
}

QSize KelGLWidget::sizeHint() const
{
    return QSize(400, 400);
}

QSize KelGLWidget::minimumSizeHint() const
{
    return QSize(50, 50);
}

void KelGLWidget::setXRotation(int angle)
{
    angle = normalizedAngle(angle);
    if (angle == m_xRotation)
        return;
    m_xRotation = angle;
    emit xRotationChanged(angle);
    update();
}

void KelGLWidget::setYRotation(int angle)
{
    angle = normalizedAngle(angle);
    if (angle == m_yRotation)
        return;
    m_yRotation = angle;
    emit yRotationChanged(angle);
    update();
}

void KelGLWidget::setZRotation(int angle)
{
    angle = normalizedAngle(angle);
    if (angle == m_zRotation)
        return;
    m_zRotation = angle;
    emit zRotationChanged(angle);
    update();
}

void KelGLWidget::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = event->position().toPoint();
}

void KelGLWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int dx = pos.x() - m_lastPos.x();
    const int dy = pos.y() - m_lastPos.y();
    if (event->buttons() & Qt::LeftButton) {
        setXRotation(m_xRotation + 8 * dy);
        setYRotation(m_yRotation + 8 * dx);
    } else if (event->buttons() & Qt::RightButton) {
        setXRotation(m_xRotation + 8 * dy);
        setZRotation(m_zRotation + 8 * dx);
    }
    m_lastPos = pos;
}

void KelGLWidget::initializeGL()
{
    QOpenGLFunctions_2_0* const gl = fixedPipeline(context());
    if (!gl)
        return;
    gl->glEnable(GL_DEPTH_TEST);
    gl->glEnable(GL_CULL_FACE);
    gl->glShadeModel(GL_SMOOTH);
    gl->glEnable(GL_LIGHTING);
    gl->glEnable(GL_LIGHT0);
    gl->glEnable(GL_MULTISAMPLE);
    static const GLfloat lightPosition[4] = {0.5f, 5.0f, 7.0f, 1.0f};
    gl->glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
}

void KelGLWidget::resizeGL(int w, int h)
{
    QOpenGLFunctions_2_0* const gl = fixedPipeline(context());
    if (!gl)
        return;
    // The widget's framebuffer is in device pixels.
    const qreal ratio = devicePixelRatioF();
    const QRect viewport = viewportRect(int(w * ratio), int(h * ratio));
    gl->glViewport(viewport.x(), viewport.y(), viewport.width(), viewport.height());
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glOrtho(-0.5, 0.5, -0.5, 0.5, 4.0, 15.0);
    gl->glMatrixMode(GL_MODELVIEW);
}

void KelGLWidget::paintGL()
{
    QOpenGLFunctions_2_0* const gl = fixedPipeline(context());
    if (!gl)
        return;
    // QOpenGLWidget resets the viewport to the whole widget before each paint.
    const qreal ratio = devicePixelRatioF();
    const QRect viewport = viewportRect(int(width() * ratio), int(height() * ratio));
    gl->glViewport(viewport.x(), viewport.y(), viewport.width(), viewport.height());
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl->glLoadIdentity();
    gl->glTranslatef(0.0f, 0.0f, -10.0f);
    gl->glRotatef(m_xRotation / 16.0f, 1.0f, 0.0f, 0.0f);
    gl->glRotatef(m_yRotation / 16.0f, 0.0f, 1.0f, 0.0f);
    gl->glRotatef(m_zRotation / 16.0f, 0.0f, 0.0f, 1.0f);
    if (m_scene)
        m_scene->draw();
}
