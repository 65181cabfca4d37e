#pragma once

#include <QOpenGLWidget>
#include <QPoint>
#include <QRect>

class KelGLScene;

// Shows a KelGLScene under an orthographic projection with one light; dragging rotates it.
// Angles are kept in sixteenths of a degree, 0 to 5760 inclusive.
class KelGLWidget : public QOpenGLWidget
{
    Q_OBJECT

public:
    // Takes ownership of the scene (which may be null: an empty view).
    explicit KelGLWidget(KelGLScene* scene, QWidget* parent = nullptr);
    ~KelGLWidget() override;

    int xRotation() const;
    int yRotation() const;
    int zRotation() const;

    // Brought into 0 .. 5760 by whole turns; 5760 itself stays.
    static int normalizedAngle(int angle);
    // The largest centred square of a w x h view.
    static QRect viewportRect(int w, int h);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setXRotation(int angle);
    void setYRotation(int angle);
    void setZRotation(int angle);

signals:
    void xRotationChanged(int angle);
    void yRotationChanged(int angle);
    void zRotationChanged(int angle);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;

private:
    KelGLScene* m_scene = nullptr;
    int m_xRotation = 0;
    int m_yRotation = 0;
    int m_zRotation = 0;
    QPoint m_lastPos;
};
