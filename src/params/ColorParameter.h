#pragma once

#include "params/Color.h"
#include "params/ColorKey.h"
#include "params/Parameter.h"
#include "params/ScaledRgb.h"

#include <QList>

namespace KelUtils {

// A keyframable colour in linear light (type 6). The colour lives in the caller's Color (a node
// binds a member so that rendering reads it directly) or in the parameter's own storage.
//
// Keys are sorted by frame, one per frame. The active key follows edits of the value: it is the
// key exactly at the current frame, or the first/last key while the current frame lies before
// the first or after the last key; between two keys there is none.
class ColorParameter : public Parameter
{
public:
    // The bound colour is not changed; with value null the own storage is used.
    ColorParameter(QString const& name, QString const& text, IParameterContainer* container,
                   Color* value, int displayFlags);
    ~ColorParameter() override;

    ParamType type() const override { return ParamColor; }
    operator ColorParameter*() override { return this; }
    operator ColorParameter const*() const override { return this; }

    // Same name, text and colour; no container, flags 1, no keys.
    Parameter* clone() const override;

    // 0 without notification when the colour is already held; -1 for a non-finite channel, a
    // negative red/green/blue or an alpha outside 0..1. Also updates the active key.
    int setValue(Color const& color);
    // From four gamma-encoded bytes: channel = (byte/255)^gamma, alpha = byte/255. Nothing
    // happens while the current colour shows as these bytes (the swatch's clamped form), so
    // handing the shown colour back keeps full precision and over-bright channels.
    int setValue(unsigned char const* rgba, float gamma = Color::Gamma,
                 float inverseGamma = Color::InverseGamma);
    // The same for a scaled colour: red/green/blue are multiplied by its scale.
    int setValue(ScaledRgb const& scaled, float gamma = Color::Gamma,
                 float inverseGamma = Color::InverseGamma);

    Color value() const;
    ScaledRgb value8bit(float inverseGamma = Color::InverseGamma) const;

    bool supportsKeyframes() const override { return true; }
    bool isKeyframe(int frame) const override;
    QList<int> keyframes() const override;
    // A key with the colour shown at the current frame; -1 for an invalid frame or an existing key.
    int setKeyframeAt(int frame) override;
    int deleteKeyframe(int frame) override;
    // A key already at `to` is replaced by the moved one.
    int moveKeyframe(int from, int to) override;
    // Shows the colour of frame; -1 for an invalid frame.
    int setCurrentFrame(int frame) override;

    int storeSpecific(QDomElement& element, QDomDocument& document) const override;
    // Reads the colour and the keys. Non-finite numbers count as absent; negative channels
    // become 0 and alpha is clamped to 0..1; keys are sorted by frame, one per frame (the last
    // in the document wins), keys without a frame or at a negative frame are dropped.
    int loadSpecific(QDomElement const& element) override;

    // A key of the given colour; -1 for an invalid frame, an existing key or a non-finite colour.
    virtual int setKeyframeAt(int frame, Color const& color);

    // Copies of the keys, in frame order.
    QList<ColorKey> keys() const;

    // Writes the colour of frame into out and returns the key that supplies it (exact, or the
    // first/last key outside the keyed range), null between two keys. Takes no lock: callers
    // hold it.
    ColorKey* calcFrameColor(int frame, Color& out) const;

private:
    void destroyKeys();
    // Index of the key at frame, or -1; the insertion place for a new key goes into *insertAt.
    int findKey(int frame, int* insertAt = nullptr) const;

    Color* m_value = nullptr;
    Color m_own;
    QList<ColorKey*> m_keys;
    ColorKey* m_activeKey = nullptr;
};

} // namespace KelUtils
