#pragma once

// The node types whose terminals take the kinds their links give them: the six that read an
// input and the five that only give one; then the Inversion, whose inputs and outputs have fixed
// kinds, to read and feed them.

#include <QStringList>

namespace RekindingTypes {

inline QStringList const& withInversion()
{
    static const QStringList types{
        QStringLiteral("operator.edgedetection"), QStringLiteral("operator.blur"), QStringLiteral("operator.sharpen"),
        QStringLiteral("operator.emboss"), QStringLiteral("operator.Maths.trigonometric"), QStringLiteral("operator.frame"),
        QStringLiteral("generator.sine"), QStringLiteral("generator.const"), QStringLiteral("generator.noise"),
        QStringLiteral("generator.pulse"), QStringLiteral("generator.triangle"), QStringLiteral("operator.inversion"),
    };
    return types;
}

} // namespace RekindingTypes
