#pragma once

// The 3-D content of a KelGLWidget. draw() is called with the widget's OpenGL context current
// (a compatibility profile, so the fixed pipeline is available) and the model-view matrix set
// to the widget's rotation.
class KelGLScene
{
public:
    virtual ~KelGLScene();

    virtual void draw() = 0;
};
